#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mapolt {

// Writes an indented XML document element by element into a sink, holding only a small
// buffer: a file of a million tasks never exists whole in memory. Text is escaped here; it
// must already be text that XML 1.0 allows.
class XmlStreamWriter {
  public:
    using Sink = std::function<bool(std::string_view)>;

    explicit XmlStreamWriter(Sink sink);

    // An element whose children follow; `xmlns` gives it a default namespace.
    void open(std::string_view name, std::string_view xmlns = {});
    void close();
    // An element holding only text.
    void text(std::string_view name, std::string_view value);
    void number(std::string_view name, long long value);

    // Closes what is open and hands the rest to the sink; false when any write failed.
    bool finish();

  private:
    void startChild();
    void indent();
    void escaped(std::string_view value);
    void flushIfFull();

    Sink sink_;
    std::string buffer_;
    std::vector<std::string> open_;
    bool tagPending_ = false;
    bool ok_ = true;
};

} // namespace mapolt
