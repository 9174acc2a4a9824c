#pragma once

#include "app/app_actions.h"
#include "app/app_contol.h"
#include "app/chart_view.h"
#include "app/chart_window_controller.h"
#include "app/document_bridge.h"
#include "app/file_chooser.h"
#include "app/project_outline_controller.h"
#include "app/project_outline_view.h"
#include "app/qt_alert_presenter.h"
#include "chart/document_chart.h"
#include "document/kestil_planner_document.h"
#include "model/entities.h"
#include "model/task_helper.h"

#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace mapolt::testing {

// An application with its windows, alerts answered from a script and a folder for files.
class AppFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A new document's window, shown and in front.
    ChartWindowController& newWindow();
    // `n` named tasks "T1".."Tn" of 8 hours each through the task service, as one step.
    std::vector<ATask*> addTasks(ChartWindowController& w, int n);
    // Types `text` into the cell and presses Return, as a user does.
    void typeIntoCell(ChartWindowController& w, const QModelIndex& index, const QString& text);
    // The index of row `row` of the table's top level in the named column.
    QModelIndex cell(ChartWindowController& w, int row, const std::string& column);
    // The task names in outline order, with blanks as "".
    std::vector<std::string> outlineNames(ChartWindowController& w);
    void clickToolbar(ChartWindowController& w, QAction* action);
    // Answers the next alerts with these button titles, in order; records every alert.
    void answerAlerts(std::vector<std::string> titles);
    std::string path(const std::string& name) const;

    std::unique_ptr<AppContol> app;
    std::vector<Alert> alertsShown;
    std::vector<std::string> answers;
    QTemporaryDir folder;
};

} // namespace mapolt::testing
