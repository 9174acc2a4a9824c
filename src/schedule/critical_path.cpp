#include "schedule/critical_path.h"

#include "model/entities.h"
#include "model/store.h"

#include <algorithm>

namespace mapolt {

namespace {

// The trace knows two levels; a root is traced as critical.
int traceLevel(int currentCrit) {
    return currentCrit >= CriticalPath::kCritical ? CriticalPath::kCritical : CriticalPath::kFloat;
}

// Summary directions of a call: towards predecessors and subtasks, upwards only, both.
enum Mode : std::uint8_t { kDown = 0, kUp = 1, kBoth = 2 };
constexpr std::size_t kModes = 3;
constexpr std::int32_t kNotRunning = -1;
constexpr std::uint32_t kSlackBit = 1u << 31;

Mode modeOf(bool up, bool down) {
    if (up)
        return down ? kBoth : kUp;
    return kDown;
}

} // namespace

struct CriticalPath::Scratch {
    struct Frame {
        enum class Step : std::uint8_t { Subtasks, Links, Predecessors, Driving };
        std::uint32_t task;
        std::uint8_t level;
        Mode mode;
        Step step;
        // Predecessors (with the slack bit) or driving subtasks: pool[begin, end), the next
        // one to trace at `next`.
        std::size_t begin = 0;
        std::size_t next = 0;
        std::size_t end = 0;
        std::int32_t enteredBefore = kNotRunning;
    };
    // Per task, the calls that have run to their end in this run.
    std::vector<std::uint8_t> done;
    // Per call, while it runs: the count of subtask searches when it was last entered. Every
    // entry is restored on leaving, so between runs all read kNotRunning.
    std::vector<std::int32_t> enteredAt;
    std::int32_t subtaskSearches = 0;
    std::vector<Frame> stack;
    std::vector<std::uint32_t> pool;
};

// One run of the trace. A call is named by its task, its level and its summary directions;
// a call that has run to its end is not run again, because every set it would add to
// already holds what it adds. A call met again while it is still running is run again, as
// the documented trace does, unless no subtask search has begun since it was entered: that
// happens only when the links or the outline of a damaged file form a circle, which the
// documented trace would follow for ever.
class CriticalPath::Trace {
  public:
    explicit Trace(CriticalPath& owner) : cp_(owner), s_(*owner.scratch_) {
        cp_.renumber();
        s_.done.assign(cp_.tasks_.size(), 0);
        s_.enteredAt.resize(cp_.tasks_.size() * kModes * 2, kNotRunning);
        s_.subtaskSearches = 0;
    }

    void trace(const ATask* task, int level, bool up, bool down) {
        if (const std::uint32_t t = cp_.slotOf(task); t != kUnknown) {
            enter(t, traceLevel(level), modeOf(up, down));
            run();
        }
    }

    void superTask(const ATask* task, int level) {
        if (const std::uint32_t t = cp_.slotOf(task); t != kUnknown) {
            placeSummary(t, traceLevel(level));
            run();
        }
    }

    void subTask(const ATask* task, int level) {
        if (const std::uint32_t t = cp_.slotOf(task); t != kUnknown) {
            searchSubtasks(t, traceLevel(level));
            run();
        }
    }

  private:
    using Frame = Scratch::Frame;

    bool has(std::uint32_t t, Flag f) const { return (cp_.flags_[t] & f) != 0; }
    void add(std::uint32_t t, Flag f) { cp_.flags_[t] |= f; }
    void addAtLevel(std::uint32_t t, int level) { add(t, level == kCritical ? kInCrit : kInFlaot); }

    static std::size_t callIndex(std::uint32_t t, int level, Mode mode) {
        return (static_cast<std::size_t>(t) * 2 + static_cast<std::size_t>(level - 1)) * kModes +
               mode;
    }
    static std::uint8_t doneBit(int level, Mode mode) {
        return static_cast<std::uint8_t>(1u << (static_cast<unsigned>(level - 1) * kModes + mode));
    }

    void enter(std::uint32_t t, int level, Mode mode) {
        if ((s_.done[t] & doneBit(level, mode)) != 0)
            return;
        std::int32_t& entered = s_.enteredAt[callIndex(t, level, mode)];
        if (entered == s_.subtaskSearches)
            return;
        Frame f{t, static_cast<std::uint8_t>(level), mode,
                mode == kUp ? Frame::Step::Links : Frame::Step::Subtasks};
        f.enteredBefore = entered;
        entered = s_.subtaskSearches;
        s_.stack.push_back(f);
    }

