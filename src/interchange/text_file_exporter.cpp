#include "interchange/text_file_exporter.h"

namespace mapolt {

void TextFileExporter::startResource(const std::string& name, bool toFile, bool) {
    fname_ = toFile ? fileFor(name, "Tasks.csv") : std::filesystem::path();
    data_.clear();
}

std::string TextFileExporter::csvField(const std::string& text, const std::string& separator) {
    const bool needsQuotes = text.find_first_of("\"\r\n") != std::string::npos ||
                             (!separator.empty() && text.find(separator) != std::string::npos);
    if (!needsQuotes)
        return text;
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

} // namespace mapolt
