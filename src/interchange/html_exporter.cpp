#include "interchange/html_exporter.h"

namespace mapolt {

const char* const HTMLExporter::kStyleBlock =
    "<style type=\"text/css\">table.ZQStyles {\tborder-width: 1px;\tborder-spacing: ;\t"
    "border-style: solid;\tborder-color: black;\tborder-collapse: collapse;\tbackground-color: "
    "white;}table.ZQStyles th {\tborder-width: 1px;\tpadding: 1px;\tborder-style: inset;\t"
    "border-color: gray;\tbackground-color: white;\t-moz-border-radius: ;\tfont-family: "
    "sans-serif;}table.ZQStyles td {\tborder-width: 1px;\tpadding: 1px;\tborder-style: inset;\t"
    "border-color: gray;\tbackground-color: white;\t-moz-border-radius: ;\tfont-family: "
    "sans-serif;}h2.ZQStyles {\tfont-family: sans-serif;}</style>";

std::string HTMLExporter::escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

void HTMLExporter::startResource(const std::string& name, bool toFile, bool withContainer) {
    fname_ = toFile ? fileFor(name, "Tasks.html") : std::filesystem::path();
    container_ = withContainer;
    data_.clear();
    if (withContainer) {
        data_ += kPageHead;
        data_ += kStyleBlock;
        data_ += "</head><body>\n";
    }
    data_ += "<h2 class=\"ZQStyles\">" + escape(name) + "</h2>\n<table class=\"ZQStyles\">";
}

void HTMLExporter::addColumnHeader(const std::string& text) {
    data_ += "<th>" + escape(text) + "</th>";
}

void HTMLExporter::setTaskName(const std::string& text) {
    data_ += "<tr><td>" + escape(text) + "</td>";
}

void HTMLExporter::addColumnDetail(const std::string& text) {
    data_ += "<td>" + escape(text) + "</td>";
}

void HTMLExporter::endResource() {
    data_ += "</table>\n";
    if (container_)
        data_ += "</body></html>\n";
    TaskListWriter::endResource();
}

} // namespace mapolt
