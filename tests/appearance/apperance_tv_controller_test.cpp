#include "appearance/apperance_tv_controller.h"
#include "appearance/style_tree.h"
#include "model/entities.h"
#include "model/store.h"
#include "support/fake_alert_presenter.h"
#include "support/notification_recorder.h"

#include <gtest/gtest.h>

#include <filesystem>

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
        alerts.answerWith("Switch");
        panel.setSelectedStyle(name);
        ASSERT_EQ(panel.selectedStyle(), name);
        changed.clear();
    }

    void setShadow(float x, float y) {
        project->style()->shadowStyle()->set(&StyleShadow::x, x);
        project->style()->shadowStyle()->set(&StyleShadow::y, y);
    }
};

TEST_F(ApperancePanelTest, StartsCustomAndListsTheStyles) {
    EXPECT_EQ(panel.selectedStyle(), "Custom");
    EXPECT_EQ(ApperanceTVController::styleList(),
              (std::vector<std::string>{"Custom", "School", "Autumn", "Clean"}));
}

TEST_F(ApperancePanelTest, SettingAnEmptySlotCreatesItsColour) {
    testing::NotificationRecorder posts(kProjectChanged);
    EXPECT_EQ(panel.taskColour2(), std::nullopt);
    const std::size_t colours = store.count(Entity::Colour);
    panel.setTaskColour2({0.25f, 0.5f, 0.75f, 0.5f});
    EXPECT_EQ(store.count(Entity::Colour), colours + 1);
    const Colour* c = project->style()->colours()->task2();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(rgbaOf(*c), (RGBAColour{0.25f, 0.5f, 0.75f, 0.5f}));
    EXPECT_EQ(panel.taskColour2(), (RGBAColour{0.25f, 0.5f, 0.75f, 0.5f}));
    EXPECT_EQ(posts.countFrom(&panel), 1u);
}

TEST_F(ApperancePanelTest, SettingAFilledSlotRewritesItsRecordInPlace) {
    Colour* before = project->style()->colours()->task();
    const std::size_t colours = store.count(Entity::Colour);
    panel.setTaskColour({0.1f, 0.2f, 0.3f, 1.0f});
    EXPECT_EQ(project->style()->colours()->task(), before);
    EXPECT_EQ(store.count(Entity::Colour), colours);
    EXPECT_FLOAT_EQ(before->blue(), 0.3f);
    store.flushPendingChanges();
    store.undoManager().undo();
    EXPECT_FLOAT_EQ(before->blue(), 0.0f);
}

TEST_F(ApperancePanelTest, ColourEditsSwitchToCustomExceptTheTwoLines) {
    choosePreset("School");
    panel.setTodayLineColour({0.0f, 1.0f, 0.0f, 1.0f});
    panel.setStartLineColour({0.0f, 1.0f, 0.0f, 1.0f});
    EXPECT_EQ(panel.selectedStyle(), "School");
    panel.setGridColour({0.0f, 1.0f, 0.0f, 1.0f});
    EXPECT_EQ(panel.selectedStyle(), "Custom");
    EXPECT_EQ(changed, std::vector<std::string>{"selectedStyle"});
}

TEST_F(ApperancePanelTest, ShadowColourLivesOnTheShadow) {
    panel.setShadowColour({0.5f, 0.5f, 0.5f, 0.3f});
    EXPECT_EQ(rgbaOf(*project->style()->shadowStyle()->colour()),
              (RGBAColour{0.5f, 0.5f, 0.5f, 0.3f}));
}

TEST_F(ApperancePanelTest, SlotSetterMakesMissingColoursAndShadowRecords) {
    Style* style = project->style();
    store.deleteRecord(style->colours());
    store.deleteRecord(style->shadowStyle());
    panel.setBackgroundColour({0.9f, 0.9f, 0.8f, 1.0f});
    panel.setShadowColour({0.1f, 0.1f, 0.1f, 1.0f});
    ASSERT_NE(style->colours(), nullptr);
    EXPECT_EQ(panel.backgroundColour(), (RGBAColour{0.9f, 0.9f, 0.8f, 1.0f}));
    EXPECT_EQ(panel.linksColour(), std::nullopt);
    ASSERT_NE(style->shadowStyle(), nullptr);
    EXPECT_EQ(panel.shadowColour(), (RGBAColour{0.1f, 0.1f, 0.1f, 1.0f}));
}

TEST_F(ApperancePanelTest, ShadowControlsReadAndWriteTheOffset) {
    setShadow(3.0f, 4.0f);
    EXPECT_FLOAT_EQ(panel.shadowDepth(), 5.0f);
    EXPECT_NEAR(panel.shadowAngle(), 36.87f, 0.01f);
    panel.setShadowDepth(10.0f);
    EXPECT_FLOAT_EQ(project->style()->shadowStyle()->x(), 6.0f);
    EXPECT_FLOAT_EQ(project->style()->shadowStyle()->y(), 8.0f);
    setShadow(3.0f, 4.0f);
    panel.setShadowAngle(90.0f);
    EXPECT_NEAR(project->style()->shadowStyle()->x(), 5.0f, 1e-5f);
    EXPECT_NEAR(project->style()->shadowStyle()->y(), 0.0f, 1e-5f);
    setShadow(-3.0f, 4.0f);
    EXPECT_NEAR(panel.shadowAngle(), 323.13f, 0.01f);
}

