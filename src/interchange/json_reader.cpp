#include "interchange/json_reader.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>
#include <limits>
#include <memory>
#include <unordered_map>

namespace mapolt {

namespace {

constexpr std::array<bool, 256> plainStringBytes() {
    std::array<bool, 256> t{};
    for (int c = 0x20; c < 0x80; ++c)
        t[static_cast<std::size_t>(c)] = c != '"' && c != '\\';
    return t;
}
constexpr std::array<bool, 256> kPlain = plainStringBytes();

bool isWhitespace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(int c) {
    return c >= '0' && c <= '9';
}

int hexValue(int c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string hexMessage(const char* format, unsigned value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Length of the well-formed UTF-8 sequence at `p` (lead byte 0x80 or above), or 0: no
// overlong forms, no encoded surrogates, nothing above U+10FFFF.
std::size_t utf8SequenceLength(const unsigned char* p, const unsigned char* end) {
    const auto avail = static_cast<std::size_t>(end - p);
    const auto cont = [&](std::size_t i, unsigned lo = 0x80, unsigned hi = 0xBF) {
        return i < avail && p[i] >= lo && p[i] <= hi;
    };
    const unsigned lead = p[0];
    if (lead >= 0xC2 && lead <= 0xDF)
        return cont(1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned lo = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned hi = lead == 0xED ? 0x9F : 0xBF;
        return cont(1, lo, hi) && cont(2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned lo = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned hi = lead == 0xF4 ? 0x8F : 0xBF;
        return cont(1, lo, hi) && cont(2) && cont(3) ? 4 : 0;
    }
    return 0;
}

} // namespace

// Recursive descent over the bytes; the depth limit bounds the recursion. Members and
// elements collect on shared stacks so each finished container is allocated once, at its
// final size.
class JsonReader {
  public:
    JsonReader(const char* begin, const char* end)
        : begin_(reinterpret_cast<const unsigned char*>(begin)),
          end_(reinterpret_cast<const unsigned char*>(end)), p_(begin_) {}

    JsonParseResult run() {
        JsonParseResult result;
        JsonValue v;
        if (!parseValue(v)) {
            result.error = std::move(error_);
            return result;
        }
        skipWhitespace();
        if (p_ != end_) {
            fail(JsonErrorCode::TrailingGarbage, "Garbage after JSON");
        } else if (v.type() != JsonValue::Type::Object && v.type() != JsonValue::Type::Array) {
            fail(JsonErrorCode::Fragment, "Valid fragment, but not JSON");
        }
        if (error_) {
            result.error = std::move(error_);
            return result;
        }
        result.value = std::move(v);
        return result;
    }

  private:
    bool atEnd() const { return p_ == end_; }
    int peek() const { return p_ == end_ ? -1 : *p_; }
    void skipWhitespace() {
        while (p_ != end_ && isWhitespace(*p_))
            ++p_;
    }

    // The first failure sets the offset; each later one wraps the error so far.
    bool fail(JsonErrorCode code, std::string message) {
        if (!error_) {
            error_.emplace(code, std::move(message), static_cast<std::size_t>(p_ - begin_));
        } else {
            error_ = error_->wrappedIn(code, std::move(message));
        }
        return false;
    }

    bool literal(const char* word, JsonValue value, const char* message, JsonValue& out) {
        const std::size_t n = std::strlen(word);
        if (static_cast<std::size_t>(end_ - p_) < n || std::memcmp(p_, word, n) != 0)
            return fail(JsonErrorCode::Parse, message);
        p_ += n;
        out = std::move(value);
        return true;
    }

    bool parseValue(JsonValue& out) {
        skipWhitespace();
        switch (peek()) {
        case '{':
            ++p_;
            return parseObject(out);
        case '[':
            ++p_;
            return parseArray(out);
        case '"': {
            ++p_;
            std::string s;
            if (!parseString(s))
                return false;
            out = JsonValue(std::move(s));
            return true;
        }
        case '-':
        case '0':
        case '1':
        case '2':
        case '3':
        case '4':
        case '5':
        case '6':
        case '7':
        case '8':
        case '9':
            return parseNumber(out);
        case '+':
            return fail(JsonErrorCode::ParseNumber, "Leading + disallowed in number");
        case 't':
            return literal("true", JsonValue(true), "Expected 'true'", out);
        case 'f':
            return literal("false", JsonValue(false), "Expected 'false'", out);
        case 'n':
            return literal("null", JsonValue(nullptr), "Expected 'null'", out);
        case -1:
            return fail(JsonErrorCode::EndOfInput, "Unexpected end of string");
        default:
            return fail(JsonErrorCode::Parse, "Unrecognised leading character");
        }
    }

    bool enter() {
        if (++depth_ > kJsonMaxDepth)
            return fail(JsonErrorCode::Depth, "Nested too deep");
        return true;
    }

    bool parseArray(JsonValue& out) {
        if (!enter())
            return false;
        const std::size_t base = elements_.size();
        skipWhitespace();
        if (peek() == ']') {
            ++p_;
            return finishArray(base, out);
        }
        for (;;) {
            if (atEnd())
                return fail(JsonErrorCode::EndOfInput, "End of input while parsing array");
            JsonValue v;
            if (!parseValue(v))
                return fail(JsonErrorCode::Parse, "Expected value while parsing array");
            elements_.push_back(std::move(v));
            skipWhitespace();
            const int c = peek();
            if (c == ',') {
                ++p_;
                skipWhitespace();
                if (peek() == ']')
                    return fail(JsonErrorCode::TrailingComma, "Trailing comma disallowed in array");
                continue;
            }
            if (c == ']') {
                ++p_;
                return finishArray(base, out);
            }
            if (atEnd())
                return fail(JsonErrorCode::EndOfInput, "End of input while parsing array");
            return fail(JsonErrorCode::Parse, "Expected ',' or ']' after array element");
        }
    }

    bool finishArray(std::size_t base, JsonValue& out) {
        const auto first = elements_.begin() + static_cast<std::ptrdiff_t>(base);
        out = JsonValue(
            JsonArray(std::make_move_iterator(first), std::make_move_iterator(elements_.end())));
        elements_.erase(first, elements_.end());
        --depth_;
        return true;
    }

    bool parseObject(JsonValue& out) {
        if (!enter())
            return false;
        const std::size_t base = members_.size();
        std::unique_ptr<std::unordered_multimap<std::size_t, std::size_t>> index;
        skipWhitespace();
        if (peek() == '}') {
            ++p_;
            return finishObject(base, out);
        }
        for (;;) {
            if (atEnd())
                return fail(JsonErrorCode::EndOfInput, "End of input while parsing object");
            std::string key;
            if (peek() != '"')
                return fail(JsonErrorCode::Parse, "Object key string expected");
            ++p_;
            if (!parseString(key))
                return fail(JsonErrorCode::Parse, "Object key string expected");
            skipWhitespace();
            if (peek() != ':')
                return fail(JsonErrorCode::Parse, "Expected ':' separating key and value");
            ++p_;
            JsonValue v;
            if (!parseValue(v))
                return fail(JsonErrorCode::Parse, "Object value expected for key: " + key);
            addMember(base, index, std::move(key), std::move(v));
            skipWhitespace();
            const int c = peek();
            if (c == ',') {
                ++p_;
                skipWhitespace();
                if (peek() == '}')
                    return fail(JsonErrorCode::TrailingComma,
                                "Trailing comma disallowed in object");
                continue;
            }
            if (c == '}') {
                ++p_;
                return finishObject(base, out);
            }
            if (atEnd())
                return fail(JsonErrorCode::EndOfInput, "End of input while parsing object");
            return fail(JsonErrorCode::Parse, "Expected ',' or '}' after object member");
        }
    }

    // A repeated key keeps the later value. Small objects compare key hashes in a row;
    // large ones (a plan's entity tables) switch to a hash index.
    void addMember(std::size_t base,
                   std::unique_ptr<std::unordered_multimap<std::size_t, std::size_t>>& index,
                   std::string key, JsonValue v) {
        constexpr std::size_t kIndexFrom = 32;
        const std::size_t h = std::hash<std::string_view>{}(key);
        const std::size_t count = members_.size() - base;
        if (index) {
            const auto [lo, hi] = index->equal_range(h);
            for (auto it = lo; it != hi; ++it) {
                JsonMember& m = members_[base + it->second];
                if (m.key == key) {
                    m.value = std::move(v);
                    return;
                }
            }
        } else {
            const std::size_t* hashes = keyHashes_.data() + keyHashes_.size() - count;
            for (std::size_t i = 0; i < count; ++i) {
                if (hashes[i] == h && members_[base + i].key == key) {
                    members_[base + i].value = std::move(v);
                    return;
                }
            }
        }
        members_.push_back(JsonMember{std::move(key), std::move(v)});
        if (index) {
            index->emplace(h, count);
            return;
        }
        keyHashes_.push_back(h);
        if (count + 1 == kIndexFrom) {
            index = std::make_unique<std::unordered_multimap<std::size_t, std::size_t>>();
            for (std::size_t i = 0; i <= count; ++i)
                index->emplace(keyHashes_[keyHashes_.size() - count - 1 + i], i);
            keyHashes_.resize(keyHashes_.size() - count - 1);
        }
    }

    bool finishObject(std::size_t base, JsonValue& out) {
        const auto first = members_.begin() + static_cast<std::ptrdiff_t>(base);
        const std::size_t count = members_.size() - base;
        if (count < 32)
            keyHashes_.resize(keyHashes_.size() - count);
        out = JsonValue(
            JsonObject(std::make_move_iterator(first), std::make_move_iterator(members_.end())));
        members_.erase(first, members_.end());
        --depth_;
        return true;
    }

    bool parseString(std::string& out) {
        for (;;) {
            const unsigned char* run = p_;
            while (p_ != end_ && kPlain[*p_])
                ++p_;
            out.append(reinterpret_cast<const char*>(run), static_cast<std::size_t>(p_ - run));
            if (atEnd())
                return fail(JsonErrorCode::EndOfInput, "Unexpected EOF while parsing string");
            const unsigned c = *p_;
            if (c == '"') {
                ++p_;
                return true;
            }
            if (c == '\\') {
                ++p_;
                if (!parseEscape(out))
                    return false;
            } else if (c < 0x20) {
                return fail(JsonErrorCode::ControlCharacter,
                            hexMessage("Unescaped control character '0x%x'", c));
            } else {
                const std::size_t n = utf8SequenceLength(p_, end_);
                if (n == 0)
                    return fail(JsonErrorCode::Unicode, "Broken unicode character");
                out.append(reinterpret_cast<const char*>(p_), n);
                p_ += n;
            }
        }
    }

    bool parseEscape(std::string& out) {
        if (atEnd())
            return fail(JsonErrorCode::EndOfInput, "Unexpected EOF while parsing string");
        const unsigned c = *p_;
        char plain = 0;
        switch (c) {
        case '"':
        case '\\':
        case '/':
            plain = static_cast<char>(c);
            break;
        case 'b':
            plain = '\b';
            break;
        case 'f':
            plain = '\f';
            break;
        case 'n':
            plain = '\n';
            break;
        case 'r':
            plain = '\r';
            break;
        case 't':
            plain = '\t';
            break;
        case 'u':
            ++p_;
            if (!parseUnicodeEscape(out))
                return fail(JsonErrorCode::Unicode, "Broken unicode character");
            return true;
        default:
            return fail(JsonErrorCode::Escape, hexMessage("Illegal escape sequence '0x%x'", c));
        }
        out += plain;
        ++p_;
        return true;
    }

    bool parseHexQuad(std::uint32_t& v) {
        v = 0;
        for (int i = 0; i < 4; ++i) {
            const int d = hexValue(peek());
            if (d < 0)
                return fail(JsonErrorCode::Unicode, "Missing hex digit in quad");
            v = v * 16 + static_cast<std::uint32_t>(d);
            ++p_;
        }
        return true;
    }

    // After "\u": one character, or a surrogate pair that stands for one.
    bool parseUnicodeEscape(std::string& out) {
        std::uint32_t hi = 0;
        if (!parseHexQuad(hi))
            return fail(JsonErrorCode::Unicode, "Missing hex quad");
        std::uint32_t cp = hi;
        if (hi >= 0xD800 && hi <= 0xDBFF) {
            std::uint32_t lo = 0;
            const bool escaped = end_ - p_ >= 2 && p_[0] == '\\' && p_[1] == 'u';
            if (escaped)
                p_ += 2;
            if (!escaped || !parseHexQuad(lo))
                return fail(JsonErrorCode::Unicode, "Missing low character in surrogate pair");
            if (lo < 0xDC00 || lo > 0xDFFF)
                return fail(JsonErrorCode::Unicode, "Invalid low surrogate char");
            cp = 0x10000 + ((hi - 0xD800) << 10) + (lo - 0xDC00);
        } else if (hi >= 0xDC00 && hi <= 0xDFFF) {
            return fail(JsonErrorCode::Unicode, "Invalid high character in surrogate pair");
        }
        appendUtf8(out, cp);
        return true;
    }

    void skipDigits() {
        while (p_ != end_ && isDigit(*p_))
            ++p_;
    }

    bool parseNumber(JsonValue& out) {
        const unsigned char* start = p_;
        if (peek() == '-')
            ++p_;
        if (peek() == '0') {
            ++p_;
            if (isDigit(peek()))
                return fail(JsonErrorCode::ParseNumber, "Leading 0 disallowed in number");
        } else if (!isDigit(peek())) {
            return fail(JsonErrorCode::ParseNumber, "No digits after initial minus");
        } else {
            skipDigits();
        }
        if (peek() == '.') {
            ++p_;
            if (!isDigit(peek()))
                return fail(JsonErrorCode::ParseNumber, "No digits after decimal point");
            skipDigits();
        }
        if (peek() == 'e' || peek() == 'E') {
            ++p_;
            if (peek() == '-' || peek() == '+')
                ++p_;
            if (!isDigit(peek()))
                return fail(JsonErrorCode::ParseNumber, "No digits after exponent");
            // A decimal holds its exponent in 32 bits; leading zeros do not count.
            std::int64_t exponent = 0;
            for (; isDigit(peek()); ++p_) {
                exponent = exponent * 10 + (*p_ - '0');
                if (exponent > std::numeric_limits<std::int32_t>::max())
                    return fail(JsonErrorCode::ParseNumber, "Failed creating decimal instance");
            }
        }
        out = JsonValue(JsonNumber(std::string(reinterpret_cast<const char*>(start),
                                               static_cast<std::size_t>(p_ - start))));
        return true;
    }

    const unsigned char* begin_;
    const unsigned char* end_;
    const unsigned char* p_;
    int depth_ = 0;
    std::optional<JsonError> error_;
    std::vector<JsonValue> elements_;
    std::vector<JsonMember> members_;
    // Key hashes of the members of every open object that has no index of its own.
    std::vector<std::size_t> keyHashes_;
};

JsonParseResult parseJson(const char* bytes, std::size_t size) {
    if (bytes == nullptr) {
        JsonParseResult result;
        result.error.emplace(JsonErrorCode::Input, "Input was 'nil'");
        return result;
    }
    const void* nul = std::memchr(bytes, 0, size);
    const char* end = nul != nullptr ? static_cast<const char*>(nul) : bytes + size;
    return JsonReader(bytes, end).run();
}

} // namespace mapolt
