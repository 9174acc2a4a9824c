#pragma once

#include "model/value.h"

#include <optional>
#include <string_view>

namespace mapolt {

class TableColumn;

// What a table cell hands its column when the user typed `text` into it: the number or
// date its formatter reads, or the text itself for the text columns (the percent column
// reads its own text). None when the text is no number or date the formatter accepts, so
// the edit is refused and the model keeps its value.
std::optional<Value> valueFromTypedText(const TableColumn& column, std::string_view text);

} // namespace mapolt
