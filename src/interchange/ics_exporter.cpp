#include "interchange/ics_exporter.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace mapolt {

namespace {

std::string utcStamp() {
    const std::time_t now = std::time(nullptr);
    struct tm utc {};
    gmtime_r(&now, &utc);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%dT%H%M%SZ", &utc);
    return buf;
}

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

std::string ICSExporter::escapeText(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case ';':
            out += "\\;";
            break;
        case ',':
            out += "\\,";
            break;
        case '\r':
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += "\\n";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            // Other control characters are not allowed in TEXT.
            if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
                out += c;
        }
    }
    return out;
}

std::string ICSExporter::contentLine(const std::string& line) {
    std::string out;
    std::size_t begin = 0;
    std::size_t limit = 75;
    while (line.size() - begin > limit) {
        std::size_t end = begin + limit;
        // Never split a UTF-8 sequence.
        while (end > begin && isContinuationByte(line[end]))
            --end;
        out.append(line, begin, end - begin);
        out += "\r\n ";
        begin = end;
        limit = 74;
    }
    out.append(line, begin, std::string::npos);
    out += "\r\n";
    return out;
}

void ICSExporter::startResource(const std::string& name, bool toFile, bool) {
    fname_ = toFile ? fileFor(name, "Tasks.ics") : std::filesystem::path();
    data_.clear();
    stamp_ = utcStamp();
    line("BEGIN:VCALENDAR");
    line("CALSCALE:GREGORIAN");
    line(std::string("PRODID:") + kProdId);
    line("VERSION:2.0");
}

void ICSExporter::setTaskName(const std::string& text) {
    line("BEGIN:VEVENT");
    line("UID:" + eventIdentity_);
    line("DTSTAMP:" + stamp_);
    name_ = text;
}

void ICSExporter::setStartDate(Date d) {
    const auto t = static_cast<std::time_t>(std::floor(d.seconds));
    struct tm local {};
    localtime_r(&t, &local);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d", &local);
    line(std::string("DTSTART;VALUE=DATE:") + buf);
    line("SUMMARY:" + escapeText(name_));
}

void ICSExporter::setDuration(double days) {
    const double whole = std::isfinite(days) ? std::round(std::fabs(days)) : 0.0;
    line("DURATION:P" + std::to_string(static_cast<long long>(std::min(whole, 1.0e9))) + "D");
}

void ICSExporter::endColumn() {
    line("END:VEVENT");
}

void ICSExporter::endResource() {
    line("END:VCALENDAR");
    TaskListWriter::endResource();
}

} // namespace mapolt
