#include "interchange/project_importer.h"

#include "interchange/working_time_span.h"
#include "interchange/xml_tree.h"
#include "model/entities.h"
#include "model/store.h"
#include "model/task_helper.h"

#include <libxml/tree.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <set>
#include <tuple>
#include <unordered_set>

namespace mapolt {

namespace {

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool digitsAt(std::string_view s, std::size_t at, std::size_t count, int& out) {
    if (at + count > s.size())
        return false;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        value = value * 10 + (s[i] - '0');
    }
    out = value;
    return true;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

bool parseDayPart(std::string_view s, int& y, int& m, int& d) {
    if (!digitsAt(s, 0, 4, y) || s.size() < 10 || s[4] != '-' || !digitsAt(s, 5, 2, m) ||
        s[7] != '-' || !digitsAt(s, 8, 2, d))
        return false;
    return y >= 1 && m >= 1 && m <= 12 && d >= 1 && d <= daysInMonth(y, m);
}

const XmlQuery& query(std::string_view path) {
    // The handful of fixed queries, compiled once for the process.
    static std::unordered_map<std::string_view, std::unique_ptr<XmlQuery>> compiled;
    auto& slot = compiled[path];
    if (!slot)
        slot = std::make_unique<XmlQuery>(path);
    return *slot;
}

std::optional<std::string> textOf(const XmlTree& doc, xmlNode* element, std::string_view path) {
    std::string text;
    if (!query(path).firstText(doc, element, text))
        return std::nullopt;
    return text;
}

// DurationFormat codes of the elapsed kinds (em, eh, ed, ew, emo, e% and their estimated forms):
// their durations are calendar time, not working time.
bool isElapsedFormat(std::string_view text) {
    const double code = leadingNumber(text);
    for (const int elapsed : {4, 6, 8, 10, 12, 20, 36, 38, 40, 42, 44, 52})
        if (code == elapsed)
            return true;
    return false;
}

// `hours` of calendar time after `at` (before it when negative); whole days by the calendar,
// so a day across a daylight-saving switch is still a day.
Date plusCalendarHours(Date at, double hours) {
    hours = std::isfinite(hours) ? std::clamp(hours, -1.0e8, 1.0e8) : 0.0;
    const double days = std::trunc(hours / 24);
    Date d = civil::addDaysKeepingTime(at, static_cast<int>(days));
    d.seconds += (hours - days * 24) * 3600;
    return d;
}

std::string isoDay(Date d) {
    const civil::Ymd ymd = civil::toYmd(d);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", ymd.year, ymd.month, ymd.day);
    return buf;
}

} // namespace

double leadingNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\n' ||
                             text.front() == '\r'))
        text.remove_prefix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0.0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    // Every caller keeps the number as a float: one beyond the float range is no number.
    if (r.ec != std::errc() || !std::isfinite(value) ||
        std::abs(value) > std::numeric_limits<float>::max())
        return 0.0;
    return value;
}

std::optional<Date> parseProjectDateTime(std::string_view text) {
    text = trimmed(text);
    int y, m, d, h, min;
    if (!parseDayPart(text, y, m, d) || text.size() < 16 || text[10] != 'T' ||
        !digitsAt(text, 11, 2, h) || text[13] != ':' || !digitsAt(text, 14, 2, min))
        return std::nullopt;
    if (h > 23 || min > 59)
        return std::nullopt;
    return civil::fromYmd(y, m, d, h, min);
}

std::optional<Date> parseProjectDay(std::string_view text) {
    text = trimmed(text);
    int y, m, d;
    if (!parseDayPart(text, y, m, d))
        return std::nullopt;
    return civil::fromYmd(y, m, d);
}

// --- tasks ---------------------------------------------------------------------------------

void ProjectTaskImporter::reset() {
    tasksByUID_.clear();
    predecessors_.clear();
    work_.clear();
    projectStart_ = {};
    parent_ = nullptr;
    lastAdded_ = nullptr;
    level_ = 0;
    lastChild_.clear();
    lastChild_[nullptr] = target_.taskHelper.getLastTask();
}

