#include "interchange/json_value.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace mapolt {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the JSON number at the start of `s`, or 0 when it does not start with one.
std::size_t numberLength(std::string_view s) {
    std::size_t i = 0;
    const auto digitsFrom = [&](std::size_t from) {
        std::size_t j = from;
        while (j < s.size() && isDigit(s[j]))
            ++j;
        return j;
    };
    if (i < s.size() && s[i] == '-')
        ++i;
    if (i < s.size() && s[i] == '0') {
        ++i;
    } else {
        const std::size_t end = digitsFrom(i);
        if (end == i)
            return 0;
        i = end;
    }
    if (i < s.size() && s[i] == '.') {
        const std::size_t end = digitsFrom(i + 1);
        if (end == i + 1)
            return 0;
        i = end;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        const std::size_t end = digitsFrom(j);
        if (end == j)
            return 0;
        i = end;
    }
    return i;
}

// Whether a number that the conversion found out of range is too large (rather than too
// small): its decimal magnitude, from the position of its first significant digit and its
// exponent, is positive.
bool overflows(std::string_view s) {
    std::size_t i = s.starts_with('-') ? 1 : 0;
    std::int64_t lead = 0;
    bool significant = false;
    for (; i < s.size() && isDigit(s[i]); ++i) {
        if (s[i] != '0')
            significant = true;
        if (significant)
            ++lead;
    }
    if (i < s.size() && s[i] == '.') {
        for (++i; i < s.size() && isDigit(s[i]); ++i) {
            if (significant)
                break;
            if (s[i] != '0')
                significant = true;
            else
                --lead;
        }
        while (i < s.size() && isDigit(s[i]))
            ++i;
    }
    std::int64_t exponent = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        const bool negative = i < s.size() && s[i] == '-';
        if (i < s.size() && (s[i] == '-' || s[i] == '+'))
            ++i;
        constexpr std::int64_t kCap = std::int64_t{1} << 40;
        for (; i < s.size() && isDigit(s[i]); ++i)
            exponent = std::min(kCap, exponent * 10 + (s[i] - '0'));
        if (negative)
            exponent = -exponent;
    }
    return lead + exponent > 0;
}

template <class T> std::string shortestOf(T v) {
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general);
    return ec == std::errc{} ? std::string(buf, end) : std::string("nan");
}

// From the length and the first and last eight bytes only: keys differ there, and a
// collision costs one comparison.
std::uint64_t keyHash(std::string_view key) {
    std::uint64_t head = 0;
    std::uint64_t tail = 0;
    if (key.size() >= 8) {
        std::memcpy(&head, key.data(), 8);
        std::memcpy(&tail, key.data() + key.size() - 8, 8);
    } else if (!key.empty()) {
        std::memcpy(&head, key.data(), key.size());
    }
    std::uint64_t h = (head * 0x9E3779B97F4A7C15ull) ^ (tail + key.size());
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    return h ^ (h >> 32);
}

} // namespace

std::size_t removeRepeatedKeys(JsonMember* m, std::size_t n) {
    if (n <= 8) {
        std::size_t out = 0;
        for (std::size_t i = 0; i < n; ++i) {
            std::size_t j = 0;
            while (j < out && m[j].key != m[i].key)
                ++j;
            if (j < out)
                m[j].value = m[i].value;
            else
                m[out++] = m[i];
        }
        return out;
    }
    std::size_t capacity = 16;
    while (capacity < 2 * n)
        capacity *= 2;
    std::array<std::uint32_t, 128> small;
    std::vector<std::uint32_t> large;
    std::uint32_t* slots = small.data();
    if (capacity > small.size()) {
        large.resize(capacity);
        slots = large.data();
    }
    constexpr std::uint32_t kEmpty = UINT32_MAX;
    std::fill(slots, slots + capacity, kEmpty);
    const std::size_t mask = capacity - 1;
    std::size_t out = 0;
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t s = keyHash(m[i].key) & mask;; s = (s + 1) & mask) {
            if (slots[s] == kEmpty) {
                slots[s] = static_cast<std::uint32_t>(out);
                m[out++] = m[i];
                break;
            }
            if (m[slots[s]].key == m[i].key) {
                m[slots[s]].value = m[i].value;
                break;
            }
        }
    }
    return out;
}

std::string shortestText(float v) {
    return shortestOf(v);
}

std::string shortestText(double v) {
    return shortestOf(v);
}

std::optional<JsonNumber> JsonNumber::fromText(std::string_view text) {
    if (text.empty() || numberLength(text) != text.size())
        return std::nullopt;
    return JsonNumber(text);
}

bool JsonNumber::isFinite() const {
    return !text_.empty() && isDigit(text_.back());
}

// Parsing straight into the target type rounds once, so every float written in its
// shortest form reads back as the same float.
template <class T> T JsonNumber::convert() const {
    if (!isFinite())
        return T{0};
    T v{};
    const char* first = text_.data();
    const auto [end, ec] = std::from_chars(first, first + text_.size(), v);
    if (ec == std::errc::result_out_of_range) {
        const bool negative = text_.front() == '-';
        if (overflows(text_))
            return negative ? std::numeric_limits<T>::lowest() : std::numeric_limits<T>::max();
        return negative ? -T{0} : T{0};
    }
    return ec == std::errc{} ? v : T{0};
}

