#include "interchange/medium_date.h"

#include <array>
#include <cmath>

namespace mapolt {

namespace {

constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Seconds a little beyond 1 Jan of year 1 and 31 Dec 9999 in any time zone, so that the
// conversion to calendar parts stays within what the C library handles.
constexpr double kEarliest = -62135596800.0 - 2 * 86400.0;
constexpr double kLatest = 253402300800.0 + 2 * 86400.0;

bool isLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

// Reads 1 to `maxDigits` digits at `pos`.
std::optional<int> digitsAt(std::string_view s, std::size_t& pos, std::size_t maxDigits) {
    const std::size_t start = pos;
    int v = 0;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9' && pos - start < maxDigits)
        v = v * 10 + (s[pos++] - '0');
    if (pos == start || (pos < s.size() && s[pos] >= '0' && s[pos] <= '9'))
        return std::nullopt;
    return v;
}

void skipBlanks(std::string_view s, std::size_t& pos) {
    while (pos < s.size() && s[pos] == ' ')
        ++pos;
}

} // namespace

std::string formatMediumDate(Date d) {
    if (!std::isfinite(d.seconds) || d.seconds < kEarliest || d.seconds > kLatest)
        return {};
    const civil::Ymd ymd = civil::toYmd(d);
    if (ymd.year < 1 || ymd.year > 9999)
        return {};
    std::string year = std::to_string(ymd.year);
    year.insert(0, 4 - year.size(), '0');
    return std::string(kMonths[static_cast<std::size_t>(ymd.month - 1)]) + " " +
           std::to_string(ymd.day) + ", " + year;
}

std::optional<Date> parseMediumDate(std::string_view s) {
    std::size_t pos = 0;
    skipBlanks(s, pos);
    if (s.size() - pos < 3)
        return std::nullopt;
    int month = 0;
    for (std::size_t i = 0; i < kMonths.size(); ++i)
        if (sameLetters(s.substr(pos, 3), kMonths[i]))
            month = static_cast<int>(i) + 1;
    if (month == 0)
        return std::nullopt;
    pos += 3;
    const std::size_t beforeBlank = pos;
    skipBlanks(s, pos);
    if (pos == beforeBlank)
        return std::nullopt;
    const std::optional<int> day = digitsAt(s, pos, 2);
    if (!day || pos >= s.size() || s[pos] != ',')
        return std::nullopt;
    ++pos;
    skipBlanks(s, pos);
    const std::optional<int> year = digitsAt(s, pos, 4);
    skipBlanks(s, pos);
    if (!year || pos != s.size() || *year < 1 || *day < 1 || *day > daysInMonth(*year, month))
        return std::nullopt;
    return civil::fromYmd(*year, month, *day);
}

} // namespace mapolt
