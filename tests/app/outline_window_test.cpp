#include "app_fixture.h"

#include "model/notification_center.h"

#include <QAbstractItemModelTester>
#include <QScrollBar>
#include <QTest>

namespace mapolt::testing {
namespace {

using OutlineWindow = AppFixture;

TEST_F(OutlineWindow, TypingIntoTheFirstEmptyRowMakesOneTask) {
    ChartWindowController& w = newWindow();
    ASSERT_EQ(w.outline().rowCount(), ProjectOutlineController::kPlaceholderRows);
    typeIntoCell(w, cell(w, 0, "Task Name"), "Survey");
    EXPECT_EQ(outlineNames(w), std::vector<std::string>{"Survey"});
    EXPECT_EQ(w.outline().rowCount(), 1 + ProjectOutlineController::kPlaceholderRows);
    // Return moved the cursor to the next row, the first empty one again.
    EXPECT_EQ(w.outlineView().currentIndex().row(), 1);
    EXPECT_EQ(w.bridge().undoTitle(), "Undo Typing");
}

// A new window takes typing at once, into the first row's name, with no click first.
TEST_F(OutlineWindow, ANewWindowTakesTypingIntoTheFirstRow) {
    ChartWindowController& w = newWindow();
    QWidget* focused = QApplication::focusWidget();
    ASSERT_EQ(focused, &w.outlineView());
    ASSERT_EQ(w.outlineView().currentIndex().row(), 0);
    ASSERT_EQ(w.outlineView().currentIndex().column(), w.outline().nameSection());
    QTest::keyClicks(focused, "S");
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, focused) << "no editor opened";
    QTest::keyClicks(editor, "urvey");
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(outlineNames(w), std::vector<std::string>{"Survey"});
}

TEST_F(OutlineWindow, TypingIntoTheThirdEmptyRowMakesTwoBlankRowsFirst) {
    ChartWindowController& w = newWindow();
    addTasks(w, 5);
    typeIntoCell(w, cell(w, 7, "Task Name"), "Roof");
    const std::vector<std::string> names = outlineNames(w);
    ASSERT_EQ(names.size(), 8u);
    EXPECT_EQ(names[5], "");
    EXPECT_EQ(names[6], "");
    EXPECT_EQ(names[7], "Roof");
    // One undo takes the row and its blanks back.
    w.undo();
    EXPECT_EQ(outlineNames(w).size(), 5u);
}

TEST_F(OutlineWindow, ClearingAnEmptyRowCreatesNothing) {
    ChartWindowController& w = newWindow();
    EXPECT_FALSE(w.outline().setData(cell(w, 0, "Task Name"), QString(), Qt::EditRole));
    EXPECT_TRUE(outlineNames(w).empty());
    EXPECT_FALSE(w.bridge().canUndo());
}

TEST_F(OutlineWindow, HoursTypedIntoTheTableRescheduleTheSuccessor) {
    ChartWindowController& w = newWindow();
    const std::vector<ATask*> t = addTasks(w, 2);
    w.bridge().command("Link",
                       [&] { w.bridge().document().taskHelper().makeDepenantFrom(t[0], t[1]); });
    const float before = t[1]->daysFromStart();
    typeIntoCell(w, cell(w, 0, "Hours"), "24");
    EXPECT_FLOAT_EQ(t[0]->hours(), 24.0f);
    EXPECT_GT(t[1]->daysFromStart(), before);
    // Text that is no number is refused and changes nothing.
    EXPECT_FALSE(w.outline().setData(cell(w, 0, "Hours"), QStringLiteral("lots"), Qt::EditRole));
    EXPECT_FLOAT_EQ(t[0]->hours(), 24.0f);
}

TEST_F(OutlineWindow, IndentFromTheToolbarIsOneStepToUndoAndRedo) {
    ChartWindowController& w = newWindow();
    const std::vector<ATask*> t = addTasks(w, 3);
    w.outlineView().selectTasks({t[1]});
    clickToolbar(w, app->actions().indent);
    ASSERT_EQ(t[1]->superTask(), t[0]);
    EXPECT_EQ(w.outline().rowCount(), 2 + ProjectOutlineController::kPlaceholderRows);
    EXPECT_EQ(app->actions().undo->text(), "Undo Indent");

    app->actions().undo->trigger();
    EXPECT_EQ(t[1]->superTask(), nullptr);
    EXPECT_EQ(w.outline().rowCount(), 3 + ProjectOutlineController::kPlaceholderRows);
    EXPECT_EQ(app->actions().redo->text(), "Redo Indent");
    // The selection is back on the same task.
    EXPECT_EQ(w.selectedTasks(), std::vector<ATask*>{t[1]});

    app->actions().redo->trigger();
    EXPECT_EQ(t[1]->superTask(), t[0]);
}

TEST_F(OutlineWindow, TwoMoveDownsNeedTwoUndos) {
    ChartWindowController& w = newWindow();
    addTasks(w, 3);
    w.outlineView().selectTasks({w.bridge().document().taskHelper().outlineOrder()[0]});
    app->actions().moveDown->trigger();
    app->actions().moveDown->trigger();
    EXPECT_EQ(outlineNames(w), (std::vector<std::string>{"T2", "T3", "T1"}));
    app->actions().undo->trigger();
    EXPECT_EQ(outlineNames(w), (std::vector<std::string>{"T2", "T1", "T3"}));
    EXPECT_EQ(app->actions().redo->text(), "Redo Move Down");
    app->actions().undo->trigger();
    EXPECT_EQ(outlineNames(w), (std::vector<std::string>{"T1", "T2", "T3"}));
    EXPECT_EQ(w.bridge().undoTitle(), "Undo Add Tasks");
}

TEST_F(OutlineWindow, CancellingTheStartDateAlertMovesNothing) {
    ChartWindowController& w = newWindow();
    const std::vector<ATask*> t = addTasks(w, 2);
    w.bridge().command("Move", [&] { t[1]->set(&ATask::daysFromStart, 10.0f); });
    const Date start = w.bridge().document().project()->startDate();
    const QDate later = w.startDateField().date().addDays(3);
    answerAlerts({"Cancel"});
    w.startDateField().setDate(later);
    ASSERT_EQ(alertsShown.size(), 1u);
    EXPECT_EQ(alertsShown[0].buttons, (std::vector<std::string>{"OK", "Cancel"}));
    EXPECT_EQ(w.bridge().document().project()->startDate(), start);
    EXPECT_FLOAT_EQ(t[0]->daysFromStart(), 0.0f);
    EXPECT_FLOAT_EQ(t[1]->daysFromStart(), 10.0f);
    // The field shows the project's start again.
    EXPECT_EQ(w.startDateField().date(), later.addDays(-3));

    answerAlerts({"OK"});
    w.startDateField().setDate(later);
    EXPECT_FLOAT_EQ(t[1]->daysFromStart(), 7.0f);
    EXPECT_FLOAT_EQ(t[0]->daysFromStart(), 0.0f);
    // One undo puts the start and every task back on its calendar date.
    w.undo();
    EXPECT_EQ(w.bridge().document().project()->startDate(), start);
    EXPECT_FLOAT_EQ(t[1]->daysFromStart(), 10.0f);
}

TEST_F(OutlineWindow, ACollapsedSummaryStaysCollapsedAfterAnEditElsewhere) {
    ChartWindowController& w = newWindow();
    const std::vector<ATask*> t = addTasks(w, 4);
    w.outlineView().selectTasks({t[1], t[2]});
    w.indentTask();
    const QModelIndex summary = w.outline().indexOf(t[0]);
    ASSERT_TRUE(w.outlineView().isExpanded(summary));
    w.outlineView().collapse(summary);
    EXPECT_FALSE(t[0]->isExpanded());
    // Collapsing is no edit: nothing to undo beyond the indent, rows gone from the chart.
    EXPECT_EQ(w.bridge().undoTitle(), "Undo Indent");
    EXPECT_EQ(w.chartView().chart().context().rows().totalRows(), 2);

    typeIntoCell(w, cell(w, 1, "Task Name"), "Renamed");
    EXPECT_EQ(t[3]->name(), "Renamed");
    EXPECT_FALSE(w.outlineView().isExpanded(w.outline().indexOf(t[0])));
    w.undo();
    EXPECT_FALSE(w.outlineView().isExpanded(w.outline().indexOf(t[0])));
}

TEST_F(OutlineWindow, TheModelStaysConsistentWhileTheOutlineIsEdited) {
    ChartWindowController& w = newWindow();
    QAbstractItemModelTester tester(&w.outline(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    const std::vector<ATask*> t = addTasks(w, 6);
    w.outlineView().selectTasks({t[2], t[3]});
    w.indentTask();
    w.outlineView().selectTasks({t[3]});
    w.indentTask();
    w.outlineView().selectTasks({t[5]});
    w.moveTaskUp();
    typeIntoCell(w, cell(w, 9, "Task Name"), "Late");
    w.outlineView().selectTasks({t[1]});
    w.deleteSelection();
    w.undo();
    w.undo();
    w.redo();
    EXPECT_EQ(w.outline().rowCount(),
              w.outline().rootCount() + ProjectOutlineController::kPlaceholderRows);
}

TEST_F(OutlineWindow, TableAndChartScrollTogetherRowForRow) {
    ChartWindowController& w = newWindow();
    w.resize(1200, 500);
    addTasks(w, 120);
    QApplication::processEvents();
    QScrollBar* chartBar = w.chartView().verticalScrollBar();
    const int rh = static_cast<int>(w.bridge().document().rowHeight());
    chartBar->setValue(40 * rh);
    EXPECT_EQ(w.outlineView().verticalScrollBar()->value(), 40 * rh);
    // The table's row 40 lies level with the chart's row 40.
    const QModelIndex row40 = w.outline().index(40, 0);
    const int tableY =
        w.outlineView().viewport()->mapTo(&w, w.outlineView().visualRect(row40).topLeft()).y();
    const int chartY =
        w.chartView().viewport()->mapTo(&w, QPoint(0, 40 * rh - chartBar->value())).y();
    EXPECT_EQ(tableY, chartY);
    EXPECT_EQ(w.outlineView().visualRect(row40).height(), rh);
}

} // namespace
} // namespace mapolt::testing
