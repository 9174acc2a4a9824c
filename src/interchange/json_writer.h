#pragma once

#include "interchange/json_error.h"
#include "interchange/json_value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mapolt {

// Writes compact JSON text straight into a string, with no whitespace anywhere: for large
// documents that are not first built as a tree. The caller keeps the nesting balanced.
class JsonStreamWriter {
  public:
    explicit JsonStreamWriter(std::string& out) : out_(out) {}

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(std::string_view name);

    void string(std::string_view s);
    // A number that is not finite has no JSON form; callers leave it out.
    void number(const JsonNumber& n);
    void number(std::int64_t v);
    void number(float v);
    void number(double v);
    void boolean(bool v);
    void null();

  private:
    void beforeValue();

    std::string& out_;
    // Per open container: whether it still has no member or element.
    std::vector<bool> empty_;
    bool afterKey_ = false;
};

// Appends `s` between double quotes with the codec's escapes: quote, backslash, \t \n \r
// \b \f, other bytes below 0x20 as \u00xx; everything else (non-ASCII too) as it is.
void appendJsonString(std::string& out, std::string_view s);

struct JsonWriteResult {
    std::string text;
    // The outermost error when writing failed; the text is empty then.
    std::optional<JsonError> error;

    explicit operator bool() const { return !error.has_value(); }
};

// Encodes a tree whose top level is an object or an array, at most kJsonMaxDepth deep. A
// failure is also recorded in the diagnostic log.
JsonWriteResult writeJson(const JsonValue& root);

} // namespace mapolt