    // checkSubTask: the visited test, then a frame over the driving subtasks, those that end
    // where the task ends (one ending later restarts the search).
    void searchSubtasks(std::uint32_t t, int level) {
        if (level == kCritical ? has(t, kInTempSubCrit) : has(t, kInTempSub))
            return;
        add(t, kInTempSub);
        if (level == kCritical)
            add(t, kInTempSubCrit);
        ++s_.subtaskSearches;
        Frame f{t, static_cast<std::uint8_t>(level), kDown, Frame::Step::Driving};
        f.begin = f.next = s_.pool.size();
        float end = endOf(cp_.tasks_[t]);
        for (const ATask* sub : cp_.tasks_[t]->subTasks) {
            const std::uint32_t slot = cp_.slotOf(sub);
            if (slot == kUnknown)
                continue;
            const float e = endOf(sub);
            if (e > end) {
                end = e;
                s_.pool.resize(f.begin);
            }
            if (e == end)
                s_.pool.push_back(slot);
        }
        f.end = s_.pool.size();
        s_.stack.push_back(f);
    }

    // checkSuperTask.
    void placeSummary(std::uint32_t t, int level) {
        const std::uint32_t p = cp_.slotOf(cp_.tasks_[t]->superTask());
        if (p == kUnknown || has(p, kInCrit))
            return;
        int next = level;
        if (endOf(cp_.tasks_[t]) >= endOf(cp_.tasks_[p])) {
            add(p, kInCrit);
            next = kCritical;
        } else {
            add(p, kInFlaot);
        }
        enter(p, next, kUp);
    }

    void collectPredecessors(Frame& f) {
        f.begin = f.next = s_.pool.size();
        for (const DepLink* link : cp_.tasks_[f.task]->dependeeTasks) {
            const std::uint32_t p = cp_.slotOf(link->dependTask());
            if (p != kUnknown)
                s_.pool.push_back(p | (hasSlack(link) ? kSlackBit : 0u));
        }
        f.end = s_.pool.size();
    }

    void run() {
        while (!s_.stack.empty()) {
            // A push may move the stack: the frame is looked up afresh on every step and
            // not used after a push.
            Frame& f = s_.stack.back();
            switch (f.step) {
            case Frame::Step::Subtasks:
                f.step = Frame::Step::Links;
                searchSubtasks(f.task, f.level);
                break;
            case Frame::Step::Links:
                add(f.task, kInTempSub);
                collectPredecessors(f);
                f.step = Frame::Step::Predecessors;
                break;
            case Frame::Step::Predecessors:
                if (f.next < f.end) {
                    const std::uint32_t entry = s_.pool[f.next++];
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
                    const std::uint32_t sub = s_.pool[f.next++];
                    addAtLevel(sub, f.level);
                    enter(sub, f.level, kDown);
                } else {
                    finish(false);
                }
                break;
            }
        }
    }

    // Pops the top frame and frees its pool entries, which sit above those of every frame
    // below it. A finished call then places its summary when it looks upwards; nothing that
    // follows can meet that call again, so it counts as done already.
    void finish(bool isCall) {
        const Frame done = s_.stack.back();
        s_.stack.pop_back();
        s_.pool.resize(done.begin);
        if (!isCall)
            return;
        s_.done[done.task] |= doneBit(done.level, done.mode);
        s_.enteredAt[callIndex(done.task, done.level, done.mode)] = done.enteredBefore;
        if (done.mode != kDown)
            placeSummary(done.task, done.level);
    }

