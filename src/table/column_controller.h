#pragma once

#include "model/store.h"
#include "table/table_column.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace mapolt {

class ColumnStates;
class Project;
class ResourceHelper;
class ScheduleEngine;
class TaskHelper;

// What the columns' edits go through: the outline and link service, the engine's editing
// protocol, and the resource service.
struct ColumnEditing {
    TaskHelper& helper;
    ScheduleEngine& engine;
    ResourceHelper& resources;
};

// The task table's column catalogue for one document, which columns are shown in what order
// and how wide, kept in the document's ColumnStates records.
class ColumnController {
  public:
    // Without `editing` the columns show values but edits that reschedule change nothing.
    ColumnController(Store& context, Project* project, ColumnEditing* editing = nullptr);
    ~ColumnController();
    ColumnController(const ColumnController&) = delete;
    ColumnController& operator=(const ColumnController&) = delete;

    void createColumns();
    // The shown columns in display order, built from the catalogue on first use.
    const std::vector<TableColumn*>& getActiveColumns();
    TableColumn* getColumn(const std::string& title) const;
    const std::vector<std::unique_ptr<TableColumn>>& catalogue() const { return catalogue_; }
    // Reloads shown flags, order and widths from ColumnStates and rebuilds the shown list;
    // posts ProjectChanged with the controller as sender.
    void rebuildActiveColumns();
    void setColumnWidths();
    ColumnStates* createIfNeededColumnWithName(const std::string& title, std::int32_t order,
                                               bool active);
    float totalWidth();
    float taskWidth() const;

    Store& context() const { return context_; }
    ColumnEditing* editing() const { return editing_; }
    Project* project() const { return project_; }
    void postProjectChanged() const;

  private:
    void observeStates();

    Store& context_;
    Project* project_;
    ColumnEditing* editing_;
    std::vector<std::unique_ptr<TableColumn>> catalogue_;
    std::vector<TableColumn*> active_;
    std::map<std::string, TableColumn*, std::less<>> byTitle_;
    std::vector<ObservationToken> observations_;
    bool rebuilding_ = false;
    bool built_ = false;
    bool rebuiltOnce_ = false;
};

} // namespace mapolt
