#pragma once

#include "table/table_column.h"

namespace mapolt {

// "No": the row number, viewOrder + 1; not editable.
class OrderColumn final : public TableColumn {
  public:
    OrderColumn(ColumnController& controller, std::int32_t viewOrder);
    Value valueForItem(ATask* task) const override;
};

// "Hours" and "Days": the work divided by `divider` (1 or 8).
class HoursColumn final : public TableColumn {
  public:
    HoursColumn(ColumnController& controller, std::string title, float divider,
                std::int32_t viewOrder);
    Value valueForItem(ATask* task) const override;
    float divider() const { return divider_; }

  private:
    float divider_;
};

// "Start Date": the project start plus the whole days of the task's start.
class StartDateColumn final : public TableColumn {
  public:
    StartDateColumn(ColumnController& controller, std::int32_t viewOrder);
    Value valueForItem(ATask* task) const override;
};

// "End Date": the project start plus the whole days of the task's start and length.
class EndDateColumn final : public TableColumn {
  public:
    EndDateColumn(ColumnController& controller, std::int32_t viewOrder);
    Value valueForItem(ATask* task) const override;
};

// "%": the completion as percent text.
class PercentColumn final : public TableColumn {
  public:
    PercentColumn(ColumnController& controller, std::int32_t viewOrder);
    Value valueForItem(ATask* task) const override;
    std::optional<std::string> stringValueForItem(ATask* task) const override;
};

// "Resources": the initials of the assigned resources.
class ResourceInitialsColumn final : public TableColumn {
  public:
    ResourceInitialsColumn(ColumnController& controller, std::int32_t viewOrder);
    Value valueForItem(ATask* task) const override;
    std::optional<std::string> stringValueForItem(ATask* task) const override;
};

// "DependTasks": the row numbers of the predecessors.
class DepNumbersColumns final : public TableColumn {
  public:
    DepNumbersColumns(ColumnController& controller, std::int32_t viewOrder);
    Value valueForItem(ATask* task) const override;
    std::optional<std::string> stringValueForItem(ATask* task) const override;
};

} // namespace mapolt
