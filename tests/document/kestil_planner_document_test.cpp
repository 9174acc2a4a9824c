#include "appearance/apperance_tv_controller.h"
#include "appearance/colour_slots.h"
#include "document/kestil_planner_document.h"
#include "document/text_measurer.h"
#include "model/entities.h"
#include "model/preferences.h"
#include "support/notification_recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

namespace mapolt {
namespace {

// Label widths by task name.
struct FakeMeasurer : TextMeasurer {
    std::map<std::string, float> widths;
    float calcLeftMargin(const ATask& task) override { return widths[task.name()]; }
};

struct DocumentTest : ::testing::Test {
    MemoryPreferences preferences;
};

TEST_F(DocumentTest, NewDocumentHoldsAProjectDatedTodayAndPostsProjectChanged) {
    testing::NotificationRecorder posts(kProjectChanged);
    KestilPlannerDocument doc(preferences);
    EXPECT_EQ(posts.countFrom(&doc), 1u);
    EXPECT_EQ(doc.store().count(Entity::Project), 1u);
    EXPECT_EQ(doc.project()->startDate(), civil::localMidnight(civil::now()));
    ASSERT_NE(doc.styleObject(), nullptr);
    EXPECT_EQ(rgbaOf(*doc.styleObject()->colours()->task()), (RGBAColour{1.0f, 0.5f, 0.0f, 1.0f}));
    EXPECT_EQ(doc.store().count(Entity::ATask), 0u);
    EXPECT_FLOAT_EQ(doc.dayWidth(), 18.0f);
    EXPECT_FLOAT_EQ(doc.rowHeight(), 19.0f);
    EXPECT_FLOAT_EQ(doc.rowHeightAct(), 19.0f);
    EXPECT_FLOAT_EQ(doc.leftMargin(), 2.0f);
    EXPECT_TRUE(doc.showingTable());
    EXPECT_FALSE(doc.store().undoManager().canUndo()) << "creating the project is no edit";
}

TEST_F(DocumentTest, UndoAndRedoPostProjectChanged) {
    KestilPlannerDocument doc(preferences);
    doc.project()->set(&Project::name, std::string("Plan"));
    doc.store().flushPendingChanges();
    testing::NotificationRecorder posts(kProjectChanged);
    doc.store().undoManager().undo();
    EXPECT_TRUE(doc.project()->name.absent());
    EXPECT_EQ(posts.countFrom(&doc), 1u);
    doc.store().undoManager().redo();
    EXPECT_EQ(doc.project()->name(), "Plan");
    EXPECT_EQ(posts.countFrom(&doc), 2u);
}

TEST_F(DocumentTest, TheOutlineServiceComputesTheCriticalPath) {
    KestilPlannerDocument doc(preferences);
    TaskHelper& helper = doc.taskHelper();
    ATask* first = helper.addEndTask(0);
    ATask* last = helper.addEndTask(0);
    first->set(&ATask::elapsedTime, 2.0f);
    last->set(&ATask::daysFromStart, 2.0f);
    last->set(&ATask::elapsedTime, 1.0f);
    auto* link = doc.store().insert<DepLink>();
    link->set(&DepLink::dependTask, first);
    link->set(&DepLink::dependeeTask, last);
    helper.setShowEndCP(true);
    helper.calcProjectCp();
    EXPECT_TRUE(helper.isCriticalOn());
    EXPECT_EQ(helper.getCriticalityOfTask(last), 3);
    EXPECT_EQ(helper.getCriticalityOfTask(first), 2);
}

TEST_F(DocumentTest, LeftMarginMakesRoomForTheWidestLabelLeftOfDayZero) {
    KestilPlannerDocument doc(preferences);
    FakeMeasurer measurer;
    doc.setTextMeasurer(&measurer);
    measurer.widths = {{"early", 60.0f}, {"late", 80.0f}, {"later", 110.0f}};
    ATask* early = doc.taskHelper().addEndTask(0);
    early->setName(std::string("early"));
    ATask* late = doc.taskHelper().addEndTask(2);
    late->setName(std::string("late"));
    NotificationCenter::defaultCenter().post(kProjectChanged, nullptr);
    EXPECT_FLOAT_EQ(doc.leftMargin(), 60.0f);
    EXPECT_FLOAT_EQ(doc.leftDayMargin(), 4.0f);
    // Labels are measured again when the project changes, not on every notice.
    late->setName(std::string("later"));
    doc.projectChanged();
    EXPECT_FLOAT_EQ(doc.leftMargin(), 110.0f - 2 * 18.0f);
    // A zoom step only asks again at the new day width.
    doc.zoomOut();
    while (doc.isZooming())
        doc.zoomAnim();
    EXPECT_FLOAT_EQ(doc.leftMargin(), 110.0f - 2 * 9.0f);
    early->setName(std::string("unmeasured"));
    late->setName(std::string("unmeasured too"));
    doc.projectChanged();
    EXPECT_FLOAT_EQ(doc.leftMargin(), 2.0f);
}

// Label widths by task name, widened by the names of the assigned resources; counts the tasks
// measured.
struct AssignmentMeasurer : TextMeasurer {
    int measured = 0;
    float calcLeftMargin(const ATask& task) override {
        ++measured;
        float width = 10.0f;
        for (const ATaskResource* a : task.resources)
            width += 10.0f * static_cast<float>(a->resource()->name().size());
        return width;
    }
};

// Only the tasks whose assignments changed are measured again; other tasks' assignments
// coming and going leave their labels alone.
TEST_F(DocumentTest, LabelsAreMeasuredAgainForTheTasksWhoseAssignmentsChanged) {
    KestilPlannerDocument doc(preferences);
    AssignmentMeasurer measurer;
    doc.setTextMeasurer(&measurer);
    Store& store = doc.store();
    auto* mia = store.insert<Resource>();
    mia->set(&Resource::name, std::string("Mia"));
    const auto assign = [&store](ATask* t, Resource* r) {
        auto* a = store.insert<ATaskResource>();
        a->set(&ATaskResource::perc, 100.0f);
        a->set(&ATaskResource::resource, r);
        a->set(&ATaskResource::task, t);
        return a;
    };
    ATask* kept = doc.taskHelper().addEndTask(0);
    kept->setName(std::string("kept"));
    ATask* other = doc.taskHelper().addEndTask(0);
    other->setName(std::string("other"));
    assign(kept, mia);
    doc.projectChanged();
    EXPECT_EQ(measurer.measured, 2);
    EXPECT_FLOAT_EQ(doc.leftMargin(), 40.0f);

    ATaskResource* added = assign(other, mia);
    doc.projectChanged();
    EXPECT_EQ(measurer.measured, 3) << "only the task given a person";
    store.deleteRecord(added);
    doc.projectChanged();
    EXPECT_EQ(measurer.measured, 4);

    mia->set(&Resource::name, std::string("Mia Architect"));
    doc.projectChanged();
    EXPECT_EQ(measurer.measured, 5) << "the task the renamed person works on";
    EXPECT_FLOAT_EQ(doc.leftMargin(), 140.0f);
}

// Label widths from the name's length, so that renaming a task can move it on or off the
// envelope of labels.
struct LengthMeasurer : TextMeasurer {
    float calcLeftMargin(const ATask& task) override {
        return 7.0f * static_cast<float>(task.name().size());
    }
};

// After each random edit the margin is the one every task measured afresh would give: a label
// on the envelope that shrinks or moves later, a task deleted or brought back by undo, and
// labels that grow past the envelope all reach it.
TEST_F(DocumentTest, TheMarginFollowsEditsAsIfEveryLabelWereMeasuredAgain) {
    KestilPlannerDocument doc(preferences);
    LengthMeasurer measurer;
    doc.setTextMeasurer(&measurer);
    Store& store = doc.store();
    std::mt19937 random(5);
    for (int i = 0; i < 40; ++i)
        doc.taskHelper().addEndTask(static_cast<float>(i % 9));
    const auto expected = [&] {
        float widest = 2.0f;
        store.forEachLive<ATask>([&](ATask* t) {
            widest =
                std::max(widest, measurer.calcLeftMargin(*t) - t->daysFromStart() * doc.dayWidth());
        });
        return widest;
    };
    for (int step = 0; step < 300; ++step) {
        const std::vector<ATask*> tasks = store.fetch<ATask>();
        ATask* t = tasks[std::uniform_int_distribution<std::size_t>(0, tasks.size() - 1)(random)];
        switch (step % 5) {
        case 0:
            t->setName(std::string(std::uniform_int_distribution<std::size_t>(0, 30)(random), 'x'));
            break;
        case 1:
            t->set(&ATask::daysFromStart,
                   static_cast<float>(std::uniform_int_distribution<int>(0, 12)(random)));
            break;
        case 2:
            if (tasks.size() > 5)
                store.deleteRecord(t);
            break;
        case 3:
            doc.taskHelper().addEndTask(static_cast<float>(step % 7));
            break;
        case 4:
            store.undoManager().undo();
            break;
        }
        store.flushPendingChanges();
        doc.projectChanged();
        ASSERT_FLOAT_EQ(doc.leftMargin(), expected()) << "step " << step;
    }
}

TEST_F(DocumentTest, ClosingTheDocumentDetachesTheAppearancePanel) {
    ApperanceTVController& panel = ApperanceTVController::sharedApperanceTVController();
    {
        KestilPlannerDocument doc(preferences);
        panel.setProject(doc.project());
    }
    EXPECT_EQ(panel.project(), nullptr);
}

} // namespace
} // namespace mapolt
