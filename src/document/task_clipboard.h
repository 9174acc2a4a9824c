#pragma once

#include "model/value.h"

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace mapolt {

class AlertPresenter;
class ATask;
class ATaskResource;
class ColumnController;
class DepLink;
class Pasteboard;
class ResourceHelper;
class ScheduleEngine;
class Store;
class TaskHelper;

// The private clipboard form of one task: its copied values, its identity and its parent's
// within the copy, the links it leads and its assignments.
struct ClipboardTask {
    struct Link {
        std::optional<bool> sticky;
        std::optional<double> daysBetween;
        std::string dependeeTask;
        std::string dependTask;
    };
    struct Assignment {
        std::string uid;
        std::optional<float> perc;
        std::string name;
    };
    std::vector<std::pair<std::string, Value>> attributes;
    std::string uid;
    std::optional<std::string> superTask;
    std::vector<Link> dependTasks;
    std::vector<Assignment> resources;
};

// What a document needs for copy, cut, paste and delete of tasks.
struct ClipboardServices {
    Store& store;
    TaskHelper& helper;
    ScheduleEngine& engine;
    ResourceHelper& resources;
    // The table's shown columns for the text form; none writes no columns.
    ColumnController* columns = nullptr;
    // Asks about duplicate assignments; none adds them silently.
    AlertPresenter* alerts = nullptr;
};

// The document's edit commands on tasks: the selection goes on the pasteboard as private
// records (with subtasks, the links among them and their assignments) and as tab-separated
// text of the shown columns; paste rebuilds the copied subtree after the selection.
class TaskClipboard {
  public:
    TaskClipboard(ClipboardServices services, Pasteboard& pasteboard)
        : s_(services), pasteboard_(pasteboard) {}

    void copy(const std::vector<ATask*>& selection);
    void cut(const std::vector<ATask*>& selection);
    // Pastes after the last task of the selection, or at the end of the outline; returns the
    // pasted tasks (none when the pasteboard has no tasks).
    std::vector<ATask*> paste(const std::vector<ATask*>& selection);
    void deleteTasks(const std::vector<ATask*>& selection);
    std::vector<ATask*> expandSelectionToSubTasks(const std::vector<ATask*>& tasks) const;
    bool shouldAddDuplicateResource() const;

    static const std::vector<std::string>& copyKeys();
    ClipboardTask dictionaryRepresentation(ATask* task) const;
    ClipboardTask::Link dictionaryRepresentationDepLink(DepLink* link) const;
    ClipboardTask::Assignment dictionaryRepresentationTaskResource(ATaskResource* assignment) const;
    static std::string stringDescription(const ATask* task);
    std::string stringDescription(ATask* task, const ColumnController* withKeys) const;
    ATask* pasteInsertTask(ATask* after, const std::vector<std::pair<std::string, Value>>& values);
    ATask* pasteEndTask(const std::vector<std::pair<std::string, Value>>& values);

    // The private form's bytes (JSON) and back; none for bytes that are no task list.
    static std::string encode(const std::vector<ClipboardTask>& tasks);
    static std::optional<std::vector<ClipboardTask>> decode(const std::string& bytes);

  private:
    void applyValues(ATask* task, const std::vector<std::pair<std::string, Value>>& values);
    std::string headerLine() const;

    ClipboardServices s_;
    Pasteboard& pasteboard_;
};

} // namespace mapolt
