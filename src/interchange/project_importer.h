#pragma once

#include "interchange/import_report.h"
#include "model/date.h"
#include "schedule/resource_helper.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace mapolt {

class ATask;
class CalandarAccess;
class MileStone;
class Project;
class Resource;
class Store;
class TaskHelper;
class WorkingTimeSpan;
class ScheduleEngine;
class XmlTree;

// Where one import goes: a fresh document's store and services.
struct ProjectImportTarget {
    Store& store;
    Project* project;
    TaskHelper& taskHelper;
    CalandarAccess& calendars;
    ScheduleEngine& engine;
};

struct ProjectImportCounts {
    std::size_t tasks = 0;
    std::size_t links = 0;
    std::size_t resources = 0;
    std::size_t assignments = 0;
};

// Tasks, milestones and finish-to-start links of a project XML file.
class ProjectTaskImporter {
  public:
    ProjectTaskImporter(ProjectImportTarget& target, ImportReport& report)
        : target_(target), report_(report) {}

    // Returns the number of tasks and links made. Without `stDate` the project starts on the
    // day of the earliest task (else today); projectStart() tells which.
    std::pair<std::size_t, std::size_t> importTasks(const XmlTree& doc, std::optional<Date> stDate);
    ATask* addTask(const std::optional<std::string>& name, double perc, double daysFrom,
                   double elapsed, double hours, int outline);
    MileStone* addMilestone(ATask* task);
    ATask* taskForUID(const std::string& uid) const;
    Date projectStart() const { return projectStart_; }

    // The total work of a task with assignments whose Units add up to `units`: the file's
    // Work when it gives some, else the task's duration times the units.
    void setAssignedWork(ATask* task, double units);

    // Seconds from the project start to a task start, counting the working day as
    // 08:00-12:00 and 13:00-17:00.
    static double getTimeAmount(Date projectStart, Date taskStart);
    // Hours of a duration in the form PT12H30M0S.
    static float projectTimeParser(std::string_view duration);

  private:
    struct Row;
    struct Link {
        std::string predecessor;
        std::string successor;
        bool finishToStart;
        bool lag;
    };
    // What a task's work follows from once its assignments are known.
    struct Work {
        double duration;
        std::optional<double> work;
        bool elapsed;
    };

    void reset();
    std::vector<Row> readRows(const XmlTree& doc);
    static std::optional<double> ownStart(const Row& row, WorkingTimeSpan& span, Date origin);
    void placeRows(std::vector<Row>& rows, std::optional<Date> stDate);
    std::size_t makeLinks();
    static bool joinsOutlineRelatives(const ATask* predecessor, const ATask* successor);
    bool wouldCloseCycle(ATask* predecessor, ATask* successor) const;
    static bool isAcyclic(const std::vector<std::pair<ATask*, ATask*>>& candidates);

    ProjectImportTarget& target_;
    ImportReport& report_;
    std::unordered_map<std::string, ATask*> tasksByUID_;
    std::vector<Link> predecessors_;
    std::unordered_map<ATask*, Work> work_;
    Date projectStart_;
    ATask* parent_ = nullptr;
    ATask* lastAdded_ = nullptr;
    int level_ = 0;
    // The last child added under each parent (none = top level), to chain new siblings.
    std::unordered_map<ATask*, ATask*> lastChild_;
};

class ProjectResourceImporter {
  public:
    ProjectResourceImporter(ProjectImportTarget& target, ResourceHelper& resources)
        : target_(target), resources_(resources) {}

    std::size_t importResources(const XmlTree& doc);
    Resource* addResource(const std::string& name, double hours);
    Resource* resourceForUID(const std::string& uid) const;

  private:
    ProjectImportTarget& target_;
    ResourceHelper& resources_;
    std::unordered_map<std::string, Resource*> resourcesByUID_;
};

// Reads a project XML file (Microsoft Project's interchange schema) into a new document:
// name, start date, tasks with outline, links, resources and assignments.
class ProjectImporter {
  public:
    static constexpr std::string_view kImportWarning =
        "Project XML import currently only imports Tasks, Resources and Dependencies.  It does "
        "not import any other information (such as split tasks and calendars).";
    static constexpr std::string_view kImportQuestion = "Are you sure you want to do this?";

    explicit ProjectImporter(ProjectImportTarget& target);

    // False, with `error` naming the file and the reason, when the file cannot be read or is
    // no XML even for the lenient parse; the target then stays as it was.
    bool importFile(const std::filesystem::path& path, std::string& error);
    bool createXMLDocumentFromFile(const std::filesystem::path& path, std::string& error);
    bool importText(std::string_view text, std::string& error);
    std::size_t importTaskResource(const XmlTree& doc);

    const ProjectImportCounts& counts() const { return counts_; }
    // What the last import dropped, changed or repaired, one line each, for the user.
    const std::vector<std::string>& warnings() const { return warnings_; }

  private:
    void importTree(const XmlTree& doc, const std::string& source);

    ProjectImportTarget& target_;
    ImportReport report_;
    std::vector<std::string> warnings_;
    ResourceHelper resources_;
    ProjectTaskImporter taskImporter_;
    ProjectResourceImporter resourceImporter_;
    ProjectImportCounts counts_;
};

// The decimal number at the start of `text` (after blanks); 0 when there is none or it lies
// beyond the float range.
double leadingNumber(std::string_view text);

// "yyyy-MM-dd'T'HH:mm" in local time; what follows the minutes is ignored.
std::optional<Date> parseProjectDateTime(std::string_view text);
// "%Y-%m-%d": local midnight of that day.
std::optional<Date> parseProjectDay(std::string_view text);

} // namespace mapolt
