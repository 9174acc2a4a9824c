#include "app_fixture.h"

#include "model/notification_center.h"
#include "table/table_column.h"

#include <QAbstractButton>
#include <QTest>
#include <QToolBar>

#include <algorithm>

namespace mapolt::testing {

void AppFixture::SetUp() {
    ASSERT_TRUE(folder.isValid());
    app = std::make_unique<AppContol>();
    // Each test starts from the shipped defaults: no recent files, toolbar or settings left
    // by another.
    app->preferences().settings().clear();
    QtAlertPresenter::setScript([this](const Alert& alert) {
        alertsShown.push_back(alert);
        std::string title = alert.buttons.empty() ? "OK" : alert.buttons.back();
        if (!answers.empty()) {
            title = answers.front();
            answers.erase(answers.begin());
        }
        const auto found = std::find(alert.buttons.begin(), alert.buttons.end(), title);
        return found == alert.buttons.end() ? 0 : static_cast<int>(found - alert.buttons.begin());
    });
}

void AppFixture::TearDown() {
    // Nothing is left to ask about when the windows go.
    answers.assign(app->windows().size(), "Discard");
    app.reset();
    QtAlertPresenter::setScript({});
    FileChooser::setScript({});
    QApplication::processEvents();
}

ChartWindowController& AppFixture::newWindow() {
    ChartWindowController* w = app->newDocument(0);
    w->show();
    QApplication::setActiveWindow(w);
    app->setFront(w);
    QApplication::processEvents();
    return *w;
}

std::vector<ATask*> AppFixture::addTasks(ChartWindowController& w, int n) {
    std::vector<ATask*> made;
    w.bridge().command("Add Tasks", [&] {
        TaskHelper& helper = w.bridge().document().taskHelper();
        for (int i = 0; i < n; ++i) {
            ATask* t = helper.addEndTask(0.0f);
            t->set(&ATask::name, "T" + std::to_string(i + 1));
            made.push_back(t);
        }
        NotificationCenter::defaultCenter().post(kProjectChanged, this, &w.bridge().store());
    });
    return made;
}

QModelIndex AppFixture::cell(ChartWindowController& w, int row, const std::string& column) {
    ProjectOutlineController& model = w.outline();
    for (int c = 0; c < model.columnCount(); ++c)
        if (model.columnAt(c)->description() == column)
            return model.index(row, c);
    ADD_FAILURE() << "no column " << column;
    return {};
}

void AppFixture::typeIntoCell(ChartWindowController& w, const QModelIndex& index,
                              const QString& text) {
    ProjectOutlineView& view = w.outlineView();
    view.setFocus();
    view.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
    // The first key opens the editor with that key; the rest go to the editor.
    QTest::keyClicks(&view, text.left(1));
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(editor, &view) << "no editor opened";
    QTest::keyClicks(editor, text.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
}

std::vector<std::string> AppFixture::outlineNames(ChartWindowController& w) {
    std::vector<std::string> out;
    for (ATask* t : w.bridge().document().taskHelper().outlineOrder())
        out.push_back(t->name.absent() ? std::string() : t->name());
    return out;
}

void AppFixture::clickToolbar(ChartWindowController& w, QAction* action) {
    QWidget* button = w.toolbar().widgetForAction(action);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    QApplication::processEvents();
}

void AppFixture::answerAlerts(std::vector<std::string> titles) {
    answers = std::move(titles);
}

std::string AppFixture::path(const std::string& name) const {
    return (folder.path() + '/' + QString::fromStdString(name)).toStdString();
}

} // namespace mapolt::testing