ATask* ProjectTaskImporter::taskForUID(const std::string& uid) const {
    const auto found = tasksByUID_.find(uid);
    return found == tasksByUID_.end() ? nullptr : found->second;
}

double ProjectTaskImporter::getTimeAmount(Date projectStart, Date taskStart) {
    const int d = civil::daysBetween(projectStart, taskStart);
    const auto t = static_cast<time_t>(std::floor(taskStart.seconds));
    struct tm local {};
    localtime_r(&t, &local);
    const int h = local.tm_hour;
    double offset = d;
    if (h <= 8)
        offset = d;
    else if (h <= 12)
        offset = d + (h - 8) * 0.125;
    else if (h < 17)
        offset = d + (h - 9) * 0.125;
    else
        offset = d + 1;
    return offset * 24 * 3600;
}

float ProjectTaskImporter::projectTimeParser(std::string_view duration) {
    duration = trimmed(duration);
    const std::size_t h = duration.find('H', 2);
    if (duration.size() < 3 || h == std::string_view::npos)
        return 0.0f;
    const auto hours = static_cast<float>(leadingNumber(duration.substr(2, h - 2)));
    float minutes = 0.0f;
    if (const std::size_t m = duration.find('M', h + 1); m != std::string_view::npos)
        minutes = static_cast<float>(leadingNumber(duration.substr(h + 1, m - h - 1)));
    return hours + minutes / 60.0f;
}

ATask* ProjectTaskImporter::addTask(const std::optional<std::string>& name, double perc,
                                    double daysFrom, double elapsed, double hours, int outline) {
    const auto view = static_cast<int>(target_.store.count(Entity::ATask));
    if (outline > level_) {
        parent_ = lastAdded_;
    } else {
        // Above the top there is nothing to climb: a file that jumps a million levels down
        // costs no more than its own depth.
        while (outline < level_ && parent_ != nullptr) {
            parent_ = parent_->superTask();
            --level_;
        }
    }
    level_ = outline;
    ATask* x = target_.taskHelper.addTaskSuperTask(parent_, view, false);
    ATask*& previous = lastChild_[parent_];
    x->set(&ATask::prevSibling, previous);
    previous = x;
    lastAdded_ = x;
    x->setName(name);
    x->setPrimitive(&ATask::hours, static_cast<float>(hours));
    x->setPrimitive(&ATask::percComp, static_cast<float>(perc));
    x->setPrimitive(&ATask::daysFromStart, static_cast<float>(daysFrom));
    x->setPrimitive(&ATask::elapsedTime, static_cast<float>(elapsed));
    x->setPrimitive(&ATask::lockedStart, true);
    x->setPrimitive(&ATask::adjustElapsed, true);
    x->setPrimitive(&ATask::adjustHours, false);
    return x;
}

MileStone* ProjectTaskImporter::addMilestone(ATask* task) {
    auto* m = target_.store.insert<MileStone>();
    m->setName(task->name.optional().value_or(std::string()));
    task->addTo(&ATask::milestone, m);
    if (target_.project != nullptr)
        target_.project->addTo(&Project::milestones, m);
    return m;
}

// Links that would make a task wait for itself, directly, through its summary or along a
// cycle, are not made: propagation along them could never settle.
bool ProjectTaskImporter::joinsOutlineRelatives(const ATask* predecessor, const ATask* successor) {
    if (predecessor == successor)
        return true;
    for (const ATask* p = successor->superTask(); p != nullptr; p = p->superTask())
        if (p == predecessor)
            return true;
    for (const ATask* p = predecessor->superTask(); p != nullptr; p = p->superTask())
        if (p == successor)
            return true;
    return false;
}

