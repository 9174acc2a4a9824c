#pragma once

#include "model/block_log.h"
#include "model/packed_value.h"
#include "model/task_placement.h"
#include "model/usage_snapshot.h"
#include "model/value.h"
#include "model/word_pool.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace mapolt {

class ATaskResource;
class Record;
class Store;

// One recorded change, as it happened to one side of the graph. Inverse ends are recorded
// as changes of their own, so replaying a group backwards restores both ends exactly.
// An attribute's value before the group first changed it; the value after is read when
// the group is undone, which is when redo first needs it.
struct AttributeChange {
    Record* record;
    std::size_t attribute;
    PackedValue before;
};
struct ToOneChange {
    Record* record;
    std::size_t relationship;
    Record* before;
    Record* after;
};
struct ToManyChange {
    Record* record;
    std::size_t relationship;
    Record* member;
    bool added;
};
struct LifecycleChange {
    Record* record;
    bool inserted; // otherwise deleted
};
// Every change a rewrite made to an assignment's usage records in one group, as the usage
// the other side of the change had: before the group while it is undoable, after it while
// it is redoable. Replaying it swaps the two.
struct UsageRewrite {
    ATaskResource* assignment;
    UsageSnapshot other;
};
// A task's placement values as the other side of the change had them (as UsageRewrite).
struct PlacementChange {
    Record* task;
    TaskPlacement other;
};
using UndoStep = std::variant<AttributeChange, ToOneChange, ToManyChange, LifecycleChange,
                              UsageRewrite, PlacementChange>;

// Records notifying writes, relationship changes, insertions and deletions in groups.
// A group closes at the store's "flush pending changes" (or before an undo or redo).
// A group holds each changed attribute of a record once, with its value before the group,
// however often the group changes it, and none whose value is back where it started when
// the group closes: a recalculation that moves every task many times records each task's
// values once.
class UndoManager {
  public:
    explicit UndoManager(Store& store) : store_(store) {}

    bool isUndoRegistrationEnabled() const { return disabled_ == 0; }
    // Whether record() would keep a step now; writers skip packing one when it would not.
    bool isRecording() const { return !replaying_ && disabled_ == 0; }
    // Nestable: registration resumes when every disable has been matched.
    void disableUndoRegistration() { ++disabled_; }
    void enableUndoRegistration() {
        if (disabled_ > 0)
            --disabled_;
    }

    bool canUndo() const { return !undoStack_.empty() || !open_.steps.empty(); }
    // Names the group being recorded, for the Edit menu ("Undo Indent"); a name given
    // before the group's first change still applies to it.
    void setActionName(std::string name) { openName_ = std::move(name); }
    // The names of the steps an undo or a redo would take back; empty when unnamed or none.
    std::string undoActionName() const;
    std::string redoActionName() const;
    // Tells states of the document apart: equal ids mean the same place in the history, so
    // a document compares it with the id it had when saved. 0 is the empty history.
    std::uint64_t stateId() const;
    bool canRedo() const { return !redoStack_.empty(); }
    std::size_t undoGroupCount() const { return undoStack_.size() + (open_.steps.empty() ? 0 : 1); }
    // Steps held by the open group and by every closed one.
    std::size_t recordedStepCount() const;
    // Words the usage snapshots of every group took.
    std::size_t snapshotWordCount() const;
    void undo();
    void redo();
    void removeAllActions();
    bool hasHistory() const { return canUndo() || canRedo(); }

    // Called after every undo and redo; the document posts ProjectChanged from here.
    void setAfterUndoRedo(std::function<void()> hook) { afterUndoRedo_ = std::move(hook); }

    void record(UndoStep step);
    // Before a rewrite that changes the assignment's usage records (callers skip one that
    // would change nothing): keeps their state once per group, while no recorded change of
    // them came between. Returns whether that state covers the rewrite, whose own writes
    // then stay out of the history.
    bool coverUsageRewrite(ATaskResource& assignment);
    void closeGroup();
    // A command that flushes between its steps still undoes as one: while a command group
    // is open, flushes leave the group open; the outermost end closes it.
    void beginCommandGroup() { ++commandDepth_; }
    void endCommandGroup();

  private:
    struct Group {
        Group() = default;
        // Steps move, never copy; the stacks may then move groups when they grow.
        Group(Group&&) noexcept = default;
        Group& operator=(Group&&) noexcept = default;
        // In blocks, not one array: a group of a million steps never holds a doubled array
        // and its copy at once.
        BlockLog<UndoStep> steps;
        // The values after the group of its attribute changes, in order, read when undone.
        std::vector<Value> after;
        // The words of the group's usage snapshots.
        WordPool snapshots;
    };
    struct GroupLabel {
        std::string name;
        std::uint64_t id = 0;
    };
    // The open group's amount plus every closed one's.
    template <class F> std::size_t sumOverGroups(const F& amountOf) const;
    void dropUnchanged(Group& group) const;
    void endUsageCover(const UndoStep& step) const;
    static void captureAfter(Group& group);

    Store& store_;
    std::vector<Group> undoStack_;
    std::vector<Group> redoStack_;
    Group open_;
    // Numbers the open group, for the records' marks of the attributes it holds.
    std::uint64_t openNumber_ = 1;
    // Beside each group of the stacks, its name and id.
    std::vector<GroupLabel> undoLabels_;
    std::vector<GroupLabel> redoLabels_;
    std::string openName_;
    std::uint64_t openId_ = 0;
    std::uint64_t nextId_ = 1;
    int disabled_ = 0;
    int commandDepth_ = 0;
    bool replaying_ = false;
    std::function<void()> afterUndoRedo_;
};

// Suspends undo registration for a scope (loading a file, view-state writes).
class UndoRegistrationPause {
  public:
    explicit UndoRegistrationPause(UndoManager& m) : manager_(m) {
        manager_.disableUndoRegistration();
    }
    ~UndoRegistrationPause() { manager_.enableUndoRegistration(); }
    UndoRegistrationPause(const UndoRegistrationPause&) = delete;
    UndoRegistrationPause& operator=(const UndoRegistrationPause&) = delete;

  private:
    UndoManager& manager_;
};

// Around a rewrite of an assignment's usage records: the group keeps their state once, and
// the rewrite's own writes, which that state covers, stay out of the history.
class UsageRewriteScope {
  public:
    UsageRewriteScope(UndoManager& m, ATaskResource& assignment)
        : manager_(m), covered_(m.coverUsageRewrite(assignment)) {
        if (covered_)
            manager_.disableUndoRegistration();
    }
    ~UsageRewriteScope() {
        if (covered_)
            manager_.enableUndoRegistration();
    }
    UsageRewriteScope(const UsageRewriteScope&) = delete;
    UsageRewriteScope& operator=(const UsageRewriteScope&) = delete;

  private:
    UndoManager& manager_;
    bool covered_;
};

class UndoCommandGroup {
  public:
    explicit UndoCommandGroup(UndoManager& undo) : undo_(undo) { undo_.beginCommandGroup(); }
    ~UndoCommandGroup() { undo_.endCommandGroup(); }
    UndoCommandGroup(const UndoCommandGroup&) = delete;
    UndoCommandGroup& operator=(const UndoCommandGroup&) = delete;

  private:
    UndoManager& undo_;
};

} // namespace mapolt
