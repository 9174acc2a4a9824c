#include "schedule/task_length_calc.h"

#include "model/entities.h"
#include "model/notification_center.h"
#include "model/prefetch.h"
#include "model/store.h"
#include "schedule/calandar_access.h"
#include "schedule/propagator.h"

#include <algorithm>
#include <cmath>

namespace mapolt {

namespace {

constexpr float kElapsedHoursPerDay = 8.0f;
constexpr float kDaysPerElapsedHour = 0.125f;

int wholeDayNumber(float day) {
    // Damaged files can hold any float; keep the day number representable.
    constexpr float kLimit = 10'000'000.0f;
    if (std::isnan(day))
        return 0;
    return static_cast<int>(std::trunc(std::clamp(day, -kLimit, kLimit)));
}

float shareOfResource(const ATaskResource* res) {
    if (res == nullptr)
        return 1.0f;
    float factor = res->perc() / 100.0f;
    if (static_cast<double>(factor) < 0.01)
        factor = 0.01f;
    return factor;
}

// A walk compares the usage its assignments kept from the last walk with the new one at the
// end. Asked for before the walk, those scattered records arrive while the calendars are read.
void prefetchUsage(const std::vector<ATaskResource*>& assignments) {
    for (const ATaskResource* res : assignments)
        for (const AResourceUsage* u : res->resourceUsage) {
            prefetchLine(&u->daysFromStart);
            prefetchLine(&u->resource);
        }
}

// The most hours a calendar gives on any one day, by its weekly pattern or an exception.
double mostHoursOfADay(const Calandar* cal) {
    double most = 0.0;
    if (cal == nullptr)
        return most;
    for (const Week* w : cal->weekWork)
        most = std::max(most, w->hours());
    for (const Day* d : cal->workingDays)
        most = std::max(most, static_cast<double>(d->hours()));
    return most;
}

bool needsRollUp(ATask* task) {
    return task->invalid() && task->adjustElapsed() && !task->subTasks.empty();
}

} // namespace

TaskLengthCalc::TaskLengthCalc(Store& context, CalandarAccess& calandarAccess)
    : context_(context), calandarAccess_(&calandarAccess),
      propagator_(std::make_unique<Propagator>(context, *this)) {}

TaskLengthCalc::~TaskLengthCalc() = default;

Project* TaskLengthCalc::project() {
    if (project_ == nullptr)
        project_ = context_.fetchFirst<Project>({}, {});
    return project_;
}

void TaskLengthCalc::postValuesChanged() {
    NotificationCenter::defaultCenter().post(kProjectValuesChanged, this, &context_);
}

float TaskLengthCalc::calcOffset(const ATask* task) const {
    return task == nullptr ? 0.0f : task->daysFromStart();
}

TaskLengthCalc::UsageDay TaskLengthCalc::workOn(float day, ATaskResource* res,
                                                float fractionOfDay) {
    const float factor = shareOfResource(res);
    Project* p = project();
    const Date start = p != nullptr ? p->startDate() : Date{};
    const CalandarReturnStruct c = calandarAccess_->hoursForDay(
        clock_.day(start, wholeDayNumber(day)), res != nullptr ? res->resource() : nullptr);
    const float used =
        res != nullptr ? factor * c.hours * fractionOfDay : c.hours * factor * fractionOfDay;
    return UsageDay{day, c.hours, used};
}

// Work that the calendars cannot give within the walk's hundred years even if every day were
// their longest is known unreachable without walking it: such a walk would only spend a
// hundred years of lookups (and usage records) to find the same.
bool TaskLengthCalc::beyondReach(float work, const std::vector<ATaskResource*>& assignments) {
    constexpr double kHoursOfADay = 24.0;
    double shares = assignments.empty() ? 1.0 : 0.0;
    for (const ATaskResource* a : assignments)
        shares += shareOfResource(a);
    // Ordinary work on ordinary calendars: not worth reading the calendars for.
    if (!(static_cast<double>(work) > kMaxWalkDays * kHoursOfADay * shares))
        return false;
    double perDay = 0.0;
    const auto mostOf = [this](const Resource* r) {
        if (r == nullptr)
            return mostHoursOfADay(calandarAccess_->getBaseCalandar());
        const Calandar* own = r->cal();
        return own == nullptr
                   ? 0.0
                   : std::max(mostHoursOfADay(own), mostHoursOfADay(own->superCalandar()));
    };
    if (assignments.empty())
        perDay = mostOf(nullptr);
    for (const ATaskResource* a : assignments)
        perDay += shareOfResource(a) * mostOf(a->resource());
    // A calendar without any working hour is left to the walk, which gives up after a year.
    // The factor two keeps the float sums of a real walk well inside the bound.
    const double reach = perDay * kMaxWalkDays;
    return reach > 0.0 && static_cast<double>(work) > 2.0 * reach;
}

void TaskLengthCalc::markUnfinishable(ATask* task, bool beyondReach) {
    unfinishable_.push_back(task);
    if (beyondReach)
        beyondReach_.push_back(task);
}

bool TaskLengthCalc::workBeyondReach(const ATask* task) const {
    return std::find(beyondReach_.begin(), beyondReach_.end(), task) != beyondReach_.end();
}

AResourceUsage* TaskLengthCalc::recordUsage(ATaskResource* res, const UsageDay& w) {
    // A fresh record: its values need no undo of their own, undoing the insertion removes it.
    auto* usage = context_.insert<AResourceUsage>();
    usage->setPrimitive(&AResourceUsage::daysFromStart, w.day);
    usage->setPrimitive(&AResourceUsage::hours, w.hours);
    usage->setPrimitive(&AResourceUsage::usedHours, w.used);
    usage->set(&AResourceUsage::taskResource, res);
    usage->set(&AResourceUsage::resource, res->resource());
    return usage;
}

float TaskLengthCalc::checkHoliday(float day, ATaskResource* res, float fractionOfDay) {
    const UsageDay w = workOn(day, res, fractionOfDay);
    if (res != nullptr)
        recordUsage(res, w);
    return w.used;
}

AResourceUsage* TaskLengthCalc::checkHolidayResource(float day, ATaskResource* res,
                                                     float fractionOfDay) {
    if (res == nullptr)
        return nullptr;
    return recordUsage(res, workOn(day, res, fractionOfDay));
}

std::vector<std::vector<TaskLengthCalc::UsageDay>>&
TaskLengthCalc::usageScratch(std::size_t assignments) {
    if (scratch_.size() < assignments)
        scratch_.resize(assignments);
    for (std::size_t k = 0; k < assignments; ++k)
        scratch_[k].clear();
    return scratch_;
}

// Filled in place: a copy per task was one allocation per task placed.
const std::vector<ATaskResource*>& TaskLengthCalc::assignmentsOf(const ATask* task) {
    assignments_.clear();
    for (ATaskResource* a : task->resources)
        assignments_.push_back(a);
    return assignments_;
}

bool TaskLengthCalc::usageIs(const ATaskResource* res, const std::vector<UsageDay>& days) {
    if (res->resourceUsage.size() != days.size())
        return false;
    std::size_t j = 0;
    for (const AResourceUsage* u : res->resourceUsage) {
        const UsageDay& d = days[j++];
        if (u->resource() != res->resource() || u->daysFromStart.optional() != d.day ||
            u->hours.optional() != d.hours || u->usedHours.optional() != d.used)
            return false;
    }
    return true;
}

// Rebuilding the usage of an assignment rewrites the records it already has, in order,
// and adds or deletes only the difference: the values are those of fresh records. The undo
// history keeps the assignment's usage once per group instead of every write below.
void TaskLengthCalc::writeUsage(ATaskResource* res, const std::vector<UsageDay>& days) {
    if (usageIs(res, days))
        return;
    UsageRewriteScope kept(context_.undoManager(), *res);
    // Rewriting values leaves the set as it is, so it is walked in place; only the surplus
    // is set aside, to be deleted after the walk.
    std::vector<AResourceUsage*> surplus;
    std::size_t j = 0;
    for (AResourceUsage* u : res->resourceUsage) {
        if (j == days.size()) {
            surplus.push_back(u);
            continue;
        }
        u->set(&AResourceUsage::daysFromStart, days[j].day);
        u->set(&AResourceUsage::hours, days[j].hours);
        u->set(&AResourceUsage::usedHours, days[j].used);
        if (u->resource() != res->resource())
            u->set(&AResourceUsage::resource, res->resource());
        ++j;
    }
    for (AResourceUsage* u : surplus)
        context_.deleteRecord(u);
    for (; j < days.size(); ++j)
        recordUsage(res, days[j]);
}

float TaskLengthCalc::calcDaysForTaskResource(ATask* task) {
    const float s = calcOffset(task);
    float day = std::floor(s);
    float f = static_cast<float>(1.0 - (static_cast<double>(s) - static_cast<double>(day)));
    if (f == 0.0f)
        f = 1.0f;
    const float work = task->hours();

    const std::vector<ATaskResource*>& assignments = assignmentsOf(task);
    const std::size_t n = assignments.size();
    prefetchUsage(assignments);
    auto& usage = usageScratch(n);
    std::erase(unfinishable_, task);
    std::erase(beyondReach_, task);

    if (beyondReach(work, assignments)) {
        // The task runs for the walk's whole bound, with no usage records to show for it.
        markUnfinishable(task, true);
        for (std::size_t k = 0; k < n; ++k)
            writeUsage(assignments[k], usage[k]);
        if (n > 0)
            postValuesChanged();
        return f + static_cast<float>(kMaxWalkDays - 1);
    }

    float elapsed = 0.0f;
    float done = 0.0f;
    int i = 0;
    int idleDays = 0;
    while (work > done) {
        if (i == kMaxWalkDays || idleDays > kMaxIdleDays)
            break;
        const float before = done;
        const float fraction = i == 0 ? f : 1.0f;
        if (n == 0) {
            done += workOn(day, nullptr, fraction).used;
        } else {
            for (std::size_t k = 0; k < n; ++k) {
                usage[k].push_back(workOn(day, assignments[k], fraction));
                done += usage[k].back().used;
            }
        }
        day += 1.0f;
        elapsed += i == 0 ? kElapsedHoursPerDay * f : kElapsedHoursPerDay;
        ++i;
        idleDays = done > before ? 0 : idleDays + 1;
    }

    float result = 0.0f;
    if (work > done) {
        // No working hours within reach: the task runs as long as the walk went.
        markUnfinishable(task, false);
        result = elapsed * kDaysPerElapsedHour;
    } else if (n == 0) {
        return (elapsed - (done - work)) * kDaysPerElapsedHour;
    } else {
        // The overshoot comes off the last day of every assignment, evenly.
        const float over = (done - work) / static_cast<float>(n);
        const float scale = 1.0f - over * kDaysPerElapsedHour;
        if (scale > 0.0f && i > 0)
            for (std::size_t k = 0; k < n; ++k)
                usage[k].back().used *= scale;
        result = (elapsed - over) * kDaysPerElapsedHour;
    }
    for (std::size_t k = 0; k < n; ++k)
        writeUsage(assignments[k], usage[k]);
    if (n > 0)
        postValuesChanged();
    return result;
}

void TaskLengthCalc::storeEnd(ATask* task, float end) {
    task->set(&ATask::endDisplayDays, task->daysTillEnd());
    task->set(&ATask::daysTillEnd, end);
}

float TaskLengthCalc::calcDaysForTask(ATask* task) {
    if (task == nullptr)
        return 0.0f;
    if (needsRollUp(task))
        return rollUpSummary(task);
    if (!task->invalid())
        return task->elapsedTime();
    task->set(&ATask::invalid, false);
    return placeDays(task);
}

float TaskLengthCalc::recomputeLeaf(ATask* task) {
    if (task->invalid())
        return calcDaysForTask(task);
    return placeDays(task);
}

float TaskLengthCalc::placeDays(ATask* task) {
    const float e = task->elapsedTime();
    if (!task->adjustElapsed()) {
        calcDaysForTaskResource(task);
        return e;
    }
    const float computed = calcDaysForTaskResource(task);
    storeEnd(task, task->daysFromStart() + computed);
    task->set(&ATask::elapsedTime, computed);
    postValuesChanged();
    return computed;
}

// Summaries take their span, work and completion from their subtasks, invalid ones first.
// The walk keeps its own stack, so a deep outline cannot overflow the call stack.
float TaskLengthCalc::rollUpSummary(ATask* summary) {
    struct Frame {
        ATask* task;
        std::vector<ATask*> subs;
        std::size_t next = 0;
        float min = 0.0f;
        float max = 0.0f;
        float work = 0.0f;
        float comp = 0.0f;
    };
    std::vector<Frame> stack;
    const auto open = [&stack](ATask* t) {
        t->set(&ATask::invalid, false);
        Frame frame{t, t->subTasks()};
        frame.min = frame.subs.front()->daysFromStart();
        stack.push_back(std::move(frame));
    };
    // Subtask values are read after the subtask is brought up to date, so a nested summary
    // contributes its new work and completion, not the stale ones.
    const auto add = [this](Frame& frame, ATask* sub, float days) {
        frame.comp += sub->percComp();
        frame.work += sub->hours();
        const float o = calcOffset(sub);
        frame.min = std::min(o, frame.min);
        frame.max = std::max(o + days, frame.max);
    };

    open(summary);
    while (true) {
        Frame& top = stack.back();
        if (top.next < top.subs.size()) {
            ATask* sub = top.subs[top.next++];
            if (needsRollUp(sub))
                open(sub);
            else
                add(top, sub, calcDaysForTask(sub));
            continue;
        }
        const float e = top.max - top.min;
        top.task->set(&ATask::elapsedTime, e);
        top.task->set(&ATask::hours, top.work);
        top.task->set(&ATask::percComp, top.comp / static_cast<float>(top.subs.size()));
        ATask* done = top.task;
        stack.pop_back();
        if (stack.empty())
            return e;
        add(stack.back(), done, e);
    }
}

float TaskLengthCalc::invCalcDaysForTaskResource(ATask* task, float period, float start) {
    float day = std::floor(start);
    float f = start - day;
    if (f == 0.0f)
        f = 1.0f;
    const float periodDays = period * kDaysPerElapsedHour;
    if (periodDays <= f)
        f = 1.0f;

    const std::vector<ATaskResource*>& assignments = assignmentsOf(task);
    const std::size_t n = assignments.size();
    prefetchUsage(assignments);
    auto& usage = usageScratch(n);

    float work = 0.0f;
    float covered = 0.0f;
    for (int i = 0; periodDays > covered && i < kMaxWalkDays; ++i) {
        float portion = 1.0f;
        if (covered + 1.0f > periodDays)
            portion = periodDays - covered;
        const float share = portion * f;
        float dayWork = 0.0f;
        if (n == 0) {
            dayWork = workOn(day, nullptr, share).used;
        } else {
            for (std::size_t k = 0; k < n; ++k) {
                usage[k].push_back(workOn(day, assignments[k], share));
                dayWork += usage[k].back().used;
            }
        }
        day += 1.0f;
        work += dayWork;
        covered += f;
        f = 1.0f;
    }
    for (std::size_t k = 0; k < n; ++k)
        writeUsage(assignments[k], usage[k]);
    postValuesChanged();
    return work;
}

float TaskLengthCalc::invDaysForTaskCalc(ATask* task, float period, float start) {
    const float w = invCalcDaysForTaskResource(task, period, start);
    storeEnd(task, task->daysFromStart() + period * kDaysPerElapsedHour);
    if (!task->adjustElapsed())
        task->set(&ATask::elapsedTime, period * kDaysPerElapsedHour);
    postValuesChanged();
    return w;
}

} // namespace mapolt
