#include "app/app_contol.h"

#include "app/app_actions.h"
#include "app/chart_view.h"
#include "app/chart_window_controller.h"
#include "app/document_bridge.h"
#include "app/file_chooser.h"
#include "app/panels/preferences_dialog.h"
#include "app/panels/toolbar_dialog.h"
#include "app/panels/welcome_window.h"
#include "app/print_preview.h"
#include "appearance/preset_styles.h"
#include "chart/chart_style.h"
#include "chart/document_chart.h"
#include "chart/project_print_view.h"
#include "document/atomic_file_writer.h"
#include "document/kestil_planner_document.h"
#include "document/project_xml_file.h"
#include "interchange/exporter.h"
#include "interchange/text_file_importer.h"
#include "model/diagnostic_log.h"
#include "model/entities.h"
#include "model/notification_center.h"
#include "table/column_controller.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFileInfo>
#include <QUuid>

namespace mapolt {

namespace {

constexpr char kRecentKey[] = "recentDocuments";
constexpr char kToolbarKey[] = "ChartViewToolbar/items";

} // namespace

AppContol::AppContol(QObject* parent) : QObject(parent) {
    actions_ = new AppActions(*this);
    autosaveTimer_.setInterval(kAutosaveIntervalMs);
    connect(&autosaveTimer_, &QTimer::timeout, this, &AppContol::autosave);
    autosaveTimer_.start();
    // One user event, one undo step: whatever a user event changed outside a command is
    // closed as its own step once the events are handled.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &AppContol::flushIdleDocuments);
}

AppContol::~AppContol() {
    for (ChartWindowController* w : std::vector<ChartWindowController*>(windows_)) {
        recovery_.remove(recoveryKey(*w));
        delete w;
    }
}

ChartWindowController* AppContol::front() const {
    if (front_ != nullptr)
        return front_;
    return windows_.empty() ? nullptr : windows_.back();
}

void AppContol::setFront(ChartWindowController* window) {
    if (front_ == window)
        return;
    front_ = window;
    actions_->update();
}

void AppContol::flushIdleDocuments() {
    for (ChartWindowController* w : windows_)
        w->bridge().store().flushPendingChanges();
}

void AppContol::start(const QStringList& files) {
    offerRecovery();
    for (const QString& f : files)
        openDocument(f);
    if (!files.isEmpty() || !windows_.empty())
        return;
    const QVariant showStartup = preferences_.value(QLatin1String(kShowStartup.data()));
    if (showStartup.isValid() && !showStartup.toBool()) {
        newDocument(0);
        return;
    }
    WelcomeWindow welcome(*this);
    welcome.exec();
    if (windows_.empty())
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

ChartWindowController* AppContol::show(std::unique_ptr<KestilPlannerDocument> document,
                                       const QString& path) {
    auto bridge = std::make_unique<DocumentBridge>(std::move(document), path);
    if (path.isEmpty())
        bridge->setUntitledNumber(++untitledCount_);
    auto* window = new ChartWindowController(*this, std::move(bridge));
    windows_.push_back(window);
    front_ = window;
    window->show();
    actions_->update();
    return window;
}

ChartWindowController* AppContol::newDocument(int preset) {
    auto document = std::make_unique<KestilPlannerDocument>(preferences_);
    if (preset >= 0 && preset < static_cast<int>(presetStyles().size())) {
        UndoRegistrationPause pause(document->store().undoManager());
        applyPresetStyle(*document->project(), presetStyles()[static_cast<std::size_t>(preset)]);
        document->store().flushPendingChanges();
    }
    return show(std::move(document), QString());
}

ChartWindowController* AppContol::openDocument(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (ChartWindowController* w : windows_)
        if (w->bridge().filePath() == absolute) {
            w->raise();
            w->activateWindow();
            setFront(w);
            return w;
        }
    PlanReadResult read;
    auto document =
        KestilPlannerDocument::initWithContentsOfURL(absolute.toStdString(), preferences_, read);
    if (!document) {
        presentError(front(), qText(read.message));
        return nullptr;
    }
    noteRecent(absolute);
    const std::vector<std::string> repairs = document->openWarnings();
    ChartWindowController* window = show(std::move(document), absolute);
    tellWhatWasRepaired(window,
                        tr("Opening \"%1\" changed what it read; the file stays as it "
                           "was until you save.")
                            .arg(QFileInfo(absolute).fileName()),
                        repairs);
    return window;
}

void AppContol::tellWhatWasRepaired(QWidget* parent, const QString& message,
                                    const std::vector<std::string>& lines) {
    if (lines.empty())
        return;
    QStringList text;
    for (const std::string& line : lines)
        text << qText(line);
    QtAlertPresenter alerts;
    alerts.setParent(parent);
    alerts.runAlert(Alert{
        AlertStyle::Informational, message.toStdString(), text.join('\n').toStdString(), {"OK"}});
}

void AppContol::openWithPanel() {
    const QString path =
        FileChooser::choose(front(), FileChooser::Kind::Open, tr("Open Plan"), kPlanFileFilter);
    if (!path.isEmpty())
        openDocument(path);
}

void AppContol::openRecent(const QString& path) {
    if (!QFileInfo::exists(path)) {
        QStringList recent = recentDocuments();
        recent.removeAll(path);
        preferences_.setValue(QLatin1String(kRecentKey), recent);
        presentError(front(), tr("The file \"%1\" no longer exists; it was removed from the "
                                 "recent documents.")
                                  .arg(path));
        return;
    }
    openDocument(path);
}

QStringList AppContol::recentDocuments() const {
    return preferences_.value(QLatin1String(kRecentKey)).toStringList();
}

void AppContol::noteRecent(const QString& path) {
    QStringList recent = recentDocuments();
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > kRecentLimit)
        recent.removeLast();
    preferences_.setValue(QLatin1String(kRecentKey), recent);
}

bool AppContol::saveDocument(ChartWindowController& window) {
    const QString path = window.bridge().filePath();
    return path.isEmpty() ? saveDocumentAs(window) : saveDocumentTo(window, path);
}

bool AppContol::saveDocumentAs(ChartWindowController& window) {
    QString path = FileChooser::choose(&window, FileChooser::Kind::Save, tr("Save Plan"),
                                       kPlanFileFilter, window.bridge().displayName());
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".mapolt");
    return saveDocumentTo(window, path);
}

