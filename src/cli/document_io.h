#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

namespace mapolt {
class KestilPlannerDocument;
class Preferences;
} // namespace mapolt

namespace mapolt::cli {

// The plan file at `path`; none, after one line on stderr naming the file and the reason.
std::unique_ptr<KestilPlannerDocument> openPlan(const std::filesystem::path& path,
                                                const Preferences& preferences);
// Saves atomically; false after one line on stderr.
bool savePlan(KestilPlannerDocument& document, const std::filesystem::path& path);
// One line on stderr and the usage exit status.
int usageError(std::string_view usage);

} // namespace mapolt::cli
