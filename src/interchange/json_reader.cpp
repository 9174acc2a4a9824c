#include "interchange/json_reader.h"

#include "interchange/utf8_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace mapolt {

namespace {

constexpr std::array<bool, 256> plainStringBytes() {
    std::array<bool, 256> t{};
    for (int c = 0x20; c < 0x80; ++c)
        t[static_cast<std::size_t>(c)] = c != '"' && c != '\\';
    return t;
}
constexpr std::array<bool, 256> kPlain = plainStringBytes();

// Bytes readable past the end of the copied text, so that scans may read whole words.
constexpr std::size_t kPadding = 8;

// The first byte at or after `p` that is not plain string text (a quote, a backslash, a
// control byte or a non-ASCII byte), or `end`. Tests eight bytes at a time, reading into
// the padding after the text: plan files are mostly strings, and this scan was the
// reader's largest cost.
const unsigned char* skipPlain(const unsigned char* p, const unsigned char* end) {
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kOnes = 0x0101010101010101ull;
        constexpr std::uint64_t kHigh = 0x8080808080808080ull;
        // Each term flags its lowest matching byte exactly; flags above a match may be
        // false, so only the lowest flag is used. The zero padding always stops the scan.
        for (;; p += 8) {
            std::uint64_t w;
            std::memcpy(&w, p, sizeof w);
            const std::uint64_t quote = w ^ (kOnes * '"');
            const std::uint64_t backslash = w ^ (kOnes * '\\');
            const std::uint64_t stops =
                (((quote - kOnes) & ~quote) | ((backslash - kOnes) & ~backslash) |
                 ((w - kOnes * 0x20) & ~w) | w) &
                kHigh;
            if (stops != 0)
                return std::min(p + (std::countr_zero(stops) >> 3), end);
        }
    } else {
        while (p != end && kPlain[*p])
            ++p;
        return p;
    }
}

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

} // namespace

// Recursive descent over a window of the bytes: the whole text copied at once, or the
// pieces of a streamed input. The depth limit bounds the recursion. Strings without escapes
// and all numbers stay views into the window; elements and members collect on shared stacks
// and move into the document's arena once their container ends. A streamed window holds
// what is being read: once a record has been handed on, nothing points into the text
// before it, and the window moves on.
class JsonReader {
  public:
    JsonReader(JsonDocument& doc, const char* bytes, std::size_t size) : doc_(doc) {
        doc_.arena_ = std::make_unique<std::pmr::monotonic_buffer_resource>(size + 1024);
        doc_.source_.reset(new char[size + kPadding]);
        std::memcpy(doc_.source_.get(), bytes, size);
        std::memset(doc_.source_.get() + size, 0, kPadding);
        begin_ = reinterpret_cast<const unsigned char*>(doc_.source_.get());
        end_ = begin_ + size;
        p_ = begin_;
    }

    // Reads `input` a piece at a time, handing records to `handler`; they live in an arena
    // of their own, emptied after each.
    JsonReader(JsonDocument& doc, ByteSource& input, std::size_t pieceBytes,
               JsonRecordHandler& handler)
        : doc_(doc), handler_(&handler), input_(&input),
          pieceBytes_(std::max<std::size_t>(pieceBytes, 1)),
          recordArena_(std::make_unique<std::pmr::monotonic_buffer_resource>(4096)) {
        capacity_ = pieceBytes_;
        window_.reset(new unsigned char[capacity_ + kPadding]);
        std::memset(window_.get(), 0, kPadding);
        begin_ = window_.get();
        end_ = begin_;
        p_ = begin_;
    }

    std::optional<JsonError> run(JsonValue& out) {
        JsonValue v;
        if (parseValue(v)) {
            skipWhitespace();
            if (p_ != end_) {
                fail(JsonErrorCode::TrailingGarbage, "Garbage after JSON");
            } else if (v.type() != JsonValue::Type::Object && v.type() != JsonValue::Type::Array) {
                fail(JsonErrorCode::Fragment, "Valid fragment, but not JSON");
            } else if (!onlyNulsFollow()) {
                fail(JsonErrorCode::TrailingGarbage, "Garbage after JSON");
            }
        }
        // A failed input explains whatever the text seemed to say.
        if (!inputFailure_.empty()) {
            error_.emplace(JsonErrorCode::Input, inputFailure_, offset());
            errorLine_ = lineAt(p_);
        }
        if (!error_)
            out = v;
        return std::move(error_);
    }

    std::size_t errorLine() const { return errorLine_; }

