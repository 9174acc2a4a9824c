#pragma once

#include "app/app_preferences.h"
#include "app/recovery_store.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <vector>

namespace mapolt {

class AppActions;
class ChartWindowController;
class DocumentBridge;
class KestilPlannerDocument;

// The application: its preferences, the open documents and their windows, the front one
// the menu commands act on, recent files, recovery copies, and the file commands.
class AppContol final : public QObject {
    Q_OBJECT

  public:
    static constexpr int kRecentLimit = 10;
    static constexpr int kAutosaveIntervalMs = 60'000;

    explicit AppContol(QObject* parent = nullptr);
    ~AppContol() override;

    AppPreferences& preferences() { return preferences_; }
    AppActions& actions() { return *actions_; }
    RecoveryStore& recovery() { return recovery_; }

    ChartWindowController* front() const;
    void setFront(ChartWindowController* window);
    const std::vector<ChartWindowController*>& windows() const { return windows_; }

    // Start-up: recovery copies are offered, then the files are opened; without files the
    // welcome window shows unless the user turned it off.
    void start(const QStringList& files);

    // A new document, in the preset style `preset` (0 "clean", 1 "school", 2 "Autumn"), or
    // the default style for -1.
    ChartWindowController* newDocument(int preset = 0);
    // Opens a plan file and shows it; a file already open comes to the front. A file that
    // cannot be read is named with the reason in a message, and nothing opens.
    ChartWindowController* openDocument(const QString& path);
    void openWithPanel();
    void openRecent(const QString& path);
    QStringList recentDocuments() const;

    bool saveDocument(ChartWindowController& window);
    bool saveDocumentAs(ChartWindowController& window);
    // Writes the document to `path`; a failure is shown naming the file and the reason.
    bool saveDocumentTo(ChartWindowController& window, const QString& path);
    void revertDocument(ChartWindowController& window);

    void importProjectXml();
    void importText(ChartWindowController& window);
    void importStyle(ChartWindowController& window);
    void exportProjectXml(ChartWindowController& window);
    void exportTaskList(ChartWindowController& window);
    void exportStyle(ChartWindowController& window);
    void exportPDF(ChartWindowController& window);

    void showPreferences();
    void customizeToolbar();
    QStringList toolbarItems() const;
    void setToolbarItems(const QStringList& identifiers);

    // Asks to save each modified document; false when the user cancelled.
    bool quit();
    // Whether the window may close: unsaved changes are saved or discarded by the user.
    bool mayCloseWindow(ChartWindowController& window);
    void windowClosed(ChartWindowController& window);
    void documentStateChanged(ChartWindowController* window);

    // Every error shown to the user passes here: logged, then shown.
    void presentError(QWidget* parent, const QString& message);

    // Writes a recovery copy of every modified document whose state changed since its last
    // copy.
    void autosave();
    void setAutosaveInterval(int milliseconds) { autosaveTimer_.setInterval(milliseconds); }
    // Offers the copies of a session that ended without closing its documents.
    void offerRecovery();

  private:
    ChartWindowController* show(std::unique_ptr<KestilPlannerDocument> document,
                                const QString& path);
    void noteRecent(const QString& path);
    // One message listing what opening or importing a file repaired or left out.
    void tellWhatWasRepaired(QWidget* parent, const QString& message,
                             const std::vector<std::string>& lines);
    QString recoveryKey(ChartWindowController& window);
    void flushIdleDocuments();

    AppPreferences preferences_;
    RecoveryStore recovery_;
    AppActions* actions_ = nullptr;
    std::vector<ChartWindowController*> windows_;
    QPointer<ChartWindowController> front_;
    QTimer autosaveTimer_;
    int untitledCount_ = 0;
    struct RecoveryState {
        QString key;
        std::uint64_t savedState = ~0ULL;
    };
    std::map<const ChartWindowController*, RecoveryState> recoveryStates_;
};

} // namespace mapolt