bool ProjectTaskImporter::wouldCloseCycle(ATask* predecessor, ATask* successor) const {
    std::vector<ATask*> todo{successor};
    std::unordered_set<ATask*> seen{successor};
    while (!todo.empty()) {
        ATask* t = todo.back();
        todo.pop_back();
        for (DepLink* link : t->dependTasks) {
            ATask* next = link->dependeeTask();
            if (next == predecessor)
                return true;
            if (next != nullptr && seen.insert(next).second)
                todo.push_back(next);
        }
    }
    return false;
}

// Kahn's algorithm over the candidate links; the import's document has no links before them.
bool ProjectTaskImporter::isAcyclic(const std::vector<std::pair<ATask*, ATask*>>& candidates) {
    std::unordered_map<ATask*, std::vector<ATask*>> next;
    std::unordered_map<ATask*, std::size_t> incoming;
    const auto edge = [&](ATask* from, ATask* to) {
        next[from].push_back(to);
        ++incoming[to];
        incoming.try_emplace(from, 0);
    };
    for (const auto& [pred, succ] : candidates)
        edge(pred, succ);
    std::vector<ATask*> ready;
    for (const auto& [task, n] : incoming)
        if (n == 0)
            ready.push_back(task);
    std::size_t done = 0;
    while (!ready.empty()) {
        ATask* t = ready.back();
        ready.pop_back();
        ++done;
        for (ATask* s : next[t])
            if (--incoming[s] == 0)
                ready.push_back(s);
    }
    return done == incoming.size();
}

// One Task element as read, and where it goes.
struct ProjectTaskImporter::Row {
    std::optional<std::string> name;
    std::string uid;
    double perc = 0.0;
    std::optional<Date> start;
    std::optional<Date> finish;
    std::optional<double> duration;
    bool elapsed = false;
    std::optional<double> work;
    int outline = 0;
    bool milestone = false;
    double daysFrom = 0.0;
    double hours = 0.0;
};

std::vector<ProjectTaskImporter::Row> ProjectTaskImporter::readRows(const XmlTree& doc) {
    std::vector<Row> rows;
    for (xmlNode* element : query(".//Project/Tasks[1]/Task").select(doc)) {
        const std::optional<std::string> uid = textOf(doc, element, "./UID[1]");
        if (uid) {
            for (xmlNode* link : query("./PredecessorLink").select(doc, element)) {
                auto pred = textOf(doc, link, "./PredecessorUID[1]");
                if (!pred)
                    continue;
                const std::optional<std::string> type = textOf(doc, link, "./Type[1]");
                const bool lag = leadingNumber(textOf(doc, link, "./LinkLag[1]").value_or("")) != 0;
                predecessors_.push_back(
                    {std::move(*pred), *uid, !type || leadingNumber(*type) == 1, lag});
            }
        }
        if (!uid) {
            report_.count(ImportReport::Item::TaskWithoutUID);
            continue;
        }
        if (textOf(doc, element, "./IsNull[1]") == "1") {
            report_.count(ImportReport::Item::BlankTask);
            continue;
        }
        const std::optional<std::string> outlineText = textOf(doc, element, "./OutlineLevel[1]");
        const double level = outlineText ? leadingNumber(*outlineText) : 0.0;
        Row row;
        row.outline = static_cast<int>(std::clamp(level, -1.0e6, 1.0e6));
        // The task with UID 0 at the outline's top is the file's project summary: the project
        // itself, not a task of it. Taking it as a task would wrap the plan in one more level
        // on every round trip.
        if (trimmed(*uid) == "0" && row.outline == 0)
            continue;
        row.uid = *uid;
        row.name = textOf(doc, element, "./Name[1]");
        row.perc = leadingNumber(textOf(doc, element, "./PercentComplete[1]").value_or(""));
        row.start = parseProjectDateTime(textOf(doc, element, "./Start[1]").value_or(""));
        row.finish = parseProjectDateTime(textOf(doc, element, "./Finish[1]").value_or(""));
        if (const auto duration = textOf(doc, element, "./Duration[1]"))
            row.duration = projectTimeParser(*duration);
        row.elapsed = isElapsedFormat(textOf(doc, element, "./DurationFormat[1]").value_or(""));
        if (const auto work = textOf(doc, element, "./Work[1]"))
            row.work = projectTimeParser(*work);
        row.milestone = textOf(doc, element, "./Milestone[1]") == "1";
        rows.push_back(std::move(row));
    }
    return rows;
}

