#include "table/typed_cell_value.h"

#include "table/number_formats.h"
#include "table/table_column.h"

#include <string>

namespace mapolt {

std::optional<Value> valueFromTypedText(const TableColumn& column, std::string_view text) {
    switch (column.formatter()) {
    case ColumnFormatter::None:
    case ColumnFormatter::Percent:
        return Value{std::string(text)};
    case ColumnFormatter::Number:
        if (const auto number = formats::parseDecimal(text))
            return Value{*number};
        return std::nullopt;
    case ColumnFormatter::Integer:
        if (const auto number = formats::parseInteger(text))
            return Value{*number};
        return std::nullopt;
    case ColumnFormatter::Date:
        if (const auto date = formats::parseShortDate(text))
            return Value{*date};
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace mapolt