bool AppContol::saveDocumentTo(ChartWindowController& window, const QString& path) {
    QString error;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (!window.bridge().saveTo(absolute, error)) {
        presentError(&window, error);
        return false;
    }
    noteRecent(absolute);
    recovery_.remove(recoveryKey(window));
    recoveryStates_[&window].savedState = ~0ULL;
    window.updateTitle();
    actions_->update();
    return true;
}

void AppContol::revertDocument(ChartWindowController& window) {
    const QString path = window.bridge().filePath();
    if (path.isEmpty())
        return;
    PlanReadResult read;
    auto document =
        KestilPlannerDocument::initWithContentsOfURL(path.toStdString(), preferences_, read);
    if (!document) {
        presentError(&window, qText(read.message));
        return;
    }
    recovery_.remove(recoveryKey(window));
    windows_.erase(std::remove(windows_.begin(), windows_.end(), &window), windows_.end());
    recoveryStates_.erase(&window);
    window.hide();
    window.deleteLater();
    show(std::move(document), path);
}

void AppContol::importProjectXml() {
    const QString path =
        FileChooser::choose(front(), FileChooser::Kind::Open, tr("Import Project XML"),
                            tr("Project XML (*.xml);;All files (*)"));
    if (path.isEmpty())
        return;
    QtAlertPresenter alerts;
    alerts.setParent(front());
    std::optional<ProjectXmlImport> imported =
        mapolt::importProjectfile(alerts, path.toStdString(), preferences_);
    if (!imported)
        return;
    if (!imported->ok) {
        presentError(front(), qText(imported->error));
        return;
    }
    ChartWindowController* window = show(std::move(imported->document), QString());
    tellWhatWasRepaired(window,
                        tr("Importing \"%1\" left out or changed:").arg(QFileInfo(path).fileName()),
                        imported->warnings);
}

