#include "schedule/critical_path.h"

#include "model/entities.h"
#include "model/store.h"

#include <algorithm>
#include <limits>

namespace mapolt {

namespace {

// The trace knows two levels; a root is traced as critical.
int traceLevel(int currentCrit) {
    return currentCrit >= CriticalPath::kCritical ? CriticalPath::kCritical : CriticalPath::kFloat;
}

} // namespace

// One run of the trace over dense task numbers. A call is named by its task, its level and
// its summary directions; a call that has run to its end is not run again, because every
// set it would add to already holds what it adds. A call met again while it is still
// running is run again, as the documented trace does, unless no subtask search has begun
// since it was entered: that happens only when the links or the outline of a damaged file
// form a circle, which the documented trace would follow for ever.
class CriticalPath::Trace {
  public:
    explicit Trace(CriticalPath& owner) : owner_(owner) {
        tasks_ = owner.context_.fetch<ATask>();
        std::uint64_t top = 0;
        for (const ATask* t : tasks_)
            top = std::max(top, t->serial());
        slotOfSerial_.assign(static_cast<std::size_t>(top) + 1, kUnknown);
        for (std::size_t i = 0; i < tasks_.size(); ++i)
            slotOfSerial_[static_cast<std::size_t>(tasks_[i]->serial())] =
                static_cast<std::uint32_t>(i);
        flags_.assign(tasks_.size(), 0);
        done_.assign(tasks_.size(), 0);
        enteredAt_.assign(tasks_.size() * kModes * 2, kNotRunning);
        load(owner.cpTasksCrit_, kCrit);
        load(owner.cpTasksFlaot_, kFlaot);
        load(owner.tempSubTasks_, kTempSub);
        load(owner.tempSubTasksCrit_, kTempSubCrit);
    }

    void trace(const ATask* task, int level, bool up, bool down) {
        if (const std::uint32_t t = slotOf(task); t != kUnknown) {
            enter(t, traceLevel(level), modeOf(up, down));
            run();
        }
    }

    void superTask(const ATask* task, int level) {
        if (const std::uint32_t t = slotOf(task); t != kUnknown) {
            placeSummary(t, traceLevel(level));
            run();
        }
    }

    void subTask(const ATask* task, int level) {
        if (const std::uint32_t t = slotOf(task); t != kUnknown) {
            searchSubtasks(t, traceLevel(level));
            run();
        }
    }

    // Writes the run's additions back into the owner's sets.
    void store() const {
        for (std::size_t i = 0; i < tasks_.size(); ++i) {
            const std::uint8_t f = flags_[i];
            if ((f & kCrit) != 0)
                owner_.cpTasksCrit_.insert(tasks_[i]);
            if ((f & kFlaot) != 0)
                owner_.cpTasksFlaot_.insert(tasks_[i]);
            if ((f & kTempSub) != 0)
                owner_.tempSubTasks_.insert(tasks_[i]);
            if ((f & kTempSubCrit) != 0)
                owner_.tempSubTasksCrit_.insert(tasks_[i]);
        }
    }

  private:
    static constexpr std::uint32_t kUnknown = std::numeric_limits<std::uint32_t>::max();
    static constexpr std::int64_t kNotRunning = -1;
    static constexpr std::uint32_t kSlackBit = 1u << 31;
    enum Flag : std::uint8_t { kCrit = 1, kFlaot = 2, kTempSub = 4, kTempSubCrit = 8 };
    // Summary directions of a call: towards predecessors and subtasks, upwards only, both.
    enum Mode : std::uint8_t { kDown = 0, kUp = 1, kBoth = 2 };
    static constexpr std::size_t kModes = 3;

    static Mode modeOf(bool up, bool down) {
        if (up)
            return down ? kBoth : kUp;
        return kDown;
    }

    struct Frame {
        enum class Step : std::uint8_t { Subtasks, Links, Predecessors, Driving };
        std::uint32_t task;
        std::uint8_t level;
        Mode mode;
        Step step;
        // Predecessors (with the slack bit) or driving subtasks: pool_[begin, end), the
        // next one to trace at `next`.
        std::size_t begin = 0;
        std::size_t next = 0;
        std::size_t end = 0;
        std::int64_t enteredBefore = kNotRunning;
    };

