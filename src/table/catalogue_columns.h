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
    void setValueForItem(ATask* task, const Value& value) override;
    float divider() const { return divider_; }

  private:
    float divider_;
};

// "Start Date": the project start plus the whole days of the task's start.
class StartDateColumn final : public TableColumn {
  public:
    StartDateColumn(ColumnController& controller, std::int32_t viewOrder);
    Value valueForItem(ATask* task) const override;
    void setValueForItem(ATask* task, const Value& value) override;
};

// "End Date": the project start plus the whole days of the task's start and length.
class EndDateColumn final : public TableColumn {
  public:
    EndDateColumn(ColumnController& controller, std::int32_t viewOrder);
    Value valueForItem(ATask* task) const override;
    void setValueForItem(ATask* task, const Value& value) override;
};

// "%": the completion as percent text; typed text is read back and kept within 0 to 100.
class PercentColumn final : public TableColumn {
  public:
    PercentColumn(ColumnController& controller, std::int32_t viewOrder);
    Value valueForItem(ATask* task) const override;
    void setValueForItem(ATask* task, const Value& value) override;
    std::optional<std::string> stringValueForItem(ATask* task) const override;
};

// "Resources": the initials of the assigned resources; typed initials reassign the task.
class ResourceInitialsColumn final : public TableColumn {
  public:
    ResourceInitialsColumn(ColumnController& controller, std::int32_t viewOrder);
    Value valueForItem(ATask* task) const override;
    void setValueForItem(ATask* task, const Value& value) override;
    std::optional<std::string> stringValueForItem(ATask* task) const override;
};

// "DependTasks": the row numbers of the predecessors; typed numbers replace them, and an
// edit that would close a cycle leaves them as they were.
class DepNumbersColumns final : public TableColumn {
  public:
    DepNumbersColumns(ColumnController& controller, std::int32_t viewOrder);
    Value valueForItem(ATask* task) const override;
    void setValueForItem(ATask* task, const Value& value) override;
    std::optional<std::string> stringValueForItem(ATask* task) const override;
};

} // namespace mapolt
