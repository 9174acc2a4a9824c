#include "model/undo_manager.h"

#include "model/record.h"
#include "model/store.h"

#include <algorithm>

namespace mapolt {

namespace {

constexpr std::size_t kMarkedAttributes = 64;

} // namespace

void UndoManager::record(UndoStep step) {
    if (replaying_ || disabled_ > 0)
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
    }
    if (open_.steps.empty())
        openId_ = nextId_++;
    open_.steps.push_back(std::move(step));
}

std::size_t UndoManager::recordedStepCount() const {
    std::size_t n = open_.steps.size();
    for (const auto* stack : {&undoStack_, &redoStack_})
        for (const Group& g : *stack)
            n += g.steps.size();
    return n;
}

// An attribute whose value is back where the group found it needs no step.
void UndoManager::dropUnchanged(Group& group) const {
    std::erase_if(group.steps, [](const UndoStep& step) {
        const auto* c = std::get_if<AttributeChange>(&step);
        return c != nullptr &&
               c->before == c->record->schema().attributes[c->attribute].read(*c->record);
    });
}

void UndoManager::captureAfter(Group& group) {
    group.after.clear();
    for (const UndoStep& step : group.steps)
        if (const auto* c = std::get_if<AttributeChange>(&step))
            group.after.push_back(c->record->schema().attributes[c->attribute].read(*c->record));
}

void UndoManager::closeGroup() {
    if (commandDepth_ > 0)
        return;
    if (!open_.steps.empty()) {
        ++openNumber_;
        dropUnchanged(open_);
        // The history keeps what the group holds, not the blocks it emptied.
        open_.steps.shrink_to_fit();
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
    for (auto it = group.steps.rbegin(); it != group.steps.rend(); ++it)
        store_.replay(*it, false);
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
    for (const UndoStep& step : group.steps)
        store_.replay(step, true,
                      std::holds_alternative<AttributeChange>(step) ? &group.after[next++]
                                                                    : nullptr);
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
