#include "document/kestil_planner_document.h"
#include "model/entities.h"
#include "model/preferences.h"
#include "support/notification_recorder.h"

#include <gtest/gtest.h>

namespace mapolt {
namespace {

struct ViewAnimationTest : ::testing::Test {
    MemoryPreferences preferences;
    KestilPlannerDocument doc{preferences};

    // Ticks until the animations stop: how many it took, or -1 when they never do.
    int runAnimations() {
        for (int ticks = 0; ticks < 200; ++ticks, doc.tick())
            if (!doc.isAnimating())
                return ticks;
        return -1;
    }
    void setBarHeight(float height) {
        doc.style()->margins()->set(&StyleMargin::height, height);
        doc.projectChanged();
    }
};

TEST_F(ViewAnimationTest, ZoomInDoublesTheWidthInNineTicksPostingEachOne) {
    testing::NotificationRecorder posts(kProjectChanged);
    doc.zoomIn();
    EXPECT_FLOAT_EQ(doc.dayWidth(), 18.0f);
    doc.tick();
    EXPECT_FLOAT_EQ(doc.dayWidth(), 20.0f);
    EXPECT_EQ(runAnimations(), 8);
    EXPECT_EQ(doc.dayWidth(), 36.0f);
    doc.tick();
    EXPECT_EQ(posts.countFrom(&doc), 9u) << "an idle document does not post";
    doc.zoomIn();
    doc.tick();
    doc.zoomIn();
    EXPECT_GT(runAnimations(), 0);
    EXPECT_EQ(doc.dayWidth(), 144.0f) << "a second zoom while animating ends on its target";
    EXPECT_FALSE(doc.store().undoManager().canUndo());
    EXPECT_FLOAT_EQ(doc.project()->dayWidth(), 144.0f);
}

TEST_F(ViewAnimationTest, ZoomOutStepsDownAndDefaultDaysFollowTheTarget) {
    const float widths[] = {9.0f, 4.5f, 2.25f};
    const float days[] = {1.0f, 7.0f, 7.0f};
    for (int i = 0; i < 3; ++i) {
        doc.zoomOut();
        EXPECT_FLOAT_EQ(doc.taskHelper().defaultDays(), days[i]) << i;
        runAnimations();
        EXPECT_EQ(doc.dayWidth(), widths[i]);
    }
    doc.zoomIn();
    EXPECT_FLOAT_EQ(doc.taskHelper().defaultDays(), 7.0f) << "4.5 is not above 5";
    doc.zoomIn();
    EXPECT_FLOAT_EQ(doc.taskHelper().defaultDays(), 1.0f);
}

TEST_F(ViewAnimationTest, BaselineDoublesTheRowThreePointsPerTickAndTurnsBack) {
    testing::NotificationRecorder posts(kProjectChanged);
    doc.setShowingBase(true);
    doc.tick();
    EXPECT_FLOAT_EQ(doc.rowHeight(), 22.0f);
    EXPECT_EQ(runAnimations(), 6);
    EXPECT_FLOAT_EQ(doc.rowHeight(), 38.0f);
    EXPECT_EQ(posts.countFrom(&doc), 7u);
    doc.setShowingBase(false);
    doc.tick();
    doc.setShowingBase(true);
    doc.tick();
    EXPECT_FLOAT_EQ(doc.rowHeight(), 38.0f);
    doc.setShowingBase(false);
    EXPECT_EQ(runAnimations(), 7);
    EXPECT_FLOAT_EQ(doc.rowHeight(), 19.0f);
}

TEST_F(ViewAnimationTest, FractionalRowHeightStillArrives) {
    setBarHeight(12.25f);
    doc.setShowingBase(true);
    EXPECT_GT(runAnimations(), 0);
    EXPECT_FLOAT_EQ(doc.rowHeight(), 37.0f) << "36.5 rounded";
}

TEST_F(ViewAnimationTest, MarginChangesTakeEffectAtOnceUnlessTheRowsAnimate) {
    setBarHeight(20.0f);
    EXPECT_FLOAT_EQ(doc.rowHeight(), 26.0f);
    doc.setShowingBase(true);
    doc.tick();
    setBarHeight(13.0f);
    EXPECT_FLOAT_EQ(doc.rowHeight(), 29.0f) << "the animation keeps its course";
    runAnimations();
    doc.projectChanged();
    EXPECT_FLOAT_EQ(doc.rowHeight(), 38.0f);
}

} // namespace
} // namespace mapolt
