#include "model/undo_manager.h"

#include "model/record.h"
#include "model/resource.h"
#include "model/store.h"

#include <algorithm>

namespace mapolt {

namespace {

// Bits 0-61 mark attributes; bit 63 marks an assignment whose usage the group has kept, bit
// 62 one rewritten more than once since, which alone may have brought it back.
constexpr std::size_t kMarkedAttributes = 62;
constexpr std::uint64_t kUsageKept = std::uint64_t{1} << 63;
constexpr std::uint64_t kUsageRewrittenAgain = std::uint64_t{1} << 62;

ATaskResource* assignmentOfUsage(Record* r) {
    if (r == nullptr || r->entity() != Entity::AResourceUsage)
        return nullptr;
    return static_cast<AResourceUsage*>(r)->taskResource();
}

} // namespace

void UndoManager::record(UndoStep step) {
    if (!isRecording())
        return;
    redoStack_.clear();
    redoLabels_.clear();
    if (const auto* c = std::get_if<AttributeChange>(&step);
        c != nullptr && c->attribute < kMarkedAttributes) {
        Record::UndoMark& mark = c->record->undoMark_;
        const std::uint64_t bit = std::uint64_t{1} << c->attribute;
        if (mark.group != openNumber_)
            mark = Record::UndoMark{openNumber_, 0};
        if ((mark.attributes & bit) != 0)
            return;
        mark.attributes |= bit;
        if (TaskPlacement::covers(*c->record, c->attribute)) {
            for (std::size_t k = 0; k < TaskPlacement::kCount; ++k)
                mark.attributes |= std::uint64_t{1} << TaskPlacement::attributeAt(k);
            step = PlacementChange{
                c->record, TaskPlacement::before(*c->record, c->attribute, c->before.value())};
        }
    }
    endUsageCover(step);
    if (open_.steps.empty())
        openId_ = nextId_++;
    open_.steps.push_back(std::move(step));
}

// A recorded change of an assignment's usage records falls between the kept state and later
// rewrites; those must keep a state of their own.
void UndoManager::endUsageCover(const UndoStep& step) const {
    Record* touched = nullptr;
    if (const auto* c = std::get_if<ToManyChange>(&step)) {
        touched =
            c->record->entity() == Entity::ATaskResource ? c->record : assignmentOfUsage(c->member);
    } else if (const auto* c = std::get_if<ToOneChange>(&step)) {
        touched = assignmentOfUsage(c->record);
        if (touched == nullptr && c->record->entity() == Entity::AResourceUsage)
            touched = c->before;
    } else if (const auto* c = std::get_if<AttributeChange>(&step)) {
        touched = assignmentOfUsage(c->record);
    } else if (const auto* c = std::get_if<LifecycleChange>(&step)) {
        touched = assignmentOfUsage(c->record);
    }
    if (touched != nullptr && touched->undoMark_.group == openNumber_)
        touched->undoMark_.attributes &= ~kUsageKept;
}

bool UndoManager::coverUsageRewrite(ATaskResource& assignment) {
    if (!isRecording())
        return false;
    Record::UndoMark& mark = assignment.undoMark_;
    if (mark.group != openNumber_)
        mark = Record::UndoMark{openNumber_, 0};
    if ((mark.attributes & kUsageKept) == 0) {
        redoStack_.clear();
        redoLabels_.clear();
        if (open_.steps.empty())
            openId_ = nextId_++;
        open_.steps.push_back(
            UsageRewrite{&assignment, UsageSnapshot::of(assignment, open_.snapshots)});
        mark.attributes = (mark.attributes | kUsageKept) & ~kUsageRewrittenAgain;
    } else {
        mark.attributes |= kUsageRewrittenAgain;
    }
    return true;
}

template <class F> std::size_t UndoManager::sumOverGroups(const F& amountOf) const {
    std::size_t n = amountOf(open_);
    for (const auto* stack : {&undoStack_, &redoStack_})
        for (const Group& g : *stack)
            n += amountOf(g);
    return n;
}

std::size_t UndoManager::recordedStepCount() const {
    return sumOverGroups([](const Group& g) { return g.steps.size(); });
}

std::size_t UndoManager::snapshotWordCount() const {
    return sumOverGroups([](const Group& g) { return g.snapshots.size(); });
}

// An attribute whose value is back where the group found it needs no step, nor usage that
// only rewrites kept alone changed and left as they found it. A single rewrite changed it, so
// only usage rewritten again is read: a recalculation that moves every task once reads no
// usage record a second time.
void UndoManager::dropUnchanged(Group& group) const {
    group.steps.eraseIf([this](const UndoStep& step) {
        if (const auto* c = std::get_if<PlacementChange>(&step))
            return c->other.matches(*c->task);
        if (const auto* c = std::get_if<UsageRewrite>(&step)) {
            const Record::UndoMark& mark = c->assignment->undoMark_;
            return mark.group == openNumber_ && (mark.attributes & kUsageKept) != 0 &&
                   (mark.attributes & kUsageRewrittenAgain) != 0 &&
                   c->other.matches(*c->assignment);
        }
        const auto* c = std::get_if<AttributeChange>(&step);
        return c != nullptr &&
               c->before == c->record->schema().attributes[c->attribute].read(*c->record);
    });
}

void UndoManager::captureAfter(Group& group) {
    group.after.clear();
    group.steps.forEach([&group](const UndoStep& step) {
        if (const auto* c = std::get_if<AttributeChange>(&step))
            group.after.push_back(c->record->schema().attributes[c->attribute].read(*c->record));
    });
}

void UndoManager::closeGroup() {
    if (commandDepth_ > 0)
        return;
    if (!open_.steps.empty()) {
        dropUnchanged(open_);
        ++openNumber_;
        // The history keeps what the group holds, not the blocks it emptied.
        open_.steps.shrinkToFit();
        if (!open_.steps.empty()) {
            undoStack_.push_back(std::move(open_));
            undoLabels_.push_back({std::move(openName_), openId_});
        }
        open_ = Group{};
    }
    openName_.clear();
}

std::string UndoManager::undoActionName() const {
    if (!open_.steps.empty())
        return openName_;
    return undoLabels_.empty() ? std::string() : undoLabels_.back().name;
}

std::string UndoManager::redoActionName() const {
    return redoLabels_.empty() ? std::string() : redoLabels_.back().name;
}

std::uint64_t UndoManager::stateId() const {
    if (!open_.steps.empty())
        return openId_;
    return undoLabels_.empty() ? 0 : undoLabels_.back().id;
}

void UndoManager::endCommandGroup() {
    if (commandDepth_ > 0 && --commandDepth_ == 0)
        closeGroup();
}

void UndoManager::undo() {
    closeGroup();
    if (undoStack_.empty())
        return;
    Group group = std::move(undoStack_.back());
    undoStack_.pop_back();
    captureAfter(group);
    redoLabels_.push_back(std::move(undoLabels_.back()));
    undoLabels_.pop_back();
    replaying_ = true;
    group.steps.forEachReversed(
        [this, &group](UndoStep& step) { store_.replay(step, false, group.snapshots); });
    replaying_ = false;
    redoStack_.push_back(std::move(group));
    if (afterUndoRedo_)
        afterUndoRedo_();
}

void UndoManager::redo() {
    closeGroup();
    if (redoStack_.empty())
        return;
    Group group = std::move(redoStack_.back());
    redoStack_.pop_back();
    undoLabels_.push_back(std::move(redoLabels_.back()));
    redoLabels_.pop_back();
    replaying_ = true;
    std::size_t next = 0;
    group.steps.forEach([&](UndoStep& step) {
        store_.replay(step, true, group.snapshots,
                      std::holds_alternative<AttributeChange>(step) ? &group.after[next++]
                                                                    : nullptr);
    });
    replaying_ = false;
    undoStack_.push_back(std::move(group));
    if (afterUndoRedo_)
        afterUndoRedo_();
}

void UndoManager::removeAllActions() {
    undoStack_.clear();
    redoStack_.clear();
    open_ = Group{};
    ++openNumber_;
    undoLabels_.clear();
    redoLabels_.clear();
    openName_.clear();
    store_.purgeDeletedRecords();
}

} // namespace mapolt
