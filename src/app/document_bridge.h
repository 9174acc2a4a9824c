#pragma once

#include "app/clipboard_pasteboard.h"
#include "app/qt_alert_presenter.h"
#include "model/notification_center.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

namespace mapolt {

class KestilPlannerDocument;
class Store;
class UndoManager;

// One open document as the windows see it: the only subscriber to the core's notifications
// for this document, re-emitted as Qt signals; the 15 ms animation timer; the undo steps of
// user actions; the file it was read from; the desktop's alerts and clipboard.
class DocumentBridge final : public QObject {
    Q_OBJECT

  public:
    DocumentBridge(std::unique_ptr<KestilPlannerDocument> document, QString filePath);
    ~DocumentBridge() override;

    KestilPlannerDocument& document() { return *document_; }
    Store& store();

    // Empty for a document never saved.
    const QString& filePath() const { return filePath_; }
    void setFilePath(const QString& path);
    // What the title bar and the dialogs call the document: the file's name, else
    // "Untitled" numbered from the second one on.
    QString displayName() const;
    void setUntitledNumber(int n) { untitledNumber_ = n; }
    // A recovered copy takes the name of the file it stood for without being that file.
    void setDisplayNameOverride(const QString& name) { displayNameOverride_ = name; }

    bool isModified() const;
    // Writes the plan file atomically; on success the document is saved there. On failure
    // `error` names the file and the reason, the document stays modified and the file on
    // disk is as it was.
    bool saveTo(const QString& path, QString& error);

    // Runs one user action as exactly one undo step named `name` ("Indent", "Typing"); the
    // windows hear of the change once, after the action.
    void command(const QString& name, const std::function<void()>& action);
    void undo();
    void redo();
    bool canUndo() const;
    bool canRedo() const;
    // "Undo Indent", or plain "Undo" for an unnamed step or none.
    QString undoTitle() const;
    QString redoTitle() const;

    QtAlertPresenter& alerts() { return alerts_; }
    // Starts the 15 ms animation timer when the document animates (zoom, baseline rows).
    void startAnimationIfNeeded();
    bool isAnimating() const { return timer_.isActive(); }

  signals:
    // After every change of the project (an edit, undo, redo, an animation step): views
    // reload and repaint.
    void projectChanged();
    // The modified marker or the undo and redo titles may have changed.
    void documentStateChanged();
    void valuesChanged();

  private:
    void heardProjectChanged();
    void replay(void (UndoManager::*step)());
    void deliver();
    void tick();

    std::unique_ptr<KestilPlannerDocument> document_;
    QString filePath_;
    QString displayNameOverride_;
    int untitledNumber_ = 1;
    QtAlertPresenter alerts_;
    ClipboardPasteboard pasteboard_;
    QTimer timer_;
    int commandDepth_ = 0;
    bool pending_ = false;
    std::uint64_t criticalPathRevision_ = ~0ULL;
    NotificationObserver projectChangedObserver_;
    NotificationObserver valuesChangedObserver_;
};

} // namespace mapolt
