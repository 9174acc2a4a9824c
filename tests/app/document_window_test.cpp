#include "app_fixture.h"

#include "model/diagnostic_log.h"
#include "model/notification_center.h"
#include "table/table_column.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScrollBar>
#include <QSettings>
#include <QTest>

#include <csignal>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

namespace mapolt::testing {
namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

using DocumentWindow = AppFixture;

TEST_F(DocumentWindow, ARepaintOfTheChartChangesNothingInTheDocument) {
    ChartWindowController& w = newWindow();
    std::vector<ATask*> t = addTasks(w, 3);
    // A task left invalid by an edit the window has not heard of yet.
    t[1]->setPrimitive(&ATask::invalid, true);
    w.bridge().store().flushPendingChanges();
    const std::size_t steps = w.bridge().store().undoManager().undoGroupCount();
    const bool modified = w.bridge().isModified();
    const std::uint64_t revision = w.bridge().store().valueRevision();
    w.resize(1300, 700);
    w.chartView().viewport()->repaint();
    w.chartView().horizontalScrollBar()->setValue(200);
    w.chartView().viewport()->repaint();
    QApplication::processEvents();
    EXPECT_EQ(w.bridge().store().undoManager().undoGroupCount(), steps);
    EXPECT_EQ(w.bridge().isModified(), modified);
    EXPECT_EQ(w.bridge().store().valueRevision(), revision);
}

// The chart scrolls as far as the latest bar: further when any bar grows past it, and back
// when the bar that set it shrinks or goes.
TEST_F(DocumentWindow, TheChartReachesTheLatestBarAfterEachEdit) {
    ChartWindowController& w = newWindow();
    std::vector<ATask*> t = addTasks(w, 3);
    w.resize(1000, 600);
    QScrollBar* bar = w.chartView().horizontalScrollBar();
    const int plain = bar->maximum();
    typeIntoCell(w, cell(w, 1, "Hours"), "2000");
    const int middle = bar->maximum();
    EXPECT_GT(middle, plain + 1000);
    typeIntoCell(w, cell(w, 2, "Hours"), "4000");
    EXPECT_GT(bar->maximum(), middle + 1000);
    typeIntoCell(w, cell(w, 2, "Hours"), "8");
    EXPECT_EQ(bar->maximum(), middle);
    w.outlineView().selectTasks({t[1]});
    w.deleteSelection();
    EXPECT_EQ(bar->maximum(), plain);
    w.undo();
    EXPECT_EQ(bar->maximum(), middle);
}

TEST_F(DocumentWindow, UndoingBackToTheSavedStateClearsTheModifiedMarker) {
    ChartWindowController& w = newWindow();
    addTasks(w, 2);
    ASSERT_TRUE(app->saveDocumentTo(w, QString::fromStdString(path("plan.mapolt"))));
    EXPECT_FALSE(w.isWindowModified());
    EXPECT_EQ(w.windowTitle(), "plan.mapolt[*] — Mapolt");
    typeIntoCell(w, cell(w, 0, "Task Name"), "Changed");
    EXPECT_TRUE(w.isWindowModified());
    w.undo();
    EXPECT_FALSE(w.isWindowModified());
    w.redo();
    EXPECT_TRUE(w.isWindowModified());
}

TEST_F(DocumentWindow, RevertReadsTheFileAgain) {
    ChartWindowController& w = newWindow();
    addTasks(w, 2);
    const QString file = QString::fromStdString(path("revert.mapolt"));
    ASSERT_TRUE(app->saveDocumentTo(w, file));
    addTasks(w, 3);
    ASSERT_TRUE(app->actions().revert->isEnabled());
    app->actions().revert->trigger();
    QApplication::processEvents();
    ASSERT_EQ(app->windows().size(), 1u);
    ChartWindowController& reverted = *app->windows().front();
    EXPECT_EQ(outlineNames(reverted), (std::vector<std::string>{"T1", "T2"}));
    EXPECT_FALSE(reverted.bridge().isModified());
    EXPECT_EQ(reverted.bridge().filePath(), file);
}

TEST_F(DocumentWindow, CancelKeepsAModifiedDocumentOpen) {
    ChartWindowController& w = newWindow();
    addTasks(w, 1);
    answerAlerts({"Cancel"});
    EXPECT_FALSE(w.close());
    ASSERT_EQ(alertsShown.size(), 1u);
    EXPECT_EQ(alertsShown[0].buttons, (std::vector<std::string>{"Save", "Discard", "Cancel"}));
    EXPECT_EQ(app->windows().size(), 1u);
    answerAlerts({"Discard"});
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(app->windows().empty());
}

TEST_F(DocumentWindow, SaveFromTheCloseQuestionWritesTheFile) {
    ChartWindowController& w = newWindow();
    addTasks(w, 1);
    const std::string file = path("closing.mapolt");
    FileChooser::setScript(
        [&](FileChooser::Kind, const QString&) { return QString::fromStdString(file); });
    answerAlerts({"Save"});
    EXPECT_TRUE(w.close());
    EXPECT_NE(readAll(file).find("\"T1\""), std::string::npos);
}

TEST_F(DocumentWindow, ADamagedPlanFileIsNamedAndNothingOpens) {
    const std::string file = path("damaged.mapolt");
    std::ofstream(file) << "{\"project\": [1, 2";
    std::vector<std::string> logged;
    const DiagnosticSink previous =
        setDiagnosticSink([&](std::string_view line) { logged.emplace_back(line); });
    EXPECT_EQ(app->openDocument(QString::fromStdString(file)), nullptr);
    setDiagnosticSink(previous);
    ASSERT_FALSE(logged.empty());
    EXPECT_EQ(logged.back().rfind("encountered the following error: ", 0), 0u) << logged.back();
    EXPECT_TRUE(app->windows().empty());
    ASSERT_EQ(alertsShown.size(), 1u);
    EXPECT_NE(alertsShown[0].message.find("damaged.mapolt"), std::string::npos)
        << alertsShown[0].message;
}

TEST_F(DocumentWindow, WhatOpeningRepairedIsToldOnceAndTheDocumentIsModified) {
    ChartWindowController& w = newWindow();
    const std::vector<ATask*> t = addTasks(w, 2);
    w.bridge().command("Link", [&] {
        w.bridge().document().taskHelper().makeDepenantFrom(t[0], t[1]);
        // A link back, as a file written elsewhere may hold it: the link check is bypassed.
        auto* back = w.bridge().store().insert<DepLink>();
        back->set(&DepLink::dependeeTask, t[0]);
        t[1]->addTo(&ATask::dependTasks, back);
    });
    const QString file = QString::fromStdString(path("loop.mapolt"));
    ASSERT_TRUE(app->saveDocumentTo(w, file));
    answerAlerts({"Discard"});
    w.close();
    alertsShown.clear();

    ChartWindowController* opened = app->openDocument(file);
    ASSERT_NE(opened, nullptr);
    ASSERT_EQ(alertsShown.size(), 1u);
    EXPECT_NE(alertsShown[0].informativeText.find("Removed the link from \"T2\" to \"T1\""),
              std::string::npos)
        << alertsShown[0].informativeText;
    EXPECT_TRUE(opened->bridge().isModified());
}

TEST_F(DocumentWindow, AFailedSaveKeepsTheOldFileAndTheDocumentModified) {
    ChartWindowController& w = newWindow();
    addTasks(w, 1);
    const std::string dir = path("locked");
    QDir().mkpath(QString::fromStdString(dir));
    const std::string file = dir + "/plan.mapolt";
    ASSERT_TRUE(app->saveDocumentTo(w, QString::fromStdString(file)));
    const std::string before = readAll(file);
    addTasks(w, 40);
    ASSERT_TRUE(w.isWindowModified());

    // A read-only folder stops a save; the superuser writes there all the same, so for it
    // the file size limit stands in for a full disk.
    bool saved = true;
    if (geteuid() != 0) {
        QFile::setPermissions(QString::fromStdString(dir), QFile::ReadOwner | QFile::ExeOwner);
        saved = app->saveDocumentTo(w, QString::fromStdString(file));
        QFile::setPermissions(QString::fromStdString(dir),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    } else {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = before.size() + 16;
        setrlimit(RLIMIT_FSIZE, &small);
        saved = app->saveDocumentTo(w, QString::fromStdString(file));
        setrlimit(RLIMIT_FSIZE, &old);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(readAll(file), before);
    EXPECT_TRUE(w.isWindowModified());
    EXPECT_EQ(app->windows().size(), 1u);
    ASSERT_FALSE(alertsShown.empty());
    EXPECT_NE(alertsShown.back().message.find("plan.mapolt"), std::string::npos)
        << alertsShown.back().message;
    // Nothing is left beside the file.
    EXPECT_EQ(QDir(QString::fromStdString(dir)).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(DocumentWindow, ARecoveryCopyIsWrittenAndOfferedAtTheNextStart) {
    ChartWindowController& w = newWindow();
    ASSERT_TRUE(app->saveDocumentTo(w, QString::fromStdString(path("mine.mapolt"))));
    app->setAutosaveInterval(20);
    addTasks(w, 3);
    RecoveryStore& store = app->recovery();
    const QDir recovery(store.folder());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return recovery.entryList({QStringLiteral("*.mapolt")}, QDir::Files).size() == 1; },
        2000));
    // Our own copies are not offered while we run.
    EXPECT_TRUE(store.orphans().empty());

    // The process that wrote the copy ends without closing the document.
    QProcess gone;
    gone.start(QStringLiteral("true"));
    ASSERT_TRUE(gone.waitForFinished());
    const qint64 deadPid = gone.processId();
    for (const QString& note : recovery.entryList({QStringLiteral("*.note")}, QDir::Files)) {
        QSettings edit(recovery.filePath(note), QSettings::IniFormat);
        edit.setValue(QStringLiteral("recovery/pid"), deadPid > 0 ? deadPid : 999999);
    }
    const std::vector<RecoveryStore::Copy> copies = store.orphans();
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].originalPath.toStdString(), path("mine.mapolt"));

