#include "table/number_formats.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <langinfo.h>

namespace mapolt::formats {

namespace {

std::string groupingSeparator() {
    const lconv* lc = std::localeconv();
    return lc != nullptr && lc->thousands_sep != nullptr && *lc->thousands_sep != '\0'
               ? std::string(lc->thousands_sep)
               : std::string(",");
}

std::string decimalPoint() {
    const lconv* lc = std::localeconv();
    return lc != nullptr && lc->decimal_point != nullptr && *lc->decimal_point != '\0'
               ? std::string(lc->decimal_point)
               : std::string(".");
}

// Digits of |value| rounded to `decimals`, split into whole and fraction parts.
void digits(double value, int decimals, std::string& whole, std::string& fraction) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, std::fabs(value));
    const std::string text(buf);
    const std::size_t point = text.find('.');
    whole = text.substr(0, point);
    fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
}

std::string grouped(const std::string& whole) {
    const std::string sep = groupingSeparator();
    std::string out;
    const std::size_t n = whole.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += sep;
        out += whole[i];
    }
    return out;
}

// Two-decimal pattern with a positive section without leading zero and a parenthesised
// negative section with one.
std::string twoDecimals(double value, const char* zero) {
    if (!std::isfinite(value))
        return std::isnan(value) ? "NaN" : (value > 0 ? "+∞" : "-∞");
    std::string whole, fraction;
    digits(value, 2, whole, fraction);
    if (whole == "0" && fraction == "00")
        return zero;
    std::string out;
    if (value > 0) {
        if (whole != "0")
            out = grouped(whole);
    } else {
        out = "(";
        out += grouped(whole);
    }
    out += decimalPoint();
    out += fraction;
    if (value < 0)
        out += ')';
    return out;
}

std::optional<double> parseNumber(std::string_view text) {
    const std::string sep = groupingSeparator();
    std::string clean;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, sep.size(), sep) == 0) {
            i += sep.size() - 1;
            continue;
        }
        const char c = text[i];
        if (c == ' ' || c == '\t')
            continue;
        clean += std::string_view(&c, 1) == decimalPoint() ? '.' : c;
    }
    if (clean.empty())
        return std::nullopt;
    double value = 0;
    const char* begin = clean.data() + (clean.front() == '+' ? 1 : 0);
    const auto r = std::from_chars(begin, clean.data() + clean.size(), value);
    if (r.ec != std::errc() || r.ptr != clean.data() + clean.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

std::string money(double value) {
    return twoDecimals(value, "0.00");
}

std::string number(double value) {
    return twoDecimals(value, "0");
}

std::string integer(double value) {
    if (!std::isfinite(value))
        return "";
    std::string whole, fraction;
    digits(value, 0, whole, fraction);
    if (whole == "0")
        return "0";
    std::string out = value < 0 ? "-" : "";
    out += grouped(whole);
    return out;
}

std::string percent(double value) {
    if (!std::isfinite(value))
        return "";
    std::string out = integer(value);
    out += '%';
    return out;
}

std::string shortDate(Date d) {
    const auto t = static_cast<time_t>(std::floor(d.seconds));
    struct tm local {};
    if (localtime_r(&t, &local) == nullptr)
        return "";
    const std::string pattern = nl_langinfo(D_FMT);
    // Month-first locales write the short style without leading zeros (1/5/10); the others
    // keep two digits (05.01.10). Either way the year has two digits.
    const bool monthFirst = pattern.rfind("%m", 0) == 0;
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 == pattern.size()) {
            out += pattern[i];
            continue;
        }
        const char field = pattern[++i];
        char buf[16];
        switch (field) {
        case 'm':
            std::snprintf(buf, sizeof buf, monthFirst ? "%d" : "%02d", local.tm_mon + 1);
            break;
        case 'd':
        case 'e':
            std::snprintf(buf, sizeof buf, monthFirst ? "%d" : "%02d", local.tm_mday);
            break;
        case 'y':
        case 'Y':
            std::snprintf(buf, sizeof buf, "%02d", (local.tm_year + 1900) % 100);
            break;
        default: {
            const char pattern[] = {'%', field, '\0'};
            std::strftime(buf, sizeof buf, pattern, &local);
        }
        }
        out += buf;
    }
    return out;
}