    std::uint32_t slotOf(const ATask* task) const {
        if (task == nullptr)
            return kUnknown;
        const auto serial = static_cast<std::size_t>(task->serial());
        if (serial >= slotOfSerial_.size())
            return kUnknown;
        const std::uint32_t slot = slotOfSerial_[serial];
        return slot != kUnknown && tasks_[slot] == task ? slot : kUnknown;
    }

    void load(const TaskSet& set, Flag flag) {
        for (const ATask* t : set)
            if (const std::uint32_t slot = slotOf(t); slot != kUnknown)
                flags_[slot] |= flag;
    }

    bool has(std::uint32_t t, Flag f) const { return (flags_[t] & f) != 0; }
    void add(std::uint32_t t, Flag f) { flags_[t] |= f; }
    void addAtLevel(std::uint32_t t, int level) { add(t, level == kCritical ? kCrit : kFlaot); }

    std::size_t callIndex(std::uint32_t t, int level, Mode mode) const {
        return (static_cast<std::size_t>(t) * 2 + static_cast<std::size_t>(level - 1)) * kModes +
               mode;
    }
    std::uint8_t doneBit(int level, Mode mode) const {
        return static_cast<std::uint8_t>(1u << ((level - 1) * kModes + mode));
    }

    void enter(std::uint32_t t, int level, Mode mode) {
        if ((done_[t] & doneBit(level, mode)) != 0)
            return;
        std::int64_t& entered = enteredAt_[callIndex(t, level, mode)];
        if (entered == subtaskSearches_)
            return;
        Frame f{t, static_cast<std::uint8_t>(level), mode,
                mode == kUp ? Frame::Step::Links : Frame::Step::Subtasks};
        f.enteredBefore = entered;
        entered = subtaskSearches_;
        stack_.push_back(f);
    }

    void leave(const Frame& f) {
        done_[f.task] |= doneBit(f.level, f.mode);
        enteredAt_[callIndex(f.task, f.level, f.mode)] = f.enteredBefore;
    }

    // checkSubTask: the visited test, then a frame over the driving subtasks.
    void searchSubtasks(std::uint32_t t, int level) {
        if (level == kCritical ? has(t, kTempSubCrit) : has(t, kTempSub))
            return;
        add(t, kTempSub);
        if (level == kCritical)
            add(t, kTempSubCrit);
        ++subtaskSearches_;
        Frame f{t, static_cast<std::uint8_t>(level), kDown, Frame::Step::Driving};
        f.begin = f.next = pool_.size();
        for (const ATask* s : drivingSubtasks(tasks_[t]))
            if (const std::uint32_t slot = slotOf(s); slot != kUnknown)
                pool_.push_back(slot);
        f.end = pool_.size();
        stack_.push_back(f);
    }

    // checkSuperTask.
    void placeSummary(std::uint32_t t, int level) {
        const std::uint32_t p = slotOf(tasks_[t]->superTask());
        if (p == kUnknown || has(p, kCrit))
            return;
        int next = level;
        if (endOf(tasks_[t]) >= endOf(tasks_[p])) {
            add(p, kCrit);
            next = kCritical;
        } else {
            add(p, kFlaot);
        }
        enter(p, next, kUp);
    }

    void collectPredecessors(Frame& f) {
        f.begin = f.next = pool_.size();
        for (const DepLink* link : tasks_[f.task]->dependeeTasks) {
            const std::uint32_t p = slotOf(link->dependTask());
            if (p != kUnknown)
                pool_.push_back(p | (hasSlack(link) ? kSlackBit : 0u));
        }
        f.end = pool_.size();
    }

    void run() {
        while (!stack_.empty()) {
            // A child is pushed behind its parent, which may move the stack: the reference
            // is taken afresh on every step and not used after a push.
            Frame& f = stack_.back();
            switch (f.step) {
            case Frame::Step::Subtasks:
                f.step = Frame::Step::Links;
                searchSubtasks(f.task, f.level);
                break;
            case Frame::Step::Links:
                add(f.task, kTempSub);
                collectPredecessors(f);
                f.step = Frame::Step::Predecessors;
                break;
            case Frame::Step::Predecessors:
                if (f.next < f.end) {
                    const std::uint32_t entry = pool_[f.next++];
                    const std::uint32_t p = entry & ~kSlackBit;
                    const int level = (entry & kSlackBit) != 0 ? int{kFloat} : int{f.level};
                    addAtLevel(p, level);
                    enter(p, level, kDown);
                } else {
                    finish(true);
                }
                break;
            case Frame::Step::Driving:
                if (f.next < f.end) {
                    const std::uint32_t s = pool_[f.next++];
                    addAtLevel(s, f.level);
                    enter(s, f.level, kDown);
                } else {
                    finish(false);
                }
                break;
            }
        }
    }

