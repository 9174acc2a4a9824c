#pragma once

#include "interchange/byte_source.h"
#include "interchange/json_error.h"
#include "interchange/json_value.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mapolt {

// Objects and arrays nest at most this deep, in reading and in writing.
inline constexpr int kJsonMaxDepth = 512;

// How much of a streamed input the reader takes in at once. The text it holds is a piece or
// two (a record across the edge keeps both), whatever the size of the file; a longer record
// or string widens the window as far as it needs.
inline constexpr std::size_t kJsonPieceBytes = std::size_t{1} << 18;

struct JsonParseResult {
    // Holds the tree; the result can be moved without invalidating `value`.
    JsonDocument document;
    // The top-level object or array (the document's root); null when reading failed.
    JsonValue value;
    // The outermost error when reading failed.
    std::optional<JsonError> error;
    // The line, from 1, of the error's offset.
    std::size_t errorLine = 0;

    explicit operator bool() const { return !error.has_value(); }
};

// Reads JSON (RFC 4627) from UTF-8 bytes up to the first NUL byte; only NUL bytes may follow
// it (anything else is "Garbage after JSON"). The top level must be an
// object or an array; numbers stay exact decimals. A null `bytes` is no text at all. Texts
// of 4 GiB or more are refused.
JsonParseResult parseJson(const char* bytes, std::size_t size);
inline JsonParseResult parseJson(std::string_view text) {
    return parseJson(text.data(), text.size());
}

// Receives a plan-sized document record by record while it is read.
class JsonRecordHandler {
  public:
    virtual ~JsonRecordHandler() = default;
    // A member of the top-level object begins; `key` stays valid until reading ends.
    virtual void member(std::string_view key) = 0;
    // One value inside that member's array or object (`key` is its key there, empty in an
    // array). The value and everything it holds are valid only during the call.
    virtual void record(std::string_view key, const JsonValue& value) = 0;
};

// Reads like parseJson, with the same errors, but hands each record (each value inside a
// member of a top-level object) to `handler` as soon as it is read and keeps none of them:
// neither the tree nor the text of a whole document ever exists. The input is taken in
// pieces of `pieceBytes`. The root comes back with its members' arrays and objects empty. On
// an error the handler has seen the records before it. When the input fails (a file that
// changed while it was read, say), the error is an input error with the input's reason.
JsonParseResult parseJsonRecords(ByteSource& input, JsonRecordHandler& handler,
                                 std::size_t pieceBytes = kJsonPieceBytes);
JsonParseResult parseJsonRecords(std::string_view text, JsonRecordHandler& handler,
                                 std::size_t pieceBytes = kJsonPieceBytes);

} // namespace mapolt