TEST_F(ApperancePanelTest, ShadowEditsSwitchToCustom) {
    choosePreset("Autumn");
    panel.setShadowAngle(45.0f);
    EXPECT_EQ(panel.selectedStyle(), "Custom");
    choosePreset("Autumn");
    panel.setShadowDepth(1.0f);
    EXPECT_EQ(panel.selectedStyle(), "Custom");
}

TEST_F(ApperancePanelTest, LeavingCustomAsksAndCancelKeepsEverything) {
    Style* before = project->style();
    testing::NotificationRecorder posts(kProjectChanged);
    alerts.answerWith("Cancel");
    panel.setSelectedStyle("School");
    ASSERT_EQ(alerts.shown.size(), 1u);
    const Alert& a = alerts.shown.front();
    EXPECT_EQ(a.message, "Change to a preset style will delete any non saved custom properties.  "
                         "You can save styles from the file menu.");
    EXPECT_EQ(a.informativeText, "Are you sure you want to loose custom?");
    EXPECT_EQ(a.buttons, (std::vector<std::string>{"Switch", "Cancel"}));
    EXPECT_EQ(panel.selectedStyle(), "Custom");
    EXPECT_EQ(project->style(), before);
    EXPECT_FALSE(before->isDeleted());
    EXPECT_TRUE(posts.senders.empty());
    EXPECT_TRUE(changed.empty());
}

TEST_F(ApperancePanelTest, SwitchReplacesTheWholeTreeAndUndoBringsItBack) {
    Style* before = project->style();
    testing::NotificationRecorder posts(kProjectChanged);
    alerts.answerWith("Switch");
    panel.setSelectedStyle("School");
    EXPECT_EQ(panel.selectedStyle(), "School");
    EXPECT_NE(project->style(), before);
    EXPECT_TRUE(before->isDeleted());
    EXPECT_EQ(store.count(Entity::Style), 1u);
    EXPECT_EQ(store.count(Entity::Colour), 17u);
    EXPECT_EQ(posts.countFrom(&panel), 1u);
    EXPECT_EQ(changed, std::vector<std::string>{"selectedStyle"});
    store.undoManager().undo();
    EXPECT_EQ(project->style(), before);
    EXPECT_EQ(store.count(Entity::Style), 1u);
    EXPECT_EQ(store.count(Entity::Colour), 14u);
}

TEST_F(ApperancePanelTest, PresetToPresetDoesNotAsk) {
    choosePreset("Clean");
    const std::size_t asked = alerts.shown.size();
    panel.setSelectedStyle("Autumn");
    EXPECT_EQ(alerts.shown.size(), asked);
    EXPECT_EQ(panel.selectedStyle(), "Autumn");
}

TEST_F(ApperancePanelTest, ChoosingCustomWhileCustomStillAsks) {
    alerts.answerWith("Switch");
    panel.setSelectedStyle("Custom");
    EXPECT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(panel.selectedStyle(), "Custom");
}

TEST_F(ApperancePanelTest, UnreadablePresetChangesNothing) {
    const auto empty = std::filesystem::temp_directory_path() / "mapolt-no-presets";
    std::filesystem::create_directories(empty);
    panel.setPresetDirectory(empty);
    Style* before = project->style();
    testing::NotificationRecorder posts(kProjectChanged);
    alerts.answerWith("Switch");
    panel.setSelectedStyle("Clean");
    EXPECT_EQ(project->style(), before);
    EXPECT_EQ(panel.selectedStyle(), "Custom");
    EXPECT_TRUE(posts.senders.empty());
}

TEST_F(ApperancePanelTest, UpdateProjectAnnouncesEveryColourAndTheShadow) {
    panel.updateProject();
    EXPECT_EQ(changed.size(), kColourPropertyCount + 2);
    EXPECT_EQ(changed.front(), "backgroundColour");
    EXPECT_EQ(changed[changed.size() - 2], "shadowDepth");
    EXPECT_EQ(changed.back(), "shadowAngle");
}

TEST_F(ApperancePanelTest, WithoutADocumentNothingIsWritten) {
    panel.setProject(nullptr);
    EXPECT_EQ(panel.taskColour(), std::nullopt);
    EXPECT_FLOAT_EQ(panel.shadowDepth(), 0.0f);
    const std::size_t colours = store.count(Entity::Colour);
    panel.setTaskColour({1.0f, 1.0f, 1.0f, 1.0f});
    panel.setShadowDepth(4.0f);
    EXPECT_EQ(store.count(Entity::Colour), colours);
    alerts.answerWith("Switch");
    panel.setSelectedStyle("Clean");
    EXPECT_EQ(panel.selectedStyle(), "Custom");
}

} // namespace
} // namespace mapolt