std::string mediumDate(Date d) {
    return mediumDate(d, nl_langinfo(D_FMT));
}

std::string mediumDate(Date d, std::string_view shortPattern) {
    const auto t = static_cast<time_t>(std::floor(d.seconds));
    struct tm local {};
    if (localtime_r(&t, &local) == nullptr)
        return "";
    const int year = local.tm_year + 1900;
    char buf[128];
    if (shortPattern.starts_with("%m")) {
        char month[64];
        std::strftime(month, sizeof month, "%b", &local);
        std::snprintf(buf, sizeof buf, "%s %d, %d", month, local.tm_mday, year);
    } else if (shortPattern.starts_with("%Y") || shortPattern.starts_with("%y")) {
        // Year-first locales keep their numeric order and separator, with the full year.
        const char separator = shortPattern.size() > 2 ? shortPattern[2] : '-';
        std::snprintf(buf, sizeof buf, "%d%c%02d%c%02d", year, separator, local.tm_mon + 1,
                      separator, local.tm_mday);
    } else if (shortPattern.find('.') != std::string_view::npos) {
        std::snprintf(buf, sizeof buf, "%02d.%02d.%d", local.tm_mday, local.tm_mon + 1, year);
    } else {
        char month[64];
        std::strftime(month, sizeof month, "%b", &local);
        std::snprintf(buf, sizeof buf, "%d %s %d", local.tm_mday, month, year);
    }
    return buf;
}

std::optional<double> parseInteger(std::string_view text) {
    return parseNumber(text);
}

std::optional<double> parsePercent(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '%'))
        text.remove_suffix(1);
    return parseNumber(text);
}

std::optional<double> parseDecimal(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.size() >= 2 && text.front() == '(' && text.back() == ')') {
        const auto inner = parseNumber(text.substr(1, text.size() - 2));
        return inner ? std::optional<double>(-*inner) : std::nullopt;
    }
    return parseNumber(text);
}

std::optional<Date> parseShortDate(std::string_view text) {
    int fields[3] = {0, 0, 0};
    int widths[3] = {0, 0, 0};
    int n = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] < '0' || text[i] > '9') {
            ++i;
            continue;
        }
        if (n == 3)
            return std::nullopt;
        const char* begin = text.data() + i;
        const auto r = std::from_chars(begin, text.data() + text.size(), fields[n]);
        if (r.ec != std::errc())
            return std::nullopt;
        widths[n] = static_cast<int>(r.ptr - begin);
        i += static_cast<std::size_t>(widths[n]);
        ++n;
    }
    if (n != 3)
        return std::nullopt;
    const std::string pattern = nl_langinfo(D_FMT);
    int year = 0;
    int month = 0;
    int day = 0;
    if (widths[0] == 4 || pattern.starts_with("%Y") || pattern.starts_with("%y")) {
        year = fields[0];
        month = fields[1];
        day = fields[2];
    } else if (pattern.starts_with("%m")) {
        month = fields[0];
        day = fields[1];
        year = fields[2];
    } else {
        day = fields[0];
        month = fields[1];
        year = fields[2];
    }
    if (year < 100)
        year += year < 70 ? 2000 : 1900;
    if (month < 1 || month > 12 || day < 1 || day > 31 || year > 9999)
        return std::nullopt;
    const Date d = civil::fromYmd(year, month, day);
    const civil::Ymd back = civil::toYmd(d);
    if (back.month != month || back.day != day)
        return std::nullopt;
    return d;
}

} // namespace mapolt::formats
