#include "table/table_column.h"

#include "model/entities.h"
#include "table/column_controller.h"
#include "table/number_formats.h"

namespace mapolt {

double numberOf(const Value& v) {
    if (const auto* f = std::get_if<float>(&v))
        return *f;
    if (const auto* d = std::get_if<double>(&v))
        return *d;
    if (const auto* i = std::get_if<std::int32_t>(&v))
        return *i;
    if (const auto* b = std::get_if<bool>(&v))
        return *b ? 1 : 0;
    return 0;
}

TableColumn::TableColumn(ColumnController& controller, std::string title, std::string coreDataKey,
                         ColumnFormatter formatter, std::int32_t viewOrder)
    : controller_(controller), description_(title), identifier_(std::move(title)),
      coreDataKey_(std::move(coreDataKey)), formatter_(formatter), viewOrder_(viewOrder) {}

Value TableColumn::valueForItem(ATask* task) const {
    return task->value(coreDataKey_);
}

void TableColumn::setValueForItem(ATask* task, const Value& value) {
    if (coreDataKey_ == "name") {
        const auto* text = std::get_if<std::string>(&value);
        task->setName(text != nullptr ? std::optional<std::string>(*text) : std::nullopt);
    } else {
        task->setValue(coreDataKey_, value);
    }
    controller_.postProjectChanged();
}

std::optional<std::string> TableColumn::formatted(const Value& shown) const {
    if (isAbsent(shown))
        return std::nullopt;
    switch (formatter_) {
    case ColumnFormatter::Number:
        return formats::number(numberOf(shown));
    case ColumnFormatter::Integer:
        return formats::integer(numberOf(shown));
    case ColumnFormatter::Percent:
        return formats::percent(numberOf(shown));
    case ColumnFormatter::Date:
        if (const auto* d = std::get_if<Date>(&shown))
            return formats::shortDate(*d);
        return std::nullopt;
    case ColumnFormatter::None:
        break;
    }
    return std::nullopt;
}

std::optional<std::string> TableColumn::stringValueForItem(ATask* task) const {
    const Value shown = valueForItem(task);
    if (formatter_ != ColumnFormatter::None)
        return formatted(shown);
    if (checkBox_)
        return numberOf(shown) != 0 ? "Y" : "N";
    if (const auto* text = std::get_if<std::string>(&shown))
        return *text;
    return std::nullopt;
}

} // namespace mapolt