void AppContol::importText(ChartWindowController& window) {
    const QString path =
        FileChooser::choose(&window, FileChooser::Kind::Open, tr("Import Task List"),
                            tr("Text (*.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    std::size_t added = 0;
    window.bridge().command(tr("Import Text"), [&] {
        TextFileImporter importer(window.bridge().document().taskHelper());
        added = importer.importFromFile(path.toStdString());
    });
    if (added == 0)
        presentError(&window, tr("No tasks could be read from \"%1\": it is no tab-separated "
                                 "UTF-8 task list.")
                                  .arg(path));
}

void AppContol::importStyle(ChartWindowController& window) {
    const QString path = FileChooser::choose(&window, FileChooser::Kind::Open, tr("Import Style"),
                                             tr("Mapolt styles (*.zqstyle);;All files (*)"));
    if (path.isEmpty())
        return;
    bool applied = false;
    window.bridge().command(tr("Import Style"), [&] {
        applied = window.bridge().document().importStyle(path.toStdString());
    });
    if (!applied)
        presentError(&window, tr("\"%1\" is no style file.").arg(path));
}

void AppContol::exportProjectXml(ChartWindowController& window) {
    const QString path =
        FileChooser::choose(&window, FileChooser::Kind::Save, tr("Export Project XML"),
                            tr("Project XML (*.xml)"), window.bridge().displayName() + ".xml");
    if (path.isEmpty())
        return;
    std::string error;
    if (!mapolt::exportProjectXml(window.bridge().document(), path.toStdString(), error))
        presentError(&window, qText(error));
}

void AppContol::exportTaskList(ChartWindowController& window) {
    const QString folder = FileChooser::choose(&window, FileChooser::Kind::Folder,
                                               tr("Export Task Lists to Folder"), QString());
    if (folder.isEmpty())
        return;
    KestilPlannerDocument& document = window.bridge().document();
    QStringList failures;
    Exporter exporter(
        document.store(), &document.columnController(),
        [&failures](const std::filesystem::path& path, std::string_view bytes, std::string& error) {
            if (writeFileAtomically(path, bytes, error))
                return true;
            failures << qText(error);
            return false;
        });
    exporter.doExport(folder.toStdString());
    if (!failures.isEmpty())
        presentError(&window, failures.join('\n'));
}

void AppContol::exportStyle(ChartWindowController& window) {
    const QString path = FileChooser::choose(&window, FileChooser::Kind::Save, tr("Export Style"),
                                             tr("Mapolt styles (*.zqstyle)"),
                                             window.bridge().displayName() + ".zqstyle");
    if (path.isEmpty())
        return;
    std::string error;
    if (!window.bridge().document().exportStyle(path.toStdString(), error))
        presentError(&window, qText(error));
}

void AppContol::exportPDF(ChartWindowController& window) {
    const QString path =
        FileChooser::choose(&window, FileChooser::Kind::Save, tr("Export as PDF"),
                            tr("PDF (*.pdf)"), window.bridge().displayName() + ".pdf");
    if (path.isEmpty())
        return;
    PrintPreview preview(window.bridge(), window.chartView().chart().context());
    preview.calcSize();
    std::string error;
    if (!preview.printView().writePDF(path.toStdString(), error))
        presentError(&window, qText(error));
}

void AppContol::showPreferences() {
    PreferencesDialog dialog(preferences_, front());
    dialog.exec();
}

QStringList AppContol::toolbarItems() const {
    const QVariant stored = preferences_.value(QLatin1String(kToolbarKey));
    return stored.isValid() ? stored.toStringList() : ChartWindowController::defaultToolbarItems();
}

void AppContol::setToolbarItems(const QStringList& identifiers) {
    preferences_.setValue(QLatin1String(kToolbarKey), identifiers);
    for (ChartWindowController* w : windows_)
        w->setToolbarItems(identifiers);
}

void AppContol::customizeToolbar() {
    ToolbarDialog dialog(toolbarItems(), front());
    if (dialog.exec() == QDialog::Accepted)
        setToolbarItems(dialog.items());
}

bool AppContol::mayCloseWindow(ChartWindowController& window) {
    DocumentBridge& bridge = window.bridge();
    bridge.store().flushPendingChanges();
    if (!bridge.isModified())
        return true;
    const int answer = bridge.alerts().runAlert(
        Alert{AlertStyle::Warning,
              tr("Do you want to save the changes you made in \"%1\"?")
                  .arg(bridge.displayName())
                  .toStdString(),
              tr("Your changes will be lost if you discard them.").toStdString(),
              {tr("Save").toStdString(), tr("Discard").toStdString(), tr("Cancel").toStdString()}});
    if (answer == 0)
        return saveDocument(window);
    return answer == 1;
}

void AppContol::windowClosed(ChartWindowController& window) {
    recovery_.remove(recoveryKey(window));
    recoveryStates_.erase(&window);
    windows_.erase(std::remove(windows_.begin(), windows_.end(), &window), windows_.end());
    if (front_ == &window)
        front_ = nullptr;
    window.deleteLater();
    actions_->update();
}

void AppContol::documentStateChanged(ChartWindowController* window) {
    if (window == front())
        actions_->update();
}

bool AppContol::quit() {
    for (ChartWindowController* w : std::vector<ChartWindowController*>(windows_))
        if (!w->close())
            return false;
    QCoreApplication::quit();
    return true;
}

void AppContol::presentError(QWidget* parent, const QString& message) {
    logDiagnostic("encountered the following error: " + message.toStdString());
    QtAlertPresenter alerts;
    alerts.setParent(parent);
    alerts.runAlert(Alert{AlertStyle::Critical, message.toStdString(), {}, {"OK"}});
}

QString AppContol::recoveryKey(ChartWindowController& window) {
    RecoveryState& state = recoveryStates_[&window];
    if (state.key.isEmpty())
        state.key = QUuid::createUuid().toString(QUuid::WithoutBraces);
    return state.key;
}

void AppContol::autosave() {
    for (ChartWindowController* w : windows_) {
        DocumentBridge& bridge = w->bridge();
        if (!bridge.isModified())
            continue;
        bridge.store().flushPendingChanges();
        const QString key = recoveryKey(*w);
        RecoveryState& state = recoveryStates_[w];
        const std::uint64_t now = bridge.store().undoManager().stateId();
        if (state.savedState == now)
            continue;
        QString error;
        if (recovery_.save(bridge, key, error))
            state.savedState = now;
        else
            logDiagnostic("Cannot write the recovery copy: " + error.toStdString());
    }
}

void AppContol::offerRecovery() {
    const std::vector<RecoveryStore::Copy> copies = recovery_.orphans();
    if (copies.empty())
        return;
    QStringList names;
    for (const RecoveryStore::Copy& c : copies)
        names << c.displayName;
    QtAlertPresenter alerts;
    const int answer = alerts.runAlert(
        Alert{AlertStyle::Warning,
              tr("Mapolt did not close properly. Recover the unsaved changes of %1?")
                  .arg(names.join(QStringLiteral(", ")))
                  .toStdString(),
              tr("Discarded changes cannot be brought back.").toStdString(),
              {tr("Recover").toStdString(), tr("Discard").toStdString()}});
    for (const RecoveryStore::Copy& c : copies) {
        if (answer == 0) {
            PlanReadResult read;
            auto document = KestilPlannerDocument::initWithContentsOfURL(c.planPath.toStdString(),
                                                                         preferences_, read);
            if (!document) {
                presentError(nullptr, qText(read.message));
                continue;
            }
            document->setForcedEdited(true);
            ChartWindowController* w = show(std::move(document), c.originalPath);
            if (c.originalPath.isEmpty())
                w->bridge().setDisplayNameOverride(c.displayName);
            w->updateTitle();
        }
        recovery_.discard(c);
    }
    autosave();
}

} // namespace mapolt
