#pragma once

#include "model/value.h"

#include <cstdint>
#include <optional>
#include <string>

namespace mapolt {

class ATask;
class ColumnController;

// How a column turns its shown value into text.
enum class ColumnFormatter { None, Number, Integer, Percent, Date };

// One column of the task table's catalogue: which task attribute it shows, how the stored
// value becomes the shown one, how an edit goes back into the model, and its text for exports.
class TableColumn {
  public:
    static constexpr float kDefaultWidth = 100.0f;
    static constexpr float kNameColumnWidth = 200.0f;

    TableColumn(ColumnController& controller, std::string title, std::string coreDataKey,
                ColumnFormatter formatter, std::int32_t viewOrder);
    virtual ~TableColumn() = default;
    TableColumn(const TableColumn&) = delete;
    TableColumn& operator=(const TableColumn&) = delete;

    virtual Value valueForItem(ATask* task) const;
    // Applies an edit: a number or date as the cell's formatter parsed it, typed text for the
    // text columns, a boolean for check boxes.
    virtual void setValueForItem(ATask* task, const Value& value);
    // The cell's plain text, or none.
    virtual std::optional<std::string> stringValueForItem(ATask* task) const;

    const std::string& description() const { return description_; }
    const std::string& identifier() const { return identifier_; }
    const std::string& coreDataKey() const { return coreDataKey_; }
    ColumnFormatter formatter() const { return formatter_; }
    bool active() const { return active_; }
    void setActive(bool active) { active_ = active; }
    bool editable() const { return editable_; }
    void setEditable(bool editable) { editable_ = editable; }
    bool isCheckBox() const { return checkBox_; }
    void setCheckBox(bool checkBox) { checkBox_ = checkBox; }
    std::int32_t viewOrder() const { return viewOrder_; }
    void setViewOrder(std::int32_t order) { viewOrder_ = order; }
    float width() const { return width_; }
    void setWidth(float width) { width_ = width; }

  protected:
    ColumnController& controller_;
    // The formatter's text for a shown value; none for an absent one.
    std::optional<std::string> formatted(const Value& shown) const;

  private:
    std::string description_;
    std::string identifier_;
    std::string coreDataKey_;
    ColumnFormatter formatter_;
    std::int32_t viewOrder_;
    float width_ = kDefaultWidth;
    bool active_ = true;
    bool editable_ = true;
    bool checkBox_ = false;
};

// A Value read as a number (absent and text read 0).
double numberOf(const Value& v);

} // namespace mapolt
