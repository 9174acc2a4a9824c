#pragma once

#include "model/date.h"

#include <optional>
#include <string>
#include <string_view>

// Number and date texts of the table, the printout and the reports. Grouping and decimal
// characters follow the process locale (a locale without grouping writes ",").
namespace mapolt::formats {

// "#,###.00;0.00;(#,##0.00)", money and hours: 1,234.50, .50, 0.00, (0.50).
std::string money(double value);
// "#,###.00;0;(#,##0.00)", the table's numbers: like money, but zero is 0.
std::string number(double value);
// "#,###;0;", whole numbers: 1,001, 0.
std::string integer(double value);
// Percent style, multiplier 1, 0 to 100: 50 shows as 50%.
std::string percent(double value);
// The short date style of the locale, without a time: 1/5/10 in US English.
std::string shortDate(Date d);
// The medium date style of the locale, without a time: Jan 5, 2010 in US English. It is
// told apart by the locale's short pattern, passed in for a locale other than the process's.
std::string mediumDate(Date d);
std::string mediumDate(Date d, std::string_view shortPattern);

// What the integer and percent formatters read back from typed text; none when the text is
// no number. Grouping characters are accepted, a trailing percent sign too.
std::optional<double> parseInteger(std::string_view text);
std::optional<double> parsePercent(std::string_view text);
// What the number formatter reads back: grouping accepted, "(1.50)" is -1.5.
std::optional<double> parseDecimal(std::string_view text);
// A date typed in the locale's short style (1/5/10, 05.01.10, 10-01-05) or as 2010-01-05;
// local midnight of that day. Two-digit years below 70 are 20xx.
std::optional<Date> parseShortDate(std::string_view text);

} // namespace mapolt::formats