    // Pops the top frame and frees its pool entries, which sit above those of every frame
    // below it. A finished call places its summary when it looks upwards; nothing below
    // can meet that call again, so it counts as done already.
    void finish(bool isCall) {
        const Frame done = stack_.back();
        stack_.pop_back();
        pool_.resize(done.begin);
        if (!isCall)
            return;
        leave(done);
        if (done.mode != kDown)
            placeSummary(done.task, done.level);
    }

    CriticalPath& owner_;
    std::vector<ATask*> tasks_;
    std::vector<std::uint32_t> slotOfSerial_;
    std::vector<std::uint8_t> flags_;
    std::vector<std::uint8_t> done_;
    // Per call: the count of subtask searches when it was last entered, while it runs.
    std::vector<std::int64_t> enteredAt_;
    std::int64_t subtaskSearches_ = 0;
    std::vector<Frame> stack_;
    std::vector<std::uint32_t> pool_;
};

CriticalPath::CriticalPath(Store& context) : context_(context) {}

CriticalPath::~CriticalPath() = default;

float CriticalPath::endOf(const ATask* task) {
    return task->daysFromStart() + task->elapsedTime();
}

bool CriticalPath::hasSlack(const DepLink* link) {
    return static_cast<float>(link->daysBetween()) != 0.0f && !link->sticky();
}

std::vector<ATask*> CriticalPath::drivingSubtasks(const ATask* summary) {
    std::vector<ATask*> driving;
    float end = endOf(summary);
    for (ATask* s : summary->subTasks) {
        const float e = endOf(s);
        if (e > end) {
            end = e;
            driving.clear();
        }
        if (e == end)
            driving.push_back(s);
    }
    return driving;
}

void CriticalPath::addRoot(ATask* task) {
    if (rootSet_.insert(task).second)
        rootCptasks_.push_back(task);
}

void CriticalPath::resetTemporarySets() {
    tempSubTasks_.clear();
    tempSubTasksCrit_.clear();
}

void CriticalPath::calcProjectCp() {
    rootCptasks_.clear();
    rootSet_.clear();
    resetTemporarySets();
    const std::vector<ATask*> tasks = context_.fetch<ATask>();
    if (projectCPToEnd_) {
        float latest = 0.0f;
        for (ATask* t : tasks) {
            const float end = endOf(t);
            if (end > latest) {
                rootCptasks_.clear();
                rootSet_.clear();
                latest = end;
            }
            if (end == latest)
                addRoot(t);
        }
    }
    if (projectCP_)
        for (ATask* t : tasks)
            if (t->isCritical())
                addRoot(t);
    calcCPFromRoots();
    resetTemporarySets();
}

void CriticalPath::recalcCP() {
    if (isCriticalOn())
        calcProjectCp();
}

void CriticalPath::clearCrit() {
    rootCptasks_.clear();
    rootSet_.clear();
    cpTasksCrit_.clear();
    cpTasksFlaot_.clear();
}

int CriticalPath::getCriticalityOfTask(const ATask* task) const {
    if (rootCptasks_.empty())
        return kNone;
    if (rootSet_.contains(task))
        return kRoot;
    if (cpTasksCrit_.contains(task))
        return kCritical;
    if (cpTasksFlaot_.contains(task))
        return kFloat;
    return kNone;
}

void CriticalPath::calcCPFromRoots() {
    cpTasksCrit_.clear();
    cpTasksFlaot_.clear();
    Trace trace(*this);
    for (const ATask* root : rootCptasks_)
        trace.trace(root, kCritical, true, true);
    trace.store();
}

void CriticalPath::calcCriticalPath(ATask* task, int currentCrit, bool checkSuper, bool checkSub) {
    Trace trace(*this);
    trace.trace(task, currentCrit, checkSuper, checkSub);
    trace.store();
}

void CriticalPath::checkSuperTask(ATask* task, int currentCrit) {
    Trace trace(*this);
    trace.superTask(task, currentCrit);
    trace.store();
}

void CriticalPath::checkSubTask(ATask* task, int currentCrit) {
    Trace trace(*this);
    trace.subTask(task, currentCrit);
    trace.store();
}

} // namespace mapolt
