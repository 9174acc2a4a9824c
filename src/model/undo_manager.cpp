#include "model/undo_manager.h"

#include "model/store.h"

namespace mapolt {

void UndoManager::record(UndoStep step) {
    if (replaying_ || disabled_ > 0)
        return;
    open_.push_back(std::move(step));
    redoStack_.clear();
}

void UndoManager::closeGroup() {
    if (open_.empty() || commandDepth_ > 0)
        return;
    undoStack_.push_back(std::move(open_));
    open_.clear();
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
    store_.purgeDeletedRecords();
}

} // namespace mapolt
