#pragma once

#include "interchange/task_list_writer.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace mapolt {

class ATask;
class ColumnController;
class MailLauncher;
class Project;
class Resource;
class Store;

// The choices of the export panel; they stay as they were between exports.
struct TaskListOptions {
    // 0 comma-separated text, 1 iCalendar, 2 HTML.
    int expType = 0;
    // 0 outline order, anything else start order.
    int order = 0;
    // Prefix each task with the names of its ancestors.
    bool superNames = false;
};

// Writes task lists: per resource, the tasks assigned to it with the table's shown columns,
// into files, into a string for the resource palette, or into a new mail message.
class Exporter {
  public:
    Exporter(Store& context, ColumnController* columns, FileWriter fileWriter = writeWholeFile);

    TaskListOptions& options() { return options_; }

    std::unique_ptr<TaskListWriter> makeWriter(int type) const;
    void setWriter(std::unique_ptr<TaskListWriter> writer) { exporter_ = std::move(writer); }

    // The export command after its panel: a writer of the chosen format, one file per
    // resource into `folder`, then the writer is released.
    void doExport(const std::filesystem::path& folder);
    // One list per resource into `folder` (none: only the buffers are built).
    void exportTaskList(const std::optional<std::filesystem::path>& folder);
    // One resource's list; returns the writer's buffer.
    std::string exportTaskList(const std::optional<std::filesystem::path>& folder,
                               Resource* forResource);
    // The HTML list of one resource, no file written.
    std::string exportToString(Resource* resource);
    // A new message to the resource with its list of the given type attached (tab-separated
    // for type 0). The file goes to `folder` (mailFolder() in the app) and is deleted after
    // the hand-off unless the mail program reads it later.
    bool exportToMail(Resource* resource, int type, MailLauncher& launcher,
                      const std::filesystem::path& folder);

    // The mail command: one message with the iCalendar list for every resource.
    void emailTaskList(MailLauncher& launcher, const std::filesystem::path& folder);

    Date startDateForTask(const ATask* task) const;
    Date endDateForTask(const ATask* task) const;
    // The text the list shows for a task: its name, with its ancestors' names in front when
    // superNames is on.
    std::string taskText(const ATask* task) const;
    // A stable identity for one task in one resource's list.
    std::string eventIdentity(const ATask* task, const Resource* resource) const;

  private:
    Project* project() const;

    Store& context_;
    ColumnController* columns_;
    FileWriter fileWriter_;
    TaskListOptions options_;
    std::unique_ptr<TaskListWriter> exporter_;
};

} // namespace mapolt
