#include "interchange/json_writer.h"

#include "interchange/json_reader.h"
#include "interchange/utf8_text.h"
#include "model/diagnostic_log.h"

#include <array>
#include <charconv>

namespace mapolt {

namespace {

constexpr std::array<bool, 256> escapedBytes() {
    std::array<bool, 256> t{};
    for (int c = 0; c < 0x20; ++c)
        t[static_cast<std::size_t>(c)] = true;
    for (int c = 0x80; c < 0x100; ++c)
        t[static_cast<std::size_t>(c)] = true;
    t['"'] = true;
    t['\\'] = true;
    return t;
}
constexpr std::array<bool, 256> kEscaped = escapedBytes();

template <class T> void appendNumber(std::string& out, T v) {
    char buf[64];
    std::to_chars_result r{};
    if constexpr (std::is_floating_point_v<T>) {
        r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general);
    } else {
        r = std::to_chars(buf, buf + sizeof buf, v);
    }
    out.append(buf, r.ptr);
}

// Recursive over the tree; the depth limit bounds the recursion.
class TreeWriter {
  public:
    explicit TreeWriter(std::string& out) : stream_(out) {}

    bool write(const JsonValue& v, int depth) {
        switch (v.type()) {
        case JsonValue::Type::Null:
            stream_.null();
            return true;
        case JsonValue::Type::Bool:
            stream_.boolean(*v.asBool());
            return true;
        case JsonValue::Type::String:
            stream_.string(*v.asString());
            return true;
        case JsonValue::Type::Number:
            if (!v.asNumber()->isFinite())
                return fail(JsonErrorCode::Unsupported,
                            "JSON serialisation not supported for non-finite number");
            stream_.number(*v.asNumber());
            return true;
        case JsonValue::Type::Array:
            if (depth + 1 > kJsonMaxDepth)
                return fail(JsonErrorCode::Depth, "Nested too deep");
            stream_.beginArray();
            for (const JsonValue& e : v.elements())
                if (!write(e, depth + 1))
                    return false;
            stream_.endArray();
            return true;
        case JsonValue::Type::Object:
            if (depth + 1 > kJsonMaxDepth)
                return fail(JsonErrorCode::Depth, "Nested too deep");
            stream_.beginObject();
            for (const JsonMember& m : v.members()) {
                stream_.key(m.key);
                if (!write(m.value, depth + 1))
                    return fail(JsonErrorCode::Unsupported,
                                "Unsupported value for key " + std::string(m.key) + " in object");
            }
            stream_.endObject();
            return true;
        }
        return false;
    }

    bool fail(JsonErrorCode code, std::string message) {
        error = error ? error->wrappedIn(code, std::move(message))
                      : JsonError(code, std::move(message));
        return false;
    }

    std::optional<JsonError> error;

  private:
    JsonStreamWriter stream_;
};

} // namespace

void appendJsonString(std::string& out, std::string_view s) {
    out += '"';
    const char* p = s.data();
    const char* end = p + s.size();
    while (p != end) {
        const char* run = p;
        while (p != end && !kEscaped[static_cast<unsigned char>(*p)])
            ++p;
        out.append(run, p);
        if (p == end)
            break;
        if (static_cast<unsigned char>(*p) >= 0x80) {
            // Our reader refuses malformed UTF-8, so none may reach a file: such a sequence
            // is written as U+FFFD.
            const auto* u = reinterpret_cast<const unsigned char*>(p);
            const std::size_t n =
                utf8SequenceLength(u, reinterpret_cast<const unsigned char*>(end));
            if (n == 0) {
                out += "\xEF\xBF\xBD";
                ++p;
            } else {
                out.append(p, n);
                p += n;
            }
            continue;
        }
        const auto c = static_cast<unsigned char>(*p++);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default: {
            static constexpr char kHex[] = "0123456789abcdef";
            const char esc[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
            out.append(esc, sizeof esc);
        }
        }
    }
    out += '"';
}

void JsonStreamWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!empty_.empty()) {
        if (!empty_.back())
            out_ += ',';
        empty_.back() = false;
    }
}

void JsonStreamWriter::beginObject() {
    beforeValue();
    out_ += '{';
    empty_.push_back(true);
}

void JsonStreamWriter::endObject() {
    out_ += '}';
    empty_.pop_back();
}

void JsonStreamWriter::beginArray() {
    beforeValue();
    out_ += '[';
    empty_.push_back(true);
}

void JsonStreamWriter::endArray() {
    out_ += ']';
    empty_.pop_back();
}

void JsonStreamWriter::key(std::string_view name) {
    beforeValue();
    appendJsonString(out_, name);
    out_ += ':';
    afterKey_ = true;
}

void JsonStreamWriter::string(std::string_view s) {
    beforeValue();
    appendJsonString(out_, s);
}

void JsonStreamWriter::number(const JsonNumber& n) {
    beforeValue();
    out_ += n.text();
}

void JsonStreamWriter::number(std::int64_t v) {
    beforeValue();
    appendNumber(out_, v);
}

void JsonStreamWriter::number(float v) {
    beforeValue();
    appendNumber(out_, v);
}

void JsonStreamWriter::number(double v) {
    beforeValue();
    appendNumber(out_, v);
}

void JsonStreamWriter::boolean(bool v) {
    beforeValue();
    out_ += v ? "true" : "false";
}

void JsonStreamWriter::null() {
    beforeValue();
    out_ += "null";
}

JsonWriteResult writeJson(const JsonValue& root) {
    JsonWriteResult result;
    TreeWriter writer(result.text);
    if (root.type() != JsonValue::Type::Object && root.type() != JsonValue::Type::Array) {
        writer.fail(JsonErrorCode::Fragment, "Not valid type for JSON");
    } else {
        writer.write(root, 0);
    }
    if (writer.error) {
        logDiagnostic("-JSONRepresentation failed. Error trace is: " +
                      writer.error->traceDescription());
        result.text.clear();
        result.error = std::move(writer.error);
    }
    return result;
}

} // namespace mapolt
