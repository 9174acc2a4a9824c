#include "model/undo_manager.h"

#include "model/store.h"

namespace mapolt {

void UndoManager::record(UndoStep step) {
    if (replaying_ || disabled_ > 0)
        return;
    if (open_.empty())
        openId_ = nextId_++;
    open_.push_back(std::move(step));
    redoStack_.clear();
    redoLabels_.clear();
}

void UndoManager::closeGroup() {
    if (commandDepth_ > 0)
        return;
    if (!open_.empty()) {
        undoStack_.push_back(std::move(open_));
        undoLabels_.push_back({std::move(openName_), openId_});
        open_.clear();
    }
    openName_.clear();
}

std::string UndoManager::undoActionName() const {
    if (!open_.empty())
        return openName_;
    return undoLabels_.empty() ? std::string() : undoLabels_.back().name;
}

std::string UndoManager::redoActionName() const {
    return redoLabels_.empty() ? std::string() : redoLabels_.back().name;
}

std::uint64_t UndoManager::stateId() const {
    if (!open_.empty())
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
    redoLabels_.push_back(std::move(undoLabels_.back()));
    undoLabels_.pop_back();
    replaying_ = true;
    for (auto it = group.rbegin(); it != group.rend(); ++it)
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
    for (const UndoStep& step : group)
        store_.replay(step, true);
    replaying_ = false;
    undoStack_.push_back(std::move(group));
    if (afterUndoRedo_)
        afterUndoRedo_();
}

void UndoManager::removeAllActions() {
    undoStack_.clear();
    redoStack_.clear();
    open_.clear();
    undoLabels_.clear();
    redoLabels_.clear();
    openName_.clear();
    store_.purgeDeletedRecords();
}

} // namespace mapolt
