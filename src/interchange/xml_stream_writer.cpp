#include "interchange/xml_stream_writer.h"

namespace mapolt {

namespace {

constexpr std::size_t kFlushAt = 64 * 1024;

} // namespace

XmlStreamWriter::XmlStreamWriter(Sink sink) : sink_(std::move(sink)) {
    buffer_.reserve(kFlushAt + 4096);
    buffer_ += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
}

void XmlStreamWriter::indent() {
    buffer_.append(2 * open_.size(), ' ');
}

// An element's start tag stays open until its first child shows whether it has any.
void XmlStreamWriter::startChild() {
    if (tagPending_)
        buffer_ += ">\n";
    tagPending_ = false;
}

void XmlStreamWriter::open(std::string_view name, std::string_view xmlns) {
    startChild();
    indent();
    buffer_ += '<';
    buffer_ += name;
    if (!xmlns.empty()) {
        buffer_ += " xmlns=\"";
        escaped(xmlns);
        buffer_ += '"';
    }
    open_.emplace_back(name);
    tagPending_ = true;
}

void XmlStreamWriter::close() {
    if (open_.empty())
        return;
    const std::string name = std::move(open_.back());
    open_.pop_back();
    if (tagPending_) {
        buffer_ += "/>\n";
        tagPending_ = false;
    } else {
        indent();
        buffer_ += "</" + name + ">\n";
    }
    flushIfFull();
}

void XmlStreamWriter::text(std::string_view name, std::string_view value) {
    startChild();
    indent();
    buffer_ += '<';
    buffer_ += name;
    buffer_ += '>';
    escaped(value);
    buffer_ += "</";
    buffer_ += name;
    buffer_ += ">\n";
    flushIfFull();
}

void XmlStreamWriter::number(std::string_view name, long long value) {
    text(name, std::to_string(value));
}

void XmlStreamWriter::escaped(std::string_view value) {
    for (const char c : value) {
        switch (c) {
        case '&':
            buffer_ += "&amp;";
            break;
        case '<':
            buffer_ += "&lt;";
            break;
        case '>':
            buffer_ += "&gt;";
            break;
        case '"':
            buffer_ += "&quot;";
            break;
        case '\r':
            // A reader would turn a bare carriage return into a line feed.
            buffer_ += "&#13;";
            break;
        default:
            buffer_ += c;
        }
    }
}

void XmlStreamWriter::flushIfFull() {
    if (buffer_.size() < kFlushAt)
        return;
    ok_ = ok_ && sink_(buffer_);
    buffer_.clear();
}

bool XmlStreamWriter::finish() {
    while (!open_.empty())
        close();
    ok_ = ok_ && sink_(buffer_);
    buffer_.clear();
    return ok_;
}

} // namespace mapolt
