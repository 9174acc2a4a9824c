#include "appearance/apperance_tv_controller.h"
#include "appearance/style_tree.h"
#include "model/entities.h"
#include "model/store.h"
#include "support/fake_alert_presenter.h"
#include "support/notification_recorder.h"

#include <gtest/gtest.h>

namespace mapolt {
namespace {

struct ApperancePanelTest : ::testing::Test {
    Store store;
    Project* project = store.insert<Project>();
    testing::FakeAlertPresenter alerts;
    ApperanceTVController panel;
    std::vector<std::string> changed;

    ApperancePanelTest() {
        ensureStyle(*project);
        store.undoManager().removeAllActions();
        panel.setProject(project);
        panel.setAlertPresenter(&alerts);
        panel.addObserver([this](std::string_view p) { changed.emplace_back(p); });
    }
    void choosePreset(const std::string& name) {
        alerts.answers.push_back("Switch");
        panel.setSelectedStyle(name);
        ASSERT_EQ(panel.selectedStyle(), name);
    }
    StyleShadow& shadow() { return *project->style()->shadowStyle(); }
};

TEST_F(ApperancePanelTest, EmptySlotGetsANewColourAFilledOneIsRewrittenInPlace) {
    testing::NotificationRecorder posts(kProjectChanged);
    const std::size_t colours = store.count(Entity::Colour);
    EXPECT_EQ(panel.taskColour2(), std::nullopt);
    panel.setTaskColour2({0.25f, 0.5f, 0.75f, 0.5f});
    EXPECT_EQ(store.count(Entity::Colour), colours + 1);
    EXPECT_EQ(panel.taskColour2(), (RGBAColour{0.25f, 0.5f, 0.75f, 0.5f}));
    Colour* task = project->style()->colours()->task();
    panel.setTaskColour({0.1f, 0.2f, 0.3f, 1.0f});
    EXPECT_EQ(project->style()->colours()->task(), task);
    EXPECT_EQ(store.count(Entity::Colour), colours + 1);
    EXPECT_FLOAT_EQ(task->blue(), 0.3f);
    panel.setShadowColour({0.5f, 0.5f, 0.5f, 0.3f});
    EXPECT_EQ(rgbaOf(*shadow().colour()), (RGBAColour{0.5f, 0.5f, 0.5f, 0.3f}));
    EXPECT_EQ(posts.countFrom(&panel), 3u);
}

TEST_F(ApperancePanelTest, EditsTurnThePanelCustomExceptTheTwoLineColours) {
    choosePreset("School");
    panel.setTodayLineColour({0.0f, 1.0f, 0.0f, 1.0f});
    panel.setStartLineColour({0.0f, 1.0f, 0.0f, 1.0f});
    EXPECT_EQ(panel.selectedStyle(), "School");
    panel.setGridColour({0.0f, 1.0f, 0.0f, 1.0f});
    EXPECT_EQ(panel.selectedStyle(), "Custom");
    choosePreset("Autumn");
    panel.setShadowAngle(45.0f);
    EXPECT_EQ(panel.selectedStyle(), "Custom");
    choosePreset("Autumn");
    panel.setShadowDepth(1.0f);
    EXPECT_EQ(panel.selectedStyle(), "Custom");
}

TEST_F(ApperancePanelTest, ShadowControlsWriteTheOffset) {
    shadow().set(&StyleShadow::x, 3.0f);
    shadow().set(&StyleShadow::y, 4.0f);
    EXPECT_FLOAT_EQ(panel.shadowDepth(), 5.0f);
    EXPECT_NEAR(panel.shadowAngle(), 36.87f, 0.01f);
    panel.setShadowDepth(10.0f);
    EXPECT_FLOAT_EQ(shadow().x(), 6.0f);
    EXPECT_FLOAT_EQ(shadow().y(), 8.0f);
    panel.setShadowAngle(90.0f);
    EXPECT_NEAR(shadow().x(), 10.0f, 1e-5f);
    EXPECT_NEAR(shadow().y(), 0.0f, 1e-5f);
    shadow().set(&StyleShadow::x, -3.0f);
    shadow().set(&StyleShadow::y, 4.0f);
    EXPECT_NEAR(panel.shadowAngle(), 323.13f, 0.01f);
}

TEST_F(ApperancePanelTest, LeavingCustomAsksAndCancelKeepsEverything) {
    Style* before = project->style();
    testing::NotificationRecorder posts(kProjectChanged);
    alerts.answers.push_back("Cancel");
    panel.setSelectedStyle("School");
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].message,
              "Change to a preset style will delete any non saved custom properties.  "
              "You can save styles from the file menu.");
    EXPECT_EQ(alerts.shown[0].informativeText, "Are you sure you want to loose custom?");
    EXPECT_EQ(alerts.shown[0].buttons, (std::vector<std::string>{"Switch", "Cancel"}));
    EXPECT_EQ(panel.selectedStyle(), "Custom");
    EXPECT_EQ(project->style(), before);
    EXPECT_TRUE(posts.senders.empty());
    EXPECT_TRUE(changed.empty());
}

TEST_F(ApperancePanelTest, SwitchReplacesTheTreeAsOneUndoableStep) {
    Style* before = project->style();
    testing::NotificationRecorder posts(kProjectChanged);
    choosePreset("School");
    EXPECT_TRUE(before->isDeleted());
    EXPECT_EQ(store.count(Entity::Style), 1u);
    EXPECT_EQ(posts.countFrom(&panel), 1u);
    EXPECT_EQ(changed, std::vector<std::string>{"selectedStyle"});
    panel.setSelectedStyle("Clean");
    EXPECT_EQ(alerts.shown.size(), 1u) << "preset to preset does not ask";
    store.undoManager().undo();
    store.undoManager().undo();
    EXPECT_EQ(project->style(), before);
    EXPECT_EQ(store.count(Entity::Colour), 14u);
}

TEST_F(ApperancePanelTest, UnreadablePresetOrNoDocumentChangesNothing) {
    panel.setPresetDirectory("/nonexistent/mapolt");
    Style* before = project->style();
    alerts.answers = {"Switch", "Switch"};
    panel.setSelectedStyle("Clean");
    EXPECT_EQ(project->style(), before);
    EXPECT_EQ(panel.selectedStyle(), "Custom");
    panel.setProject(nullptr);
    panel.setSelectedStyle("Custom");
    EXPECT_EQ(alerts.shown.size(), 2u) << "choosing Custom while Custom asks too";
    const std::size_t colours = store.count(Entity::Colour);
    panel.setTaskColour({1.0f, 1.0f, 1.0f, 1.0f});
    panel.setShadowDepth(4.0f);
    EXPECT_EQ(store.count(Entity::Colour), colours);
    EXPECT_EQ(panel.taskColour(), std::nullopt);
}

} // namespace
} // namespace mapolt
