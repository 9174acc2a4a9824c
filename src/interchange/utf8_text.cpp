#include "interchange/utf8_text.h"

#include <algorithm>

namespace mapolt {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

std::string whyMalformed(const unsigned char* p, const unsigned char* end) {
    const unsigned lead = p[0];
    const auto avail = static_cast<std::size_t>(end - p);
    if (lead >= 0x80 && lead <= 0xBF)
        return "a continuation byte without a lead byte";
    if (lead == 0xC0 || lead == 0xC1)
        return "an overlong form";
    if (lead >= 0xF5)
        return "a byte that starts no character";
    const std::size_t want = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    for (std::size_t i = 1; i < want; ++i)
        if (i >= avail || (p[i] & 0xC0) != 0x80)
            return "a character cut short";
    if ((lead == 0xE0 && p[1] < 0xA0) || (lead == 0xF0 && p[1] < 0x90))
        return "an overlong form";
    if (lead == 0xED)
        return "an encoded surrogate";
    return "a character above U+10FFFF";
}

} // namespace

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

std::optional<Utf8Fault> findUtf8Fault(std::string_view text) {
    const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = begin + text.size();
    const auto* p = begin;
    while (p != end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const std::size_t n = utf8SequenceLength(p, end);
        if (n == 0) {
            Utf8Fault fault;
            fault.offset = static_cast<std::size_t>(p - begin);
            fault.line = 1 + static_cast<std::size_t>(std::count(begin, p, '\n'));
            fault.reason = whyMalformed(p, end);
            return fault;
        }
        p += n;
    }
    return std::nullopt;
}

std::string describe(const Utf8Fault& fault) {
    return "invalid UTF-8 at line " + std::to_string(fault.line) + ": " + fault.reason;
}

void appendValidUtf8(std::string& out, std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p != end) {
        const auto* run = p;
        while (p != end && *p < 0x80)
            ++p;
        while (p != end && *p >= 0x80) {
            const std::size_t n = utf8SequenceLength(p, end);
            if (n == 0)
                break;
            p += n;
        }
        out.append(reinterpret_cast<const char*>(run), static_cast<std::size_t>(p - run));
        if (p != end && *p >= 0x80) {
            out += kReplacement;
            ++p;
        }
    }
}

} // namespace mapolt
