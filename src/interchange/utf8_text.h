#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mapolt {

// Length of the well-formed UTF-8 sequence at `p` (lead byte 0x80 or above), or 0: no
// overlong forms, no encoded surrogates, nothing above U+10FFFF.
std::size_t utf8SequenceLength(const unsigned char* p, const unsigned char* end);

// Where a text first breaks the UTF-8 rules and why.
struct Utf8Fault {
    std::size_t offset = 0;
    // Counted from 1, by line feeds before the offset.
    std::size_t line = 1;
    std::string reason;
};

std::optional<Utf8Fault> findUtf8Fault(std::string_view text);

// "line 3: an encoded surrogate (byte 0xED)": the fault in the words of a message.
std::string describe(const Utf8Fault& fault);

// Appends `text` with every malformed sequence replaced by U+FFFD.
void appendValidUtf8(std::string& out, std::string_view text);

} // namespace mapolt