  private:
    // At the end of the window the input is asked for more; these are false or -1 only at
    // the end of the text.
    bool atEnd() { return p_ == end_ && !more(); }
    int peek() { return atEnd() ? -1 : *p_; }
    // At least `n` bytes from the read position on, unless the text ends sooner.
    bool ensure(std::size_t n) {
        while (static_cast<std::size_t>(end_ - p_) < n)
            if (!more())
                return false;
        return true;
    }
    void skipWhitespace() {
        do {
            while (p_ != end_ && isWhitespace(*p_))
                ++p_;
        } while (p_ == end_ && more());
    }
    const char* at(const unsigned char* p) const { return reinterpret_cast<const char*>(p); }

    std::size_t offset() const { return windowOffset_ + static_cast<std::size_t>(p_ - begin_); }
    std::size_t lineAt(const unsigned char* p) const {
        return 1 + linesBefore_ + static_cast<std::size_t>(std::count(begin_, p, '\n'));
    }

    // Takes the next piece of the input into the window, keeping what is still needed: the
    // bytes from the token being read (`mark_`) or from the read position on. The window
    // moves them to its front when nothing points into it, else a new window takes them and
    // the old one stays until the record is handed on. A token longer than the window
    // doubles it. False when the text has ended.
    bool more() {
        if (input_ == nullptr || inputEnded_)
            return false;
        const unsigned char* keep = mark_ != nullptr ? mark_ : p_;
        const auto kept = static_cast<std::size_t>(end_ - keep);
        linesBefore_ += static_cast<std::size_t>(std::count(begin_, keep, '\n'));
        windowOffset_ += static_cast<std::size_t>(keep - begin_);
        const auto ahead = static_cast<std::size_t>(p_ - keep);
        if (viewed_ || kept + pieceBytes_ > capacity_) {
            capacity_ = std::max(kept + pieceBytes_, 2 * kept);
            std::unique_ptr<unsigned char[]> fresh(new unsigned char[capacity_ + kPadding]);
            std::memcpy(fresh.get(), keep, kept);
            if (viewed_)
                retained_.push_back(std::move(window_));
            window_ = std::move(fresh);
            viewed_ = false;
        } else {
            std::memmove(window_.get(), keep, kept);
        }
        unsigned char* const w = window_.get();
        begin_ = w;
        p_ = w + ahead;
        if (mark_ != nullptr)
            mark_ = w;
        unsigned char* const last = w + kept;
        const std::size_t got = input_->read(reinterpret_cast<char*>(last), capacity_ - kept);
        std::size_t text = got;
        if (got == 0) {
            inputEnded_ = true;
            inputFailure_ = input_->failure();
        } else if (const void* nul = std::memchr(last, 0, got)) {
            // The text ends at its first NUL byte; only NUL bytes may follow.
            text = static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - last);
            inputEnded_ = true;
            nulFound_ = true;
            garbageAfterNul_ =
                std::any_of(last + text, last + got, [](unsigned char c) { return c != 0; });
        }
        end_ = last + text;
        std::memset(w + kept + text, 0, kPadding);
        if (windowOffset_ + kept + text > std::numeric_limits<std::uint32_t>::max()) {
            inputEnded_ = true;
            inputFailure_ = "Input too large";
            end_ = last;
            std::memset(last, 0, kPadding);
            return false;
        }
        return text != 0;
    }

    // After the text's first NUL byte, reads the rest of the input: it may hold NUL bytes
    // only.
    bool onlyNulsFollow() {
        if (garbageAfterNul_)
            return false;
        if (!nulFound_)
            return true;
        std::unique_ptr<char[]> rest(new char[pieceBytes_]);
        for (std::size_t n; (n = input_->read(rest.get(), pieceBytes_)) != 0;)
            if (std::any_of(rest.get(), rest.get() + n, [](char c) { return c != 0; }))
                return false;
        inputFailure_ = input_->failure();
        return true;
    }

    // A view of the text from `from` to `to`. While a document streams, a view outside the
    // records is copied, as the window will move on; a view in a record pins the window.
    std::string_view textView(const unsigned char* from, const unsigned char* to) {
        const std::string_view s(at(from), static_cast<std::size_t>(to - from));
        if (input_ == nullptr)
            return s;
        if (!inRecords())
            return doc_.keep(s);
        viewed_ = true;
        return s;
    }

    // The first failure sets the offset; each later one wraps the error so far.
    bool fail(JsonErrorCode code, std::string message) {
        mark_ = nullptr;
        if (!error_) {
            error_.emplace(code, std::move(message), offset());
            errorLine_ = lineAt(p_);
        } else {
            error_ = error_->wrappedIn(code, std::move(message));
        }
        return false;
    }

    bool literal(std::string_view word, JsonValue value, const char* message, JsonValue& out) {
        if (!ensure(word.size()) || std::memcmp(p_, word.data(), word.size()) != 0)
            return fail(JsonErrorCode::Parse, message);
        p_ += word.size();
        out = value;
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
            std::string_view s;
            if (!parseString(s))
                return false;
            out = JsonValue::text(JsonValue::Type::String, s.data(),
                                  static_cast<std::uint32_t>(s.size()));
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

    // Inside a member of the top-level object while records are handed on: nothing read
    // there is kept.
    bool inRecords() const { return handler_ != nullptr && rootIsObject_ && depth_ >= 2; }

    template <class T> T* allocate(std::size_t n) {
        if (!inRecords())
            return doc_.allocate<T>(n);
        if (n == 0)
            return nullptr;
        return static_cast<T*>(recordArena_->allocate(n * sizeof(T), alignof(T)));
    }
    std::string_view keep(std::string_view s) {
        if (!inRecords())
            return doc_.keep(s);
        if (s.empty())
            return {};
        char* p = allocate<char>(s.size());
        std::memcpy(p, s.data(), s.size());
        return {p, s.size()};
    }

    void handOn(std::string_view key, const JsonValue& v) {
        handler_->record(key, v);
        recordArena_->release();
        retained_.clear();
        viewed_ = false;
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
            if (inRecords() && depth_ == 2)
                handOn({}, v);
            else
                elements_.push_back(v);
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
        const std::size_t n = elements_.size() - base;
        JsonValue* p = allocate<JsonValue>(n);
        std::copy(elements_.begin() + static_cast<std::ptrdiff_t>(base), elements_.end(), p);
        elements_.resize(base);
        out = JsonValue();
        out.type_ = JsonValue::Type::Array;
        out.u_.elements = p;
        out.size_ = static_cast<std::uint32_t>(n);
        --depth_;
        return true;
    }

    bool parseObject(JsonValue& out) {
        if (!enter())
            return false;
        if (depth_ == 1)
            rootIsObject_ = true;
        const std::size_t base = members_.size();
        skipWhitespace();
        if (peek() == '}') {
            ++p_;
            return finishObject(base, out);
        }
        for (;;) {
            if (atEnd())
                return fail(JsonErrorCode::EndOfInput, "End of input while parsing object");
            std::string_view key;
            if (peek() != '"')
                return fail(JsonErrorCode::Parse, "Object key string expected");
            ++p_;
            if (!parseString(key))
                return fail(JsonErrorCode::Parse, "Object key string expected");
            skipWhitespace();
            if (peek() != ':')
                return fail(JsonErrorCode::Parse, "Expected ':' separating key and value");
            ++p_;
            if (handler_ != nullptr && depth_ == 1)
                handler_->member(key);
            JsonValue v;
            if (!parseValue(v))
                return fail(JsonErrorCode::Parse,
                            "Object value expected for key: " + std::string(key));
            if (inRecords() && depth_ == 2)
                handOn(key, v);
            else
                members_.push_back(JsonMember{key, v});
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

    // A repeated key keeps the later value.
    bool finishObject(std::size_t base, JsonValue& out) {
        const std::size_t n = removeRepeatedKeys(members_.data() + base, members_.size() - base);
        JsonMember* p = allocate<JsonMember>(n);
        std::copy_n(members_.begin() + static_cast<std::ptrdiff_t>(base), n, p);
        members_.resize(base);
        out = JsonValue();
        out.type_ = JsonValue::Type::Object;
        out.u_.members = p;
        out.size_ = static_cast<std::uint32_t>(n);
        --depth_;
        return true;
    }

    // After the opening quote. A string without escapes is a view of the text; one with
    // escapes is decoded into the arena.
    bool parseString(std::string_view& out) {
        mark_ = p_;
        for (;;) {
            p_ = skipPlain(p_, end_);
            if (p_ == end_) {
                if (more())
                    continue;
                return fail(JsonErrorCode::EndOfInput, "Unexpected EOF while parsing string");
            }
            const unsigned c = *p_;
            if (c == '"') {
                out = textView(mark_, p_);
                mark_ = nullptr;
                ++p_;
                return true;
            }
            if (c == '\\') {
                scratch_.assign(at(mark_), static_cast<std::size_t>(p_ - mark_));
                mark_ = nullptr;
                return parseEscapedRest(out);
            }
            if (!skipNonAscii(c))
                return false;
        }
    }

    // A multi-byte character is whole in the window before it is checked.
    bool skipNonAscii(unsigned c) {
        if (c < 0x20)
            return fail(JsonErrorCode::ControlCharacter,
                        hexMessage("Unescaped control character '0x%x'", c));
        ensure(4);
        const std::size_t n = utf8SequenceLength(p_, end_);
        if (n == 0)
            return fail(JsonErrorCode::Unicode, "Broken unicode character");
        p_ += n;
        return true;
    }

    bool parseEscapedRest(std::string_view& out) {
        for (;;) {
            const unsigned char* run = p_;
            p_ = skipPlain(p_, end_);
            scratch_.append(at(run), static_cast<std::size_t>(p_ - run));
            if (p_ == end_) {
                if (more())
                    continue;
                return fail(JsonErrorCode::EndOfInput, "Unexpected EOF while parsing string");
            }
            const unsigned c = *p_;
            if (c == '"') {
                ++p_;
                out = keep(scratch_);
                return true;
            }
            if (c == '\\') {
                ++p_;
                if (!parseEscape(scratch_))
                    return false;
                continue;
            }
            mark_ = p_;
            if (!skipNonAscii(c))
                return false;
            scratch_.append(at(mark_), static_cast<std::size_t>(p_ - mark_));
            mark_ = nullptr;
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
            const bool escaped = ensure(2) && p_[0] == '\\' && p_[1] == 'u';
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
        do {
            while (p_ != end_ && isDigit(*p_))
                ++p_;
        } while (p_ == end_ && more());
    }

    bool parseNumber(JsonValue& out) {
        mark_ = p_;
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
        const std::string_view digits = textView(mark_, p_);
        mark_ = nullptr;
        out = JsonValue::text(JsonValue::Type::Number, digits.data(),
                              static_cast<std::uint32_t>(digits.size()));
        return true;
    }

    JsonDocument& doc_;
    JsonRecordHandler* handler_ = nullptr;
    // A streamed input: the window over it, the windows a record still points into, and
    // where the window lies in the text.
    ByteSource* input_ = nullptr;
    std::size_t pieceBytes_ = 0;
    std::size_t capacity_ = 0;
    std::unique_ptr<unsigned char[]> window_;
    std::vector<std::unique_ptr<unsigned char[]>> retained_;
    bool viewed_ = false;
    const unsigned char* mark_ = nullptr;
    std::size_t windowOffset_ = 0;
    std::size_t linesBefore_ = 0;
    bool inputEnded_ = false;
    bool nulFound_ = false;
    bool garbageAfterNul_ = false;
    std::string inputFailure_;
    std::unique_ptr<std::pmr::monotonic_buffer_resource> recordArena_;
    bool rootIsObject_ = false;
    const unsigned char* begin_ = nullptr;
    const unsigned char* end_ = nullptr;
    const unsigned char* p_ = nullptr;
    int depth_ = 0;
    std::optional<JsonError> error_;
    std::size_t errorLine_ = 0;
    std::vector<JsonValue> elements_;
    std::vector<JsonMember> members_;
    std::string scratch_;
};

JsonParseResult parseJson(const char* bytes, std::size_t size) {
    JsonParseResult result;
    if (bytes == nullptr) {
        result.error.emplace(JsonErrorCode::Input, "Input was 'nil'");
        return result;
    }
    const void* nul = std::memchr(bytes, 0, size);
    const std::size_t length =
        nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - bytes) : size;
    if (length > std::numeric_limits<std::uint32_t>::max()) {
        result.error.emplace(JsonErrorCode::Input, "Input too large");
        return result;
    }
    JsonValue root;
    JsonReader reader(result.document, bytes, length);
    result.error = reader.run(root);
    result.errorLine = reader.errorLine();
    // Text ends at a NUL byte, but only padding may follow it: anything else is a second
    // document smuggled behind the first, or a damaged file.
    const auto padding = [](char c) { return c == '\0'; };
    if (!result.error && !std::all_of(bytes + length, bytes + size, padding)) {
        result.error.emplace(JsonErrorCode::TrailingGarbage, "Garbage after JSON", length);
        result.errorLine = 1 + static_cast<std::size_t>(std::count(bytes, bytes + length, '\n'));
        root = JsonValue();
    }
    result.document.setRoot(root);
    result.value = root;
    return result;
}

JsonParseResult parseJsonRecords(ByteSource& input, JsonRecordHandler& handler,
                                 std::size_t pieceBytes) {
    JsonParseResult result;
    JsonValue root;
    JsonReader reader(result.document, input, pieceBytes, handler);
    result.error = reader.run(root);
    result.errorLine = reader.errorLine();
    result.document.setRoot(root);
    result.value = root;
    return result;
}

JsonParseResult parseJsonRecords(std::string_view text, JsonRecordHandler& handler,
                                 std::size_t pieceBytes) {
    TextSource input(text);
    return parseJsonRecords(input, handler, pieceBytes);
}

} // namespace mapolt