// The day number a row's own dates give it: its start, else its finish less its duration.
std::optional<double> ProjectTaskImporter::ownStart(const Row& row, WorkingTimeSpan& span,
                                                    Date origin) {
    const auto dayOf = [&](Date at) { return getTimeAmount(origin, at) / 86400; };
    if (row.start)
        return dayOf(*row.start);
    if (row.finish && row.duration)
        return row.elapsed ? dayOf(plusCalendarHours(*row.finish, -*row.duration))
                           : span.startBefore(dayOf(*row.finish), *row.duration);
    return std::nullopt;
}

// Gives every row its start and its work in working hours of the project's calendar.
void ProjectTaskImporter::placeRows(std::vector<Row>& rows, std::optional<Date> stDate) {
    Date origin = civil::localMidnight(civil::now());
    if (stDate) {
        origin = *stDate;
    } else {
        // A project that names no start begins on the day of its earliest task.
        std::optional<Date> earliest;
        for (const bool useFinish : {false, true}) {
            for (const Row& row : rows)
                if (const auto& at = useFinish ? row.finish : row.start)
                    earliest = earliest ? std::min(*earliest, *at) : *at;
            if (earliest)
                break;
        }
        if (earliest)
            origin = civil::localMidnight(*earliest);
        WorkingTimeSpan probe(target_.calendars, origin);
        double first = 0.0;
        for (const Row& row : rows)
            first = std::min(first, ownStart(row, probe, origin).value_or(0.0));
        origin = civil::addDays(origin, static_cast<int>(std::floor(first)));
        report_.note("The file gives no project start; the project starts on " + isoDay(origin) +
                     ".");
    }
    projectStart_ = origin;
    WorkingTimeSpan span(target_.calendars, origin);
    const auto dayOf = [&](Date at) { return getTimeAmount(origin, at) / 86400; };
    for (Row& row : rows) {
        const std::optional<double> own = ownStart(row, span, origin);
        row.daysFrom = own.value_or(0.0);
        if (!row.start)
            report_.count(own ? ImportReport::Item::PlacedBeforeFinish
                              : ImportReport::Item::PlacedAtProjectStart);
        if (row.duration && row.elapsed) {
            // Calendar time: the working hours between the start and that much later.
            const Date start = row.start ? *row.start : span.dateOf(row.daysFrom, false);
            row.hours =
                span.hoursBetween(row.daysFrom, dayOf(plusCalendarHours(start, *row.duration)));
        } else if (row.duration) {
            row.hours = *row.duration;
        } else if (row.finish) {
            row.hours = span.hoursBetween(row.daysFrom, dayOf(*row.finish));
        }
    }
}

std::pair<std::size_t, std::size_t> ProjectTaskImporter::importTasks(const XmlTree& doc,
                                                                     std::optional<Date> stDate) {
    reset();
    std::vector<Row> rows = readRows(doc);
    placeRows(rows, stDate);
    for (const Row& row : rows) {
        double elapsed = row.hours * 0.125;
        if (elapsed < 0)
            elapsed = -1;
        ATask* task = addTask(row.name, row.perc, row.daysFrom, elapsed, row.hours, row.outline);
        if (row.milestone)
            addMilestone(task);
        tasksByUID_[row.uid] = task;
        work_[task] = Work{row.hours, row.work, row.elapsed};
    }
    const std::size_t links = makeLinks();
    target_.taskHelper.reIndexProject();
    return {rows.size(), links};
}

