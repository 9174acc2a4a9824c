#include "app_fixture.h"

#include "app/panels/preferences_dialog.h"
#include "app/panels/toolbar_dialog.h"
#include "app/panels/welcome_window.h"
#include "chart/chart_style.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QToolBar>

#include <fstream>

namespace mapolt::testing {
namespace {

using Panels = AppFixture;

QColor background(ChartWindowController& w) {
    return ChartStyle(w.bridge().document().styleObject()).colour(ColourSlot::Background);
}

TEST_F(Panels, WelcomeWindowOffersRecentDocumentsOnlyWhenThereAreSome) {
    WelcomeWindow first(*app);
    EXPECT_EQ(first.recentPopup().count(), 1);
    EXPECT_EQ(first.recentPopup().itemText(0), "Open Recent");
    EXPECT_FALSE(first.recentPopup().isEnabled());

    ChartWindowController& w = newWindow();
    ASSERT_TRUE(app->saveDocumentTo(w, QString::fromStdString(path("Garden%20shed.mapolt"))));
    WelcomeWindow second(*app);
    ASSERT_EQ(second.recentPopup().count(), 2);
    // The file's name without its extension, percent escapes decoded.
    EXPECT_EQ(second.recentPopup().itemText(1), "Garden shed");
    EXPECT_TRUE(second.recentPopup().isEnabled());
}

TEST_F(Panels, WelcomeWindowMakesANewDocumentInTheChosenStyle) {
    ChartWindowController& clean = newWindow();
    WelcomeWindow welcome(*app);
    welcome.chooseStyle(2);
    EXPECT_EQ(welcome.chosenStyle(), 2);
    welcome.createNew();
    ASSERT_EQ(app->windows().size(), 2u);
    ChartWindowController& autumn = *app->windows().back();
    EXPECT_NE(background(autumn), background(clean));
    EXPECT_FALSE(autumn.bridge().isModified());
}

// The keyboard alone: the arrows choose the style and Return creates the document, not the
// first button in the row.
TEST_F(Panels, WelcomeWindowAnswersArrowsAndReturn) {
    ChartWindowController& clean = newWindow();
    WelcomeWindow welcome(*app);
    welcome.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&welcome));
    QWidget* focused = welcome.focusWidget();
    ASSERT_NE(focused, nullptr);
    QTest::keyClick(focused, Qt::Key_Right);
    QTest::keyClick(focused, Qt::Key_Right);
    QTest::keyClick(focused, Qt::Key_Right);
    EXPECT_EQ(welcome.chosenStyle(), 2);
    QTest::keyClick(focused, Qt::Key_Left);
    EXPECT_EQ(welcome.chosenStyle(), 1);
    QTest::keyClick(focused, Qt::Key_Return);
    EXPECT_FALSE(welcome.isVisible());
    ASSERT_EQ(app->windows().size(), 2u);
    EXPECT_NE(background(*app->windows().back()), background(clean));
}

TEST_F(Panels, ARecentFileThatIsGoneIsDroppedWithAMessage) {
    ChartWindowController& w = newWindow();
    const QString file = QString::fromStdString(path("gone.mapolt"));
    ASSERT_TRUE(app->saveDocumentTo(w, file));
    ASSERT_TRUE(app->recentDocuments().contains(file));
    QFile::remove(file);
    app->openRecent(file);
    EXPECT_FALSE(app->recentDocuments().contains(file));
    ASSERT_FALSE(alertsShown.empty());
    EXPECT_NE(alertsShown.back().message.find("gone.mapolt"), std::string::npos);
}

TEST_F(Panels, PreferencesAreWrittenAndNewTasksFollowThem) {
    PreferencesDialog dialog(app->preferences());
    auto* lock = dialog.findChild<QCheckBox*>(QStringLiteral("AutoLockStart"));
    ASSERT_NE(lock, nullptr);
    EXPECT_FALSE(lock->isChecked());
    lock->setChecked(true);
    dialog.accept();
    EXPECT_TRUE(app->preferences().boolForKey(kAutoLockStart));
    ChartWindowController& w = newWindow();
    const std::vector<ATask*> t = addTasks(w, 1);
    EXPECT_TRUE(t[0]->lockedStart());
    app->preferences().setValue(QStringLiteral("AutoLockStart"), false);
}

TEST_F(Panels, TheDefaultsComeFromTheShippedResource) {
    // Registered from the resource, not from any code default.
    EXPECT_TRUE(app->preferences().boolForKey(kAutoAdjustElapsed));
    EXPECT_EQ(app->preferences().integerForKey(kModButtons), 1);
    EXPECT_EQ(app->preferences().colourForKey(kNonWorkingColour),
              QColor::fromRgbF(0.8f, 0.8f, 0.8f, 1.0f));
}

TEST_F(Panels, TheCustomisedToolbarIsKeptForEveryWindowAndTheNextStart) {
    ChartWindowController& w = newWindow();
    EXPECT_NE(w.toolbar().widgetForAction(app->actions().moveUp), nullptr);
    ToolbarDialog dialog(app->toolbarItems());
    const QStringList shown = dialog.items();
    EXPECT_EQ(shown, ChartWindowController::defaultToolbarItems());
    QStringList fewer = shown;
    fewer.removeAll(QStringLiteral("Move Up Item Identifier"));
    app->setToolbarItems(fewer);
    EXPECT_EQ(w.toolbar().widgetForAction(app->actions().moveUp), nullptr);
    AppContol next;
    EXPECT_EQ(next.toolbarItems(), fewer);
    app->setToolbarItems(ChartWindowController::defaultToolbarItems());
}

TEST_F(Panels, TheProjectNameFieldIsOneStepAndSurvivesTheWindowClosing) {
    ChartWindowController& w = newWindow();
    QLineEdit& field = w.projectNameField();
    field.setFocus();
    field.selectAll();
    QTest::keyClicks(&field, "Barn");
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(w.bridge().document().project()->name(), "Barn");
    EXPECT_EQ(w.bridge().undoTitle(), "Undo Project Name");
    // The field still has the focus when the window goes.
    field.setFocus();
    QTest::keyClicks(&field, "yard");
    answerAlerts({"Discard"});
    EXPECT_TRUE(w.close());
    QApplication::processEvents();
}

} // namespace
} // namespace mapolt::testing