bool JsonNumber::fitsDouble() const {
    if (!isFinite())
        return false;
    double v{};
    const auto [end, ec] = std::from_chars(text_.data(), text_.data() + text_.size(), v);
    return !(ec == std::errc::result_out_of_range && overflows(text_));
}

double JsonNumber::toDouble() const {
    return convert<double>();
}

float JsonNumber::toFloat() const {
    return convert<float>();
}

std::int32_t JsonNumber::toInt32() const {
    const double t = std::trunc(toDouble());
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(t, lo, hi));
}

std::optional<bool> JsonValue::asBool() const {
    if (type_ != Type::Bool)
        return std::nullopt;
    return u_.boolean;
}

std::optional<JsonNumber> JsonValue::asNumber() const {
    if (type_ != Type::Number)
        return std::nullopt;
    return JsonNumber(std::string_view(u_.chars, size_));
}

std::optional<std::string_view> JsonValue::asString() const {
    if (type_ != Type::String)
        return std::nullopt;
    return std::string_view(u_.chars, size_);
}

std::span<const JsonValue> JsonValue::elements() const {
    if (type_ != Type::Array)
        return {};
    return {u_.elements, size_};
}

std::span<const JsonMember> JsonValue::members() const {
    if (type_ != Type::Object)
        return {};
    return {u_.members, size_};
}

const JsonValue* JsonValue::find(std::string_view key) const {
    if (type_ != Type::Object)
        return nullptr;
    for (std::uint32_t i = 0; i < size_; ++i)
        if (u_.members[i].key == key)
            return &u_.members[i].value;
    return nullptr;
}

bool operator==(const JsonValue& a, const JsonValue& b) {
    if (a.type() != b.type())
        return false;
    switch (a.type()) {
    case JsonValue::Type::Null:
        return true;
    case JsonValue::Type::Bool:
        return a.asBool() == b.asBool();
    case JsonValue::Type::Number:
        return a.asNumber()->text() == b.asNumber()->text();
    case JsonValue::Type::String:
        return a.asString() == b.asString();
    case JsonValue::Type::Array:
        return std::equal(a.elements().begin(), a.elements().end(), b.elements().begin(),
                          b.elements().end());
    case JsonValue::Type::Object: {
        const auto ma = a.members();
        const auto mb = b.members();
        if (ma.size() != mb.size())
            return false;
        // Members usually come in the same order; a search is needed only where they do not.
        for (std::size_t i = 0; i < ma.size(); ++i) {
            const JsonValue* other = mb[i].key == ma[i].key ? &mb[i].value : b.find(ma[i].key);
            if (other == nullptr || !(*other == ma[i].value))
                return false;
        }
        return true;
    }
    }
    return false;
}

JsonDocument::JsonDocument() : arena_(std::make_unique<std::pmr::monotonic_buffer_resource>()) {}

JsonDocument::~JsonDocument() = default;

std::string_view JsonDocument::keep(std::string_view s) {
    if (s.empty())
        return {};
    char* p = allocate<char>(s.size());
    std::memcpy(p, s.data(), s.size());
    return {p, s.size()};
}

JsonValue JsonDocument::string(std::string_view s) {
    const std::string_view kept = keep(s);
    return JsonValue::text(JsonValue::Type::String, kept.data(),
                           static_cast<std::uint32_t>(kept.size()));
}

JsonValue JsonDocument::number(std::int64_t v) {
    const std::string_view kept = keep(std::to_string(v));
    return JsonValue::text(JsonValue::Type::Number, kept.data(),
                           static_cast<std::uint32_t>(kept.size()));
}

JsonValue JsonDocument::number(float v) {
    const std::string_view kept = keep(shortestText(v));
    return JsonValue::text(JsonValue::Type::Number, kept.data(),
                           static_cast<std::uint32_t>(kept.size()));
}

JsonValue JsonDocument::number(double v) {
    const std::string_view kept = keep(shortestText(v));
    return JsonValue::text(JsonValue::Type::Number, kept.data(),
                           static_cast<std::uint32_t>(kept.size()));
}

JsonValue JsonDocument::array(std::span<const JsonValue> elements) {
    JsonValue* p = allocate<JsonValue>(elements.size());
    std::copy(elements.begin(), elements.end(), p);
    JsonValue v;
    v.type_ = JsonValue::Type::Array;
    v.u_.elements = p;
    v.size_ = static_cast<std::uint32_t>(elements.size());
    return v;
}

JsonValue JsonDocument::object(std::span<const JsonMember> members) {
    JsonMember* p = allocate<JsonMember>(members.size());
    for (std::size_t i = 0; i < members.size(); ++i)
        p[i] = JsonMember{keep(members[i].key), members[i].value};
    JsonValue v;
    v.type_ = JsonValue::Type::Object;
    v.u_.members = p;
    v.size_ = static_cast<std::uint32_t>(removeRepeatedKeys(p, members.size()));
    return v;
}

} // namespace mapolt
