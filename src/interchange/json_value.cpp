#include "interchange/json_value.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

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

template <class T> std::string shortestText(T v) {
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general);
    return ec == std::errc{} ? std::string(buf, end) : std::string("nan");
}

} // namespace

JsonNumber JsonNumber::fromInt(std::int64_t v) {
    return JsonNumber(std::to_string(v));
}

JsonNumber JsonNumber::fromFloat(float v) {
    return JsonNumber(shortestText(v));
}

JsonNumber JsonNumber::fromDouble(double v) {
    return JsonNumber(shortestText(v));
}

std::optional<JsonNumber> JsonNumber::fromText(std::string_view text) {
    if (text.empty() || numberLength(text) != text.size())
        return std::nullopt;
    return JsonNumber(std::string(text));
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

const JsonValue* JsonValue::find(std::string_view key) const {
    const JsonObject* o = asObject();
    if (o == nullptr)
        return nullptr;
    for (const JsonMember& m : *o)
        if (m.key == key)
            return &m.value;
    return nullptr;
}

void JsonValue::set(std::string_view key, JsonValue value) {
    JsonObject& o = std::get<JsonObject>(v_);
    for (JsonMember& m : o) {
        if (m.key == key) {
            m.value = std::move(value);
            return;
        }
    }
    o.push_back(JsonMember{std::string(key), std::move(value)});
}

void JsonValue::push(JsonValue value) {
    std::get<JsonArray>(v_).push_back(std::move(value));
}

// Objects compare as unordered maps: the same keys with equal values.
bool operator==(const JsonValue& a, const JsonValue& b) {
    if (a.type() != b.type())
        return false;
    const JsonObject* oa = a.asObject();
    if (oa == nullptr)
        return a.v_ == b.v_;
    const JsonObject& ob = *b.asObject();
    if (oa->size() != ob.size())
        return false;
    return std::all_of(oa->begin(), oa->end(), [&](const JsonMember& m) {
        const JsonValue* other = b.find(m.key);
        return other != nullptr && *other == m.value;
    });
}

} // namespace mapolt
