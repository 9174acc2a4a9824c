#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace mapolt {

// An exact decimal number, kept as the digits it was read or made from, so a value passes
// through the codec unchanged; it becomes binary only when a caller asks for it.
class JsonNumber {
  public:
    static JsonNumber fromInt(std::int64_t v);
    // Shortest text that reads back as the same float (up to 9 significant digits).
    static JsonNumber fromFloat(float v);
    // Shortest text that reads back as the same double.
    static JsonNumber fromDouble(double v);
    // The text of a number in JSON syntax; none when `text` is not one.
    static std::optional<JsonNumber> fromText(std::string_view text);

    const std::string& text() const { return text_; }
    // NaN and the infinities have no JSON form; the writer refuses them.
    bool isFinite() const;
    // The nearest double; beyond its range, the largest finite double of the sign, and
    // numbers too small for it are zero.
    double toDouble() const;
    // The nearest float, held within the float range the same way.
    float toFloat() const;
    // Truncated towards zero and held within the 32-bit range.
    std::int32_t toInt32() const;

    friend bool operator==(const JsonNumber&, const JsonNumber&) = default;

  private:
    friend class JsonReader;
    explicit JsonNumber(std::string text) : text_(std::move(text)) {}
    template <class T> T convert() const;
    std::string text_;
};

class JsonValue;
struct JsonMember;
using JsonArray = std::vector<JsonValue>;
// Members keep the order they were read or added in; keys are unique.
using JsonObject = std::vector<JsonMember>;

// One node of a JSON tree: null, boolean, number, string, array or object.
class JsonValue {
  public:
    enum class Type : std::uint8_t { Null, Bool, Number, String, Array, Object };

    JsonValue() = default;
    JsonValue(std::nullptr_t) {}
    // Only a real bool, so that integers and pointers never turn into booleans.
    template <std::same_as<bool> B> JsonValue(B b) : v_(b) {}
    JsonValue(JsonNumber n) : v_(std::move(n)) {}
    JsonValue(std::string s) : v_(std::move(s)) {}
    JsonValue(std::string_view s) : v_(std::string(s)) {}
    JsonValue(const char* s) : v_(std::string(s)) {}
    JsonValue(JsonArray a) : v_(std::move(a)) {}
    JsonValue(JsonObject o) : v_(std::move(o)) {}

    static JsonValue array() { return JsonValue(JsonArray{}); }
    static JsonValue object() { return JsonValue(JsonObject{}); }

    Type type() const { return static_cast<Type>(v_.index()); }
    bool isNull() const { return type() == Type::Null; }

    const bool* asBool() const { return std::get_if<bool>(&v_); }
    const JsonNumber* asNumber() const { return std::get_if<JsonNumber>(&v_); }
    const std::string* asString() const { return std::get_if<std::string>(&v_); }
    const JsonArray* asArray() const { return std::get_if<JsonArray>(&v_); }
    JsonArray* asArray() { return std::get_if<JsonArray>(&v_); }
    const JsonObject* asObject() const { return std::get_if<JsonObject>(&v_); }
    JsonObject* asObject() { return std::get_if<JsonObject>(&v_); }

    // The member `key` of an object; none for a missing key or a value that is no object.
    const JsonValue* find(std::string_view key) const;
    // Sets or replaces the member `key`; the value must be an object.
    void set(std::string_view key, JsonValue value);
    // Appends to an array.
    void push(JsonValue value);

    friend bool operator==(const JsonValue&, const JsonValue&);

  private:
    std::variant<std::monostate, bool, JsonNumber, std::string, JsonArray, JsonObject> v_;
};

struct JsonMember {
    std::string key;
    JsonValue value;

    friend bool operator==(const JsonMember&, const JsonMember&) = default;
};

} // namespace mapolt
