#pragma once

#include "chart/print_columns.h"

namespace mapolt {

class ColumnController;

// The printed table shows what the task table shows: its active columns, in their order and
// widths, with each column's own text.
class TablePrintColumns final : public PrintColumnSource {
  public:
    explicit TablePrintColumns(ColumnController& columns) : columns_(&columns) {}

    std::vector<PrintColumn> activeColumns() const override;
    std::string stringValueForItem(const PrintColumn& column, ATask& task) const override;

  private:
    ColumnController* columns_;
};

} // namespace mapolt
