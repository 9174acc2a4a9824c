#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace mapolt {

// The diagnostic log: internal failures the user is not shown in an alert. Lines go to
// stderr unless a sink is installed (tests capture them that way).
void logDiagnostic(std::string_view line);

using DiagnosticSink = std::function<void(std::string_view)>;
// Installs `sink` (an empty function restores stderr) and returns the previous one.
DiagnosticSink setDiagnosticSink(DiagnosticSink sink);

} // namespace mapolt
