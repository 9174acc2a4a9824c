#include "app/document_bridge.h"

#include "document/kestil_planner_document.h"
#include "model/entities.h"
#include "model/task_helper.h"

#include <QFileInfo>

#include <string>

namespace mapolt {

namespace {

constexpr int kAnimationIntervalMs = 15;

} // namespace

DocumentBridge::DocumentBridge(std::unique_ptr<KestilPlannerDocument> document, QString filePath)
    : document_(std::move(document)), filePath_(std::move(filePath)) {
    document_->setAlertPresenter(&alerts_);
    document_->setPasteboard(&pasteboard_);
    {
        // Reading a file leaves durations to be computed; that is part of opening it, not
        // an edit, so it neither marks the document nor becomes an undo step.
        UndoRegistrationPause pause(document_->store().undoManager());
        document_->placeInvalidTasks();
    }
    timer_.setInterval(kAnimationIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &DocumentBridge::tick);
    const Store* scope = &document_->store();
    projectChangedObserver_ = NotificationObserver(
        kProjectChanged, nullptr, [this](const Notification&) { heardProjectChanged(); }, scope);
    valuesChangedObserver_ = NotificationObserver(
        kProjectValuesChanged, nullptr, [this](const Notification&) { emit valuesChanged(); },
        scope);
}

DocumentBridge::~DocumentBridge() {
    projectChangedObserver_.reset();
    valuesChangedObserver_.reset();
    document_->setAlertPresenter(nullptr);
    document_->setPasteboard(nullptr);
}

Store& DocumentBridge::store() {
    return document_->store();
}

bool DocumentBridge::isModified() const {
    return document_->isDocumentEdited();
}

void DocumentBridge::setFilePath(const QString& path) {
    filePath_ = path;
    displayNameOverride_.clear();
    emit documentStateChanged();
}

QString DocumentBridge::displayName() const {
    if (!displayNameOverride_.isEmpty())
        return displayNameOverride_;
    if (!filePath_.isEmpty())
        return QFileInfo(filePath_).fileName();
    return untitledNumber_ <= 1 ? QStringLiteral("Untitled")
                                : QStringLiteral("Untitled %1").arg(untitledNumber_);
}

bool DocumentBridge::saveTo(const QString& path, QString& error) {
    store().flushPendingChanges();
    std::string reason;
    if (!document_->writeToURL(path.toStdString(), reason)) {
        error = QString::fromStdString(reason);
        return false;
    }
    document_->noteSaved();
    setFilePath(path);
    return true;
}

void DocumentBridge::command(const QString& name, const std::function<void()>& action) {
    Store& s = store();
    if (commandDepth_ == 0)
        s.flushPendingChanges();
    {
        // A modal question inside the action runs an event loop, which may flush; the
        // command group keeps the action one step all the same.
        UndoCommandGroup group(s.undoManager());
        if (commandDepth_ == 0)
            s.undoManager().setActionName(name.toStdString());
        ++commandDepth_;
        action();
        --commandDepth_;
        if (commandDepth_ > 0)
            return;
        // Durations placed for the views belong to the same step.
        if (pending_)
            deliver();
    }
    s.flushPendingChanges();
    emit documentStateChanged();
}

void DocumentBridge::undo() {
    replay(&UndoManager::undo);
}

void DocumentBridge::redo() {
    replay(&UndoManager::redo);
}

// What the views place or measure after an undo or redo is no step of its own.
void DocumentBridge::replay(void (UndoManager::*step)()) {
    UndoManager& history = store().undoManager();
    {
        UndoRegistrationPause pause(history);
        ++commandDepth_;
        (history.*step)();
        --commandDepth_;
        deliver();
    }
    emit documentStateChanged();
}

bool DocumentBridge::canUndo() const {
    return document_->store().undoManager().canUndo();
}

bool DocumentBridge::canRedo() const {
    return document_->store().undoManager().canRedo();
}

QString DocumentBridge::undoTitle() const {
    const std::string name = document_->store().undoManager().undoActionName();
    return name.empty() ? tr("Undo") : tr("Undo %1").arg(QString::fromStdString(name));
}

QString DocumentBridge::redoTitle() const {
    const std::string name = document_->store().undoManager().redoActionName();
    return name.empty() ? tr("Redo") : tr("Redo %1").arg(QString::fromStdString(name));
}

void DocumentBridge::heardProjectChanged() {
    if (commandDepth_ > 0) {
        pending_ = true;
        return;
    }
    deliver();
}

void DocumentBridge::deliver() {
    pending_ = false;
    document_->placeInvalidTasks();
    document_->projectChanged();
    // The critical path follows the tasks and links; a zoom or another view change leaves it.
    const std::uint64_t revision =
        store().revision(Entity::ATask) + store().revision(Entity::DepLink);
    if (revision != criticalPathRevision_) {
        document_->taskHelper().recalcCP();
        criticalPathRevision_ = revision;
    }
    emit projectChanged();
    startAnimationIfNeeded();
}

void DocumentBridge::startAnimationIfNeeded() {
    if (document_->isAnimating() && !timer_.isActive())
        timer_.start();
}

void DocumentBridge::tick() {
    document_->tick();
    if (!document_->isAnimating())
        timer_.stop();
}

} // namespace mapolt
