#pragma once

#include <memory>
#include <string>
#include <vector>

namespace mapolt {

class ATask;
class ChartSchedule;
class Project;

// One active column of the printed task table.
struct PrintColumn {
    std::string description;
    std::string coreDataKey;
    float width = 0.0f;
};

// The columns of the printed table and the text of a cell. The task table's column logic
// answers these once it is part of the build; until then BasicPrintColumns stands in.
class PrintColumnSource {
  public:
    virtual ~PrintColumnSource() = default;
    virtual std::vector<PrintColumn> activeColumns() const = 0;
    virtual std::string stringValueForItem(const PrintColumn& column, ATask& task) const = 0;
};

// Task name, work in hours, duration in days, start date and completion, with the
// shared number formats.
class BasicPrintColumns final : public PrintColumnSource {
  public:
    BasicPrintColumns(Project& project, ChartSchedule& schedule)
        : project_(&project), schedule_(&schedule) {}

    std::vector<PrintColumn> activeColumns() const override;
    std::string stringValueForItem(const PrintColumn& column, ATask& task) const override;

  private:
    Project* project_;
    ChartSchedule* schedule_;
};

// "#,###.00;0.00;(#,##0.00)" and "0%;0%;-0%".
std::string formatHours(double value);
std::string formatPercent(double value);

} // namespace mapolt