    AppContol next;
    answerAlerts({"Recover"});
    next.offerRecovery();
    ASSERT_EQ(next.windows().size(), 1u);
    ChartWindowController& recovered = *next.windows().front();
    EXPECT_TRUE(recovered.bridge().isModified());
    EXPECT_EQ(recovered.bridge().displayName(), "mine.mapolt");
    EXPECT_EQ(recovered.bridge().document().taskHelper().outlineOrder().size(), 3u);
    answerAlerts({"Discard"});
    recovered.close();
}

TEST_F(DocumentWindow, ACleanCloseRemovesTheRecoveryCopy) {
    ChartWindowController& w = newWindow();
    addTasks(w, 1);
    app->autosave();
    const QDir recovery(app->recovery().folder());
    ASSERT_EQ(recovery.entryList({QStringLiteral("*.mapolt")}, QDir::Files).size(), 1);
    answerAlerts({"Discard"});
    w.close();
    EXPECT_TRUE(recovery.entryList({QStringLiteral("*.mapolt")}, QDir::Files).isEmpty());
}

TEST_F(DocumentWindow, LinkedTasksPasteIntoASecondDocumentWithTheirLinkAndLengths) {
    ChartWindowController& first = newWindow();
    std::vector<ATask*> t = addTasks(first, 2);
    first.bridge().command("Link", [&] {
        t[0]->set(&ATask::hours, 24.0f);
        first.bridge().document().taskHelper().makeDepenantFrom(t[0], t[1]);
    });
    first.outlineView().selectTasks({t[0], t[1]});
    app->actions().copy->trigger();
    const QString text = QApplication::clipboard()->text();
    EXPECT_TRUE(text.startsWith("No\tTask Name\t")) << text.toStdString();

    ChartWindowController& second = newWindow();
    ASSERT_EQ(app->front(), &second);
    app->actions().paste->trigger();
    const std::vector<ATask*> pasted = second.bridge().document().taskHelper().outlineOrder();
    ASSERT_EQ(pasted.size(), 2u);
    EXPECT_FLOAT_EQ(pasted[0]->hours(), 24.0f);
    EXPECT_FLOAT_EQ(pasted[1]->hours(), 8.0f);
    ASSERT_EQ(pasted[1]->dependeeTasks.size(), 1u);
    EXPECT_EQ(pasted[1]->dependeeTasks()[0]->dependTask(), pasted[0]);
    EXPECT_FLOAT_EQ(pasted[0]->elapsedTime(), t[0]->elapsedTime());
    EXPECT_GE(pasted[1]->daysFromStart(), pasted[0]->daysFromStart() + pasted[0]->elapsedTime());
    EXPECT_EQ(second.bridge().undoTitle(), "Undo Paste");
    // The first document heard nothing of it.
    EXPECT_EQ(first.bridge().document().taskHelper().outlineOrder().size(), 2u);
}

