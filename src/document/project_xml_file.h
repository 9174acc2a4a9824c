#pragma once

#include "interchange/project_importer.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mapolt {

class AlertPresenter;
class KestilPlannerDocument;
class Preferences;

struct ProjectXmlImport {
    // Always a new document; it stays empty when the file could not be read.
    std::unique_ptr<KestilPlannerDocument> document;
    bool ok = false;
    // When not ok: the file's name and the reason.
    std::string error;
    ProjectImportCounts counts;
    // What the import dropped, changed or repaired (links that closed a loop included), one
    // line each; shown together.
    std::vector<std::string> warnings;
};

// A new document holding what the project XML file at `path` carries.
ProjectXmlImport importProjectXml(const std::filesystem::path& path,
                                  const Preferences& preferences);

// The import command once the user has picked the file: it first says what the import leaves
// out; anything but "OK" imports nothing and makes no document.
std::optional<ProjectXmlImport> importProjectfile(AlertPresenter& alerts,
                                                  const std::filesystem::path& path,
                                                  const Preferences& preferences);

// Writes `document` as project XML, replacing `path` atomically; on failure the previous file
// is untouched and `error` names the file and the reason.
bool exportProjectXml(KestilPlannerDocument& document, const std::filesystem::path& path,
                      std::string& error);

} // namespace mapolt
