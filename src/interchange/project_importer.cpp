#include "interchange/project_importer.h"

#include "interchange/xml_tree.h"
#include "model/entities.h"
#include "model/store.h"
#include "model/task_helper.h"

#include <libxml/tree.h>

#include <algorithm>
#include <charconv>
#include <cmath>
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

std::pair<std::size_t, std::size_t> ProjectTaskImporter::importTasks(const XmlTree& doc,
                                                                     std::optional<Date> stDate) {
    reset();
    std::size_t tasks = 0;
    for (xmlNode* element : query(".//Project/Tasks[1]/Task").select(doc)) {
        const std::optional<std::string> name = textOf(doc, element, "./Name[1]");
        const double perc =
            leadingNumber(textOf(doc, element, "./PercentComplete[1]").value_or(""));
        const std::optional<Date> start =
            parseProjectDateTime(textOf(doc, element, "./Start[1]").value_or(""));
        const std::optional<std::string> duration = textOf(doc, element, "./Duration[1]");
        const std::optional<std::string> outlineText = textOf(doc, element, "./OutlineLevel[1]");
        const std::optional<std::string> uid = textOf(doc, element, "./UID[1]");
        const bool milestone = textOf(doc, element, "./Milestone[1]") == "1";
        if (uid) {
            for (xmlNode* link : query("./PredecessorLink").select(doc, element))
                if (auto pred = textOf(doc, link, "./PredecessorUID[1]"))
                    predecessors_.emplace_back(std::move(*pred), *uid);
        }
        if (!start || !stDate || !uid)
            continue;
        const double level = outlineText ? leadingNumber(*outlineText) : 0.0;
        const int outline = static_cast<int>(std::clamp(level, -1.0e6, 1.0e6));
        // The task with UID 0 at the outline's top is the file's project summary: the project
        // itself, not a task of it. Taking it as a task would wrap the plan in one more level
        // on every round trip.
        if (trimmed(*uid) == "0" && outline == 0)
            continue;
        const double hours = duration ? projectTimeParser(*duration) : 0.0;
        double elapsed = hours * 0.125;
        if (elapsed < 0)
            elapsed = -1;
        const double offset = getTimeAmount(*stDate, *start) / 86400;
        ATask* task = addTask(name, perc, offset, elapsed, hours, outline);
        if (milestone)
            addMilestone(task);
        tasksByUID_[*uid] = task;
        ++tasks;
    }
    std::vector<std::pair<ATask*, ATask*>> candidates;
    std::set<std::pair<const ATask*, const ATask*>> seenPairs;
    for (const auto& [predUID, succUID] : predecessors_) {
        ATask* pred = taskForUID(predUID);
        ATask* succ = taskForUID(succUID);
        if (pred == nullptr || succ == nullptr || joinsOutlineRelatives(pred, succ))
            continue;
        if (seenPairs.emplace(pred, succ).second)
            candidates.emplace_back(pred, succ);
    }
    // The usual file has no cycle; checking the whole graph once keeps big files linear.
    const bool acyclic = isAcyclic(candidates);
    std::size_t links = 0;
    for (const auto& [pred, succ] : candidates) {
        bool linked = false;
        for (DepLink* l : pred->dependTasks)
            linked = linked || l->dependeeTask() == succ;
        if (linked || (!acyclic && wouldCloseCycle(pred, succ)))
            continue;
        auto* link = target_.store.insert<DepLink>();
        link->set(&DepLink::dependeeTask, succ);
        pred->addTo(&ATask::dependTasks, link);
        ++links;
    }
    target_.taskHelper.reIndexProject();
    return {tasks, links};
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
        if (!name || !uid)
            continue;
        resourcesByUID_[*uid] = addResource(*name, 0.0);
        ++made;
    }
    return made;
}

// --- the file ------------------------------------------------------------------------------

ProjectImporter::ProjectImporter(ProjectImportTarget& target)
    : target_(target), resources_(target.store), taskImporter_(target),
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
    importTree(*tree);
    return true;
}

bool ProjectImporter::importText(std::string_view text, std::string& error) {
    const std::unique_ptr<XmlTree> tree = XmlTree::parseText(text, error);
    if (!tree)
        return false;
    importTree(*tree);
    return true;
}

void ProjectImporter::importTree(const XmlTree& doc) {
    counts_ = {};
    std::optional<std::string> name = textOf(doc, nullptr, ".//Project/Name[1]");
    if (!name)
        name = textOf(doc, nullptr, ".//Project/Title[1]");
    const std::optional<Date> start =
        parseProjectDay(textOf(doc, nullptr, ".//Project/StartDate[1]").value_or(""));
    if (target_.project != nullptr) {
        target_.project->set(&Project::name, name.value_or(std::string()));
        if (start)
            target_.project->set(&Project::startDate, *start);
    }
    std::tie(counts_.tasks, counts_.links) = taskImporter_.importTasks(doc, start);
    counts_.resources = resourceImporter_.importResources(doc);
    counts_.assignments = importTaskResource(doc);
    target_.store.flushPendingChanges();
}

std::size_t ProjectImporter::importTaskResource(const XmlTree& doc) {
    std::size_t made = 0;
    std::vector<ATask*> assigned;
    std::unordered_set<ATask*> seen;
    for (xmlNode* element : query(".//Project/Assignments[1]/Assignment").select(doc)) {
        const std::optional<std::string> taskUID = textOf(doc, element, "./TaskUID[1]");
        const std::optional<std::string> resourceUID = textOf(doc, element, "./ResourceUID[1]");
        ATask* task = taskUID ? taskImporter_.taskForUID(*taskUID) : nullptr;
        Resource* resource = resourceUID ? resourceImporter_.resourceForUID(*resourceUID) : nullptr;
        if (task == nullptr || resource == nullptr)
            continue;
        // Units are a fraction of the resource's time; a file that leaves them out means the
        // whole of it, as the schema's writers do.
        const std::optional<std::string> units = textOf(doc, element, "./Units[1]");
        const double share = units ? leadingNumber(*units) : 1.0;
        resources_.insertAssignment(resource, task, static_cast<float>(share * 100));
        if (seen.insert(task).second)
            assigned.push_back(task);
        ++made;
    }
    for (ATask* task : assigned)
        resources_.recomputeAssignedTask(task);
    return made;
}

} // namespace mapolt
