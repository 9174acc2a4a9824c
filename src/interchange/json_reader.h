#pragma once

#include "interchange/json_error.h"
#include "interchange/json_value.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace mapolt {

// Objects and arrays nest at most this deep, in reading and in writing.
inline constexpr int kJsonMaxDepth = 512;

struct JsonParseResult {
    // Holds the tree; the result can be moved without invalidating `value`.
    JsonDocument document;
    // The top-level object or array (the document's root); null when reading failed.
    JsonValue value;
    // The outermost error when reading failed.
    std::optional<JsonError> error;

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

} // namespace mapolt