TEST_F(DocumentWindow, OneDocumentsChangesLeaveTheOtherAlone) {
    ChartWindowController& first = newWindow();
    ChartWindowController& second = newWindow();
    int heard = 0;
    QObject::connect(&first.bridge(), &DocumentBridge::projectChanged, [&] { ++heard; });
    addTasks(second, 3);
    second.zoomIn();
    QTest::qWait(200);
    EXPECT_EQ(heard, 0);
    addTasks(first, 1);
    EXPECT_EQ(heard, 1);
}

TEST_F(DocumentWindow, ZoomAnimatesToTheTargetAndStops) {
    ChartWindowController& w = newWindow();
    app->actions().zoomIn->trigger();
    EXPECT_TRUE(w.bridge().isAnimating());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.bridge().isAnimating(); }, 2000));
    EXPECT_FLOAT_EQ(w.bridge().document().dayWidth(), 36.0f);
    EXPECT_FLOAT_EQ(w.chartView().chart().context().geometry().dayWidth, 36.0f);
    // A zoom is no edit.
    EXPECT_FALSE(w.isWindowModified());
}

TEST_F(DocumentWindow, HidingTheTableKeepsTheDividerForWhenItComesBack) {
    ChartWindowController& w = newWindow();
    w.resize(1200, 600);
    QApplication::processEvents();
    w.bridge().document().project()->setPrimitive(&Project::dividerPosition, 333.0f);
    w.setShowingTable(false);
    EXPECT_FALSE(w.outlineView().isVisible());
    EXPECT_FALSE(w.bridge().document().project()->showsDivider());
    w.setShowingTable(true);
    QApplication::processEvents();
    EXPECT_TRUE(w.outlineView().isVisible());
    EXPECT_EQ(w.outlineView().width(), 333);
    EXPECT_FALSE(w.isWindowModified());
}

