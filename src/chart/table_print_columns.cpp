#include "chart/table_print_columns.h"

#include "table/column_controller.h"
#include "table/table_column.h"

namespace mapolt {

std::vector<PrintColumn> TablePrintColumns::activeColumns() const {
    std::vector<PrintColumn> out;
    for (const TableColumn* c : columns_->getActiveColumns())
        out.push_back({c->description(), c->coreDataKey(), c->width()});
    return out;
}

std::string TablePrintColumns::stringValueForItem(const PrintColumn& column, ATask& task) const {
    const TableColumn* c = columns_->getColumn(column.description);
    if (c == nullptr)
        return {};
    return c->stringValueForItem(&task).value_or(std::string());
}

} // namespace mapolt