std::size_t ProjectTaskImporter::makeLinks() {
    struct Candidate {
        ATask* predecessor;
        ATask* successor;
        const Link* link;
    };
    std::vector<Candidate> candidates;
    std::vector<std::pair<ATask*, ATask*>> pairs;
    std::set<std::pair<const ATask*, const ATask*>> seenPairs;
    for (const Link& link : predecessors_) {
        ATask* pred = taskForUID(link.predecessor);
        ATask* succ = taskForUID(link.successor);
        if (pred == nullptr || succ == nullptr) {
            report_.count(ImportReport::Item::LinkToMissingTask);
        } else if (joinsOutlineRelatives(pred, succ)) {
            report_.count(ImportReport::Item::LinkToItself);
        } else if (seenPairs.emplace(pred, succ).second) {
            candidates.push_back({pred, succ, &link});
            pairs.emplace_back(pred, succ);
        }
    }
    // The usual file has no cycle; checking the whole graph once keeps big files linear.
    const bool acyclic = isAcyclic(pairs);
    std::size_t links = 0;
    for (const auto& [pred, succ, link] : candidates) {
        bool linked = false;
        for (DepLink* l : pred->dependTasks)
            linked = linked || l->dependeeTask() == succ;
        if (linked)
            continue;
        if (!acyclic && wouldCloseCycle(pred, succ)) {
            report_.count(ImportReport::Item::LinkToItself);
            continue;
        }
        auto* made = target_.store.insert<DepLink>();
        made->set(&DepLink::dependeeTask, succ);
        pred->addTo(&ATask::dependTasks, made);
        if (!link->finishToStart)
            report_.count(ImportReport::Item::OtherLinkKind);
        if (link->lag)
            report_.count(ImportReport::Item::LagNotTaken);
        ++links;
    }
    return links;
}

void ProjectTaskImporter::setAssignedWork(ATask* task, double units) {
    const auto found = work_.find(task);
    if (found == work_.end())
        return;
    const Work& w = found->second;
    // Work in elapsed time counts hours around the clock; the duration was already turned
    // into working hours, so it is the measure there.
    const double hours = !w.elapsed && w.work && *w.work > 0 ? *w.work : w.duration * units;
    task->setPrimitive(&ATask::hours, static_cast<float>(hours));
}

// --- resources -----------------------------------------------------------------------------

Resource* ProjectResourceImporter::resourceForUID(const std::string& uid) const {
    const auto found = resourcesByUID_.find(uid);
    return found == resourcesByUID_.end() ? nullptr : found->second;
}

Resource* ProjectResourceImporter::addResource(const std::string& name, double) {
    Resource* r = resources_.getNewResource(name);
    r->setName(name);
    return r;
}

std::size_t ProjectResourceImporter::importResources(const XmlTree& doc) {
    resourcesByUID_.clear();
    std::size_t made = 0;
    for (xmlNode* element : query(".//Project/Resources[1]/Resource").select(doc)) {
        const std::optional<std::string> name = textOf(doc, element, "./Name[1]");
        const std::optional<std::string> uid = textOf(doc, element, "./UID[1]");
        // UID 0 is the placeholder "Unassigned" some writers add: no person.
        if (!name || !uid || trimmed(*uid) == "0")
            continue;
        resourcesByUID_[*uid] = addResource(*name, 0.0);
        ++made;
    }
    return made;
}

// --- the file ------------------------------------------------------------------------------

ProjectImporter::ProjectImporter(ProjectImportTarget& target)
    : target_(target), resources_(target.store), taskImporter_(target, report_),
      resourceImporter_(target, resources_) {
    resources_.setCA(&target.calendars);
    resources_.setTaskLengthCalc(&target.engine);
}

bool ProjectImporter::importFile(const std::filesystem::path& path, std::string& error) {
    return createXMLDocumentFromFile(path, error);
}