TEST_F(DocumentWindow, ImportsAndExportsRunFromTheMenus) {
    ChartWindowController& w = newWindow();
    addTasks(w, 2);
    std::string chosen;
    FileChooser::setScript(
        [&](FileChooser::Kind, const QString&) { return QString::fromStdString(chosen); });

    chosen = path("plan.pdf");
    app->actions().exportPdf->trigger();
    EXPECT_EQ(readAll(chosen).substr(0, 5), "%PDF-");

    chosen = path("plan.xml");
    app->actions().exportProjectXml->trigger();
    EXPECT_NE(readAll(chosen).find("<Name>T2</Name>"), std::string::npos);

    // The exported file comes back as a new document, after the question about what
    // project XML leaves out.
    answerAlerts({"OK"});
    app->actions().importProjectXml->trigger();
    ASSERT_EQ(app->windows().size(), 2u);
    EXPECT_EQ(app->windows().back()->bridge().document().taskHelper().outlineOrder().size(), 2u);

    app->setFront(&w);
    chosen = path("list.txt");
    std::ofstream(chosen) << "Outside\tPaint\t\t2\n";
    app->actions().importText->trigger();
    EXPECT_EQ(outlineNames(w).size(), 4u);
    EXPECT_EQ(w.bridge().undoTitle(), "Undo Import Text");

    chosen = path("look.zqstyle");
    app->actions().exportStyle->trigger();
    EXPECT_NE(readAll(chosen).find('{'), std::string::npos);
    EXPECT_TRUE(alertsShown.size() == 1u) << alertsShown.back().message;
}

} // namespace
} // namespace mapolt::testing
