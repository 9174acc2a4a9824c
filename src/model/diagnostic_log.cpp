#include "model/diagnostic_log.h"

#include <cstdio>
#include <utility>

namespace mapolt {

namespace {

DiagnosticSink& currentSink() {
    static DiagnosticSink sink;
    return sink;
}

} // namespace

void logDiagnostic(std::string_view line) {
    if (const DiagnosticSink& sink = currentSink()) {
        sink(line);
        return;
    }
    std::fprintf(stderr, "mapolt: %.*s\n", static_cast<int>(line.size()), line.data());
}

DiagnosticSink setDiagnosticSink(DiagnosticSink sink) {
    return std::exchange(currentSink(), std::move(sink));
}

} // namespace mapolt