bool ProjectImporter::createXMLDocumentFromFile(const std::filesystem::path& path,
                                                std::string& error) {
    const std::unique_ptr<XmlTree> tree = XmlTree::parseFile(path, error);
    if (!tree)
        return false;
    importTree(*tree, path.filename().string());
    return true;
}

bool ProjectImporter::importText(std::string_view text, std::string& error) {
    const std::unique_ptr<XmlTree> tree = XmlTree::parseText(text, error);
    if (!tree)
        return false;
    importTree(*tree, "The file");
    return true;
}

namespace {

// The last line the lenient parse got to: that of the last node in document order.
long lastLineRead(const XmlTree& doc) {
    long line = 0;
    for (xmlNode* n = xmlDocGetRootElement(doc.doc()); n != nullptr; n = n->last)
        line = std::max(line, xmlGetLineNo(n));
    return line;
}

} // namespace

void ProjectImporter::importTree(const XmlTree& doc, const std::string& source) {
    counts_ = {};
    report_.clear();
    warnings_.clear();
    std::optional<std::string> name = textOf(doc, nullptr, ".//Project/Name[1]");
    if (!name)
        name = textOf(doc, nullptr, ".//Project/Title[1]");
    const std::optional<Date> start =
        parseProjectDay(textOf(doc, nullptr, ".//Project/StartDate[1]").value_or(""));
    std::tie(counts_.tasks, counts_.links) = taskImporter_.importTasks(doc, start);
    if (target_.project != nullptr) {
        target_.project->set(&Project::name, name.value_or(std::string()));
        target_.project->set(&Project::startDate, taskImporter_.projectStart());
    }
    counts_.resources = resourceImporter_.importResources(doc);
    counts_.assignments = importTaskResource(doc);
    target_.store.flushPendingChanges();
    if (doc.recovered()) {
        const long line = lastLineRead(doc);
        warnings_.push_back(source + " is damaged; read " + groupedNumber(counts_.tasks) +
                            (counts_.tasks == 1 ? " task" : " tasks") + " up to line " +
                            groupedNumber(static_cast<std::size_t>(std::max(line, 0L))) + ".");
    }
    for (std::string& line : report_.messages())
        warnings_.push_back(std::move(line));
}

std::size_t ProjectImporter::importTaskResource(const XmlTree& doc) {
    std::size_t made = 0;
    std::vector<ATask*> assigned;
    std::unordered_map<ATask*, double> units;
    for (xmlNode* element : query(".//Project/Assignments[1]/Assignment").select(doc)) {
        const std::optional<std::string> taskUID = textOf(doc, element, "./TaskUID[1]");
        const std::optional<std::string> resourceUID = textOf(doc, element, "./ResourceUID[1]");
        // Writers give a task without resources an assignment to no one (UID -65535) or to
        // the placeholder resource 0: nothing is lost by leaving those out.
        if (resourceUID && (trimmed(*resourceUID) == "0" || leadingNumber(*resourceUID) < 0))
            continue;
        ATask* task = taskUID ? taskImporter_.taskForUID(*taskUID) : nullptr;
        Resource* resource = resourceUID ? resourceImporter_.resourceForUID(*resourceUID) : nullptr;
        if (task == nullptr || resource == nullptr) {
            report_.count(ImportReport::Item::AssignmentToMissing);
            continue;
        }
        // Units are a fraction of the resource's time; a file that leaves them out means the
        // whole of it, as the schema's writers do.
        const std::optional<std::string> unitsText = textOf(doc, element, "./Units[1]");
        const double share = unitsText ? leadingNumber(*unitsText) : 1.0;
        resources_.insertAssignment(resource, task, static_cast<float>(share * 100));
        if (units.emplace(task, 0.0).second)
            assigned.push_back(task);
        units[task] += share;
        ++made;
    }
    for (ATask* task : assigned) {
        taskImporter_.setAssignedWork(task, units[task]);
        resources_.recomputeAssignedTask(task);
    }
    return made;
}

} // namespace mapolt