    CriticalPath& cp_;
    Scratch& s_;
};

CriticalPath::CriticalPath(Store& context)
    : context_(context), scratch_(std::make_unique<Scratch>()) {}

CriticalPath::~CriticalPath() = default;

float CriticalPath::endOf(const ATask* task) {
    return task->daysFromStart() + task->elapsedTime();
}

bool CriticalPath::hasSlack(const DepLink* link) {
    return static_cast<float>(link->daysBetween()) != 0.0f && !link->sticky();
}

std::uint32_t CriticalPath::slotOf(const ATask* task) const {
    if (task == nullptr)
        return kUnknown;
    const auto serial = static_cast<std::size_t>(task->serial());
    if (serial >= slotOfSerial_.size())
        return kUnknown;
    const std::uint32_t slot = slotOfSerial_[serial];
    return slot != kUnknown && tasks_[slot] == task ? slot : kUnknown;
}

void CriticalPath::renumber() {
    std::vector<ATask*> tasks = context_.fetch<ATask>();
    bool same = tasks.size() == tasks_.size();
    for (std::size_t i = 0; same && i < tasks.size(); ++i)
        same = slotOf(tasks[i]) == i;
    if (same)
        return;
    std::vector<std::uint8_t> flags(tasks.size(), 0);
    for (std::size_t i = 0; i < tasks.size(); ++i)
        if (const std::uint32_t old = slotOf(tasks[i]); old != kUnknown)
            flags[i] = flags_[old];
    std::uint64_t top = 0;
    for (const ATask* t : tasks)
        top = std::max(top, t->serial());
    slotOfSerial_.assign(static_cast<std::size_t>(top) + 1, kUnknown);
    for (std::size_t i = 0; i < tasks.size(); ++i)
        slotOfSerial_[static_cast<std::size_t>(tasks[i]->serial())] = static_cast<std::uint32_t>(i);
    tasks_ = std::move(tasks);
    flags_ = std::move(flags);
}

void CriticalPath::clearFlags(std::uint8_t flags) {
    const auto keep = static_cast<std::uint8_t>(~flags);
    for (std::uint8_t& f : flags_)
        f &= keep;
}

CriticalPath::TaskSet CriticalPath::collect(Flag flag) const {
    TaskSet out;
    for (std::size_t i = 0; i < tasks_.size(); ++i)
        if ((flags_[i] & flag) != 0)
            out.insert(tasks_[i]);
    return out;
}

void CriticalPath::addRoot(ATask* task) {
    const std::uint32_t slot = slotOf(task);
    if (slot == kUnknown || (flags_[slot] & kInRoots) != 0)
        return;
    flags_[slot] |= kInRoots;
    rootCptasks_.push_back(task);
}

void CriticalPath::calcProjectCp() {
    renumber();
    rootCptasks_.clear();
    clearFlags(kInRoots | kInTempSub | kInTempSubCrit);
    if (projectCPToEnd_) {
        float latest = 0.0f;
        for (ATask* t : tasks_) {
            const float end = endOf(t);
            if (end > latest) {
                for (const ATask* r : rootCptasks_)
                    flags_[slotOf(r)] &= static_cast<std::uint8_t>(~kInRoots);
                rootCptasks_.clear();
                latest = end;
            }
            if (end == latest)
                addRoot(t);
        }
    }
    if (projectCP_)
        for (ATask* t : tasks_)
            if (t->isCritical())
                addRoot(t);
    calcCPFromRoots();
    clearFlags(kInTempSub | kInTempSubCrit);
}

void CriticalPath::recalcCP() {
    if (isCriticalOn())
        calcProjectCp();
}

void CriticalPath::clearCrit() {
    rootCptasks_.clear();
    clearFlags(kInRoots | kInCrit | kInFlaot);
}

int CriticalPath::getCriticalityOfTask(const ATask* task) const {
    if (rootCptasks_.empty())
        return kNone;
    const std::uint32_t slot = slotOf(task);
    if (slot == kUnknown)
        return kNone;
    const std::uint8_t f = flags_[slot];
    if ((f & kInRoots) != 0)
        return kRoot;
    if ((f & kInCrit) != 0)
        return kCritical;
    if ((f & kInFlaot) != 0)
        return kFloat;
    return kNone;
}

void CriticalPath::calcCPFromRoots() {
    Trace trace(*this);
    clearFlags(kInCrit | kInFlaot);
    for (const ATask* root : rootCptasks_)
        trace.trace(root, kCritical, true, true);
}

void CriticalPath::calcCriticalPath(ATask* task, int currentCrit, bool checkSuper, bool checkSub) {
    Trace(*this).trace(task, currentCrit, checkSuper, checkSub);
}

void CriticalPath::checkSuperTask(ATask* task, int currentCrit) {
    Trace(*this).superTask(task, currentCrit);
}

void CriticalPath::checkSubTask(ATask* task, int currentCrit) {
    Trace(*this).subTask(task, currentCrit);
}

} // namespace mapolt
