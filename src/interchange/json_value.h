#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <memory_resource>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace mapolt {

// An exact decimal number: a view of its digits in JSON syntax, so a value passes through
// the codec unchanged; it becomes binary only when a caller asks for it.
class JsonNumber {
  public:
    // The number `text` spells; none when `text` is not a JSON number. The view keeps
    // pointing into `text`.
    static std::optional<JsonNumber> fromText(std::string_view text);

    std::string_view text() const { return text_; }
    // NaN and the infinities (which only a built tree can hold) have no JSON form.
    bool isFinite() const;
    // False when the number lies beyond the double range (numbers too small for it fit: they
    // are zero).
    bool fitsDouble() const;
    // The nearest double; beyond its range the largest finite double of the sign, and
    // numbers too small for it are zero.
    double toDouble() const;
    // The nearest float, held within the float range the same way.
    float toFloat() const;
    // Truncated towards zero and held within the 32-bit range.
    std::int32_t toInt32() const;

  private:
    friend class JsonValue;
    explicit JsonNumber(std::string_view text) : text_(text) {}
    template <class T> T convert() const;
    std::string_view text_;
};

// The shortest text that reads back as the same float (up to 9 significant digits), or
// double; "nan" or "inf" for values JSON cannot hold.
std::string shortestText(float v);
std::string shortestText(double v);

struct JsonMember;

// One node of a JSON tree: null, boolean, number, string, array or object. A node is a
// small view; strings, numbers and the contents of arrays and objects live in the
// JsonDocument that made them and stay valid as long as it does.
class JsonValue {
  public:
    enum class Type : std::uint8_t { Null, Bool, Number, String, Array, Object };

    JsonValue() = default;
    JsonValue(std::nullptr_t) {}
    // Only a real bool, so that integers and pointers never turn into booleans.
    template <std::same_as<bool> B> JsonValue(B b) : type_(Type::Bool) { u_.boolean = b; }

    Type type() const { return type_; }
    bool isNull() const { return type_ == Type::Null; }

    std::optional<bool> asBool() const;
    std::optional<JsonNumber> asNumber() const;
    std::optional<std::string_view> asString() const;
    bool isArray() const { return type_ == Type::Array; }
    bool isObject() const { return type_ == Type::Object; }
    // The elements of an array; empty for any other value.
    std::span<const JsonValue> elements() const;
    // The members of an object, in the order they were read or built, with unique keys;
    // empty for any other value.
    std::span<const JsonMember> members() const;

    // The member `key` of an object; none for a missing key or a value that is no object.
    const JsonValue* find(std::string_view key) const;

    // Objects compare as unordered maps: the same keys with equal values.
    friend bool operator==(const JsonValue& a, const JsonValue& b);

  private:
    friend class JsonDocument;
    friend class JsonReader;
    static JsonValue text(Type type, const char* chars, std::uint32_t size) {
        JsonValue v;
        v.type_ = type;
        v.u_.chars = chars;
        v.size_ = size;
        return v;
    }

    union {
        bool boolean;
        const char* chars;
        const JsonValue* elements;
        const JsonMember* members;
    } u_{};
    std::uint32_t size_ = 0;
    Type type_ = Type::Null;
};

struct JsonMember {
    std::string_view key;
    JsonValue value;
};

// Keeps the first position of every key in `members` with the value of its last
// occurrence, compacting the rest away; returns the new count.
std::size_t removeRepeatedKeys(JsonMember* members, std::size_t n);

// Owns the storage of a JSON tree: a copy of the text it was read from (strings without
// escapes and every number point into it) and an arena for everything else. Moving a
// document keeps its values valid.
class JsonDocument {
  public:
    JsonDocument();
    JsonDocument(JsonDocument&&) noexcept = default;
    JsonDocument& operator=(JsonDocument&&) noexcept = default;
    ~JsonDocument();

    const JsonValue& root() const { return root_; }
    void setRoot(JsonValue v) { root_ = v; }

    // Builders for trees made in code; each value lives as long as this document.
    JsonValue string(std::string_view s);
    JsonValue number(std::int64_t v);
    JsonValue number(float v);
    JsonValue number(double v);
    JsonValue array(std::span<const JsonValue> elements);
    JsonValue array(std::initializer_list<JsonValue> elements) {
        return array(std::span<const JsonValue>(elements.begin(), elements.size()));
    }
    // A repeated key keeps the later value.
    JsonValue object(std::span<const JsonMember> members);
    JsonValue object(std::initializer_list<JsonMember> members) {
        return object(std::span<const JsonMember>(members.begin(), members.size()));
    }

  private:
    friend class JsonReader;
    std::string_view keep(std::string_view s);
    template <class T> T* allocate(std::size_t n) {
        if (n == 0)
            return nullptr;
        return static_cast<T*>(arena_->allocate(n * sizeof(T), alignof(T)));
    }

    std::unique_ptr<char[]> source_;
    std::unique_ptr<std::pmr::monotonic_buffer_resource> arena_;
    JsonValue root_;
};

} // namespace mapolt
