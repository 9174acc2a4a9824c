#pragma once

#include "model/date.h"

#include <optional>
#include <string>
#include <string_view>

namespace mapolt {

// The English (United States) medium date style, "Jan 5, 2010", whatever the user's
// locale: the date alone in the process time zone. Years run from 1 to 9999; a date
// outside them gives an empty string.
std::string formatMediumDate(Date d);

// Local midnight of the day a medium-style string names; none when it names no real day.
std::optional<Date> parseMediumDate(std::string_view text);

} // namespace mapolt
