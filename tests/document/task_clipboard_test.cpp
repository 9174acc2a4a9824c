#include "document/pasteboard.h"
#include "document/task_clipboard.h"
#include "support/fake_alert_presenter.h"
#include "support/planner_fixture.h"
#include "table/column_controller.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace mapolt {
namespace {

using ::testing::ElementsAre;

struct TaskClipboardTest : ::testing::Test {
    testing::PlannerFixture plan;
    MemoryPasteboard pasteboard;
    ColumnController columns{plan.store, plan.project};
    testing::FakeAlertPresenter alerts;
    TaskClipboard clipboard{
        {plan.store, plan.helper, plan.engine, plan.resources, &columns, &alerts}, pasteboard};

    // Design > (Sketch, Review), Build, with Sketch -> Review (lag 1.5, sticky).
    void buildOutline() {
        plan.task("Design", 0.0f);
        ATask* sketch = plan.task("Sketch", 16.0f, 0.0f, 2.0f);
        ATask* review = plan.task("Review", 8.0f, 3.5f, 1.0f);
        plan.indent({sketch, review});
        plan.task("Build", 24.0f, 5.0f, 3.0f);
        plan.link(sketch, review, 1.5, true);
        plan.store.flushPendingChanges();
    }
    std::vector<std::string> namesOf(const std::vector<ATask*>& tasks) const {
        std::vector<std::string> out;
        for (const ATask* t : tasks)
            out.push_back(t->name());
        return out;
    }
};

TEST_F(TaskClipboardTest, ASummaryIsPastedWithItsSubtreeInOrder) {
    buildOutline();
    clipboard.copy({plan.named("Design")});
    const auto pasted = clipboard.paste({plan.named("Build")});
    EXPECT_THAT(namesOf(pasted), ElementsAre("Design", "Sketch", "Review"));
    EXPECT_EQ(plan.shape(), "Design/0 Sketch/1 Review/1 Build/0 Design/0 Sketch/1 Review/1");
    EXPECT_EQ(pasted[1]->superTask(), pasted[0]);
    EXPECT_EQ(pasted[2]->prevSibling(), pasted[1]);
    // The copied link comes along between the copies, with its lag and stickiness.
    ASSERT_EQ(pasted[2]->dependeeTasks.size(), 1u);
    const DepLink* link = *pasted[2]->dependeeTasks.begin();
    EXPECT_EQ(link->dependTask(), pasted[1]);
    EXPECT_DOUBLE_EQ(link->daysBetween(), 1.5);
    EXPECT_TRUE(link->sticky());
    EXPECT_EQ(plan.store.count(Entity::DepLink), 2u);
    EXPECT_FLOAT_EQ(pasted[1]->hours(), 16.0f);
    // The pasteboard keeps the copy: a second paste gives a third subtree.
    EXPECT_EQ(clipboard.paste({}).size(), 3u);
    EXPECT_EQ(plan.store.count(Entity::ATask), 10u);
}

TEST_F(TaskClipboardTest, ADeeperSubtreeKeepsItsLevels) {
    plan.task("A", 0.0f);
    ATask* b = plan.task("B", 0.0f);
    ATask* c = plan.task("C", 8.0f);
    ATask* d = plan.task("D", 8.0f);
    plan.indent({b, c, d});
    plan.indent({c});
    plan.task("E");
    ASSERT_EQ(plan.shape(), "A/0 B/1 C/2 D/1 E/0");
    clipboard.copy({plan.named("A")});
    clipboard.paste({plan.named("E")});
    EXPECT_EQ(plan.shape(), "A/0 B/1 C/2 D/1 E/0 A/0 B/1 C/2 D/1");
}

TEST_F(TaskClipboardTest, ASubtaskPastedAfterATopLevelTaskIsTopLevel) {
    buildOutline();
    clipboard.copy({plan.named("Sketch")});
    clipboard.paste({plan.named("Build")});
    EXPECT_EQ(plan.shape(), "Design/0 Sketch/1 Review/1 Build/0 Sketch/0");
    // Only one end of the link was copied: no link.
    EXPECT_EQ(plan.store.count(Entity::DepLink), 1u);
}

TEST_F(TaskClipboardTest, WithNothingSelectedTasksGoToTheEndWithTheirStarts) {
    buildOutline();
    plan.named("Build")->set(&ATask::percComp, 40.0f);
    clipboard.copy({plan.named("Build")});
    const auto pasted = clipboard.paste({});
    ASSERT_EQ(pasted.size(), 1u);
    EXPECT_EQ(plan.shape(), "Design/0 Sketch/1 Review/1 Build/0 Build/0");
    EXPECT_FLOAT_EQ(pasted[0]->daysFromStart(), 5.0f);
    EXPECT_FLOAT_EQ(pasted[0]->percComp(), 40.0f);
    EXPECT_FLOAT_EQ(pasted[0]->hours(), 24.0f);
    EXPECT_NE(pasted[0]->uid(), plan.named("Build")->uid());
}

TEST_F(TaskClipboardTest, AbsentValuesStayAbsent) {
    ATask* t = plan.task("T");
    t->set(&ATask::lockedLength, std::nullopt);
    t->set(&ATask::percComp, std::nullopt);
    clipboard.copy({t});
    const auto pasted = clipboard.paste({t});
    ASSERT_EQ(pasted.size(), 1u);
    EXPECT_TRUE(pasted[0]->percComp.absent());
    EXPECT_TRUE(pasted[0]->lockedLength.absent());
}

TEST_F(TaskClipboardTest, MissingResourcesAreCreatedByNameWithTheirShare) {
    ATask* t = plan.task("T", 16.0f, 0.0f, 2.0f);
    Resource* ann = plan.resource("Ann Lee");
    ann->set(&Resource::email, std::string("ann@example.com"));
    plan.assign(t, ann, 50.0f);
    clipboard.copy({t});

    testing::PlannerFixture other;
    Resource* existing = other.resource("Bob");
    TaskClipboard into{{other.store, other.helper, other.engine, other.resources, nullptr, nullptr},
                       pasteboard};
    const auto pasted = into.paste({});
    ASSERT_EQ(pasted.size(), 1u);
    const auto resources = other.store.fetch<Resource>();
    ASSERT_EQ(resources.size(), 2u);
    EXPECT_EQ(resources[0], existing);
    EXPECT_EQ(resources[1]->name(), "Ann Lee");
    ASSERT_NE(resources[1]->cal(), nullptr);
    ASSERT_EQ(pasted[0]->resources.size(), 1u);
    EXPECT_FLOAT_EQ((*pasted[0]->resources.begin())->perc(), 50.0f);
    // 16 hours at half of an 8-hour day take four days, Monday to Thursday.
    EXPECT_FLOAT_EQ(other.engine.calcDaysForTask(pasted[0]), 4.0f);
    // A resource the target has already is reused.
    into.paste({});
    EXPECT_EQ(other.store.count(Entity::Resource), 2u);
}

TEST_F(TaskClipboardTest, ASecondAssignmentOfTheSameResourceIsAskedFor) {
    ATask* t = plan.task("T");
    Resource* ann = plan.resource("Ann");
    plan.assign(t, ann);
    plan.assign(t, ann);
    clipboard.copy({t});
    alerts.answers = {"Cancel"};
    auto pasted = clipboard.paste({});
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].message, "You are adding multiple resources");
    EXPECT_EQ(alerts.shown[0].informativeText, "Are you sure you want to do this?");
    EXPECT_EQ(pasted[0]->resources.size(), 1u);
    alerts.answers = {"OK"};
    pasted = clipboard.paste({});
    EXPECT_EQ(pasted[0]->resources.size(), 2u);

    // The question is the clipboard's only while it pastes.
    testing::FakeAlertPresenter own;
    DuplicateResourceQuestion ownQuestion(own);
    plan.resources.setDelegate(&ownQuestion);
    own.answers = {"Cancel"};
    clipboard.paste({});
    EXPECT_EQ(plan.resources.delegate(), &ownQuestion);
    EXPECT_TRUE(own.shown.empty());
    plan.resources.addResource(ann, t);
    EXPECT_EQ(own.shown.size(), 1u);
    plan.resources.setDelegate(nullptr);
}

TEST_F(TaskClipboardTest, TheTextFormHasATabAfterEveryField) {
    buildOutline();
    columns.rebuildActiveColumns();
    for (const auto& c : columns.catalogue())
        columns.createIfNeededColumnWithName(c->description(), 0, true)
            ->set(&ColumnStates::active,
                  c->description() == "Task Name" || c->description() == "Hours");
    plan.named("Review")->setName(std::string("Re\tview"));
    plan.named("Re\tview")->set(&ATask::hours, 8.0f);
    clipboard.copy({plan.named("Sketch"), plan.named("Re\tview")});
    EXPECT_EQ(pasteboard.dataForType(kPlainTextType),
              "Task Name\tHours\t\nSketch\t16.00\t\nRe view\t8.00\t");
    ASSERT_EQ(pasteboard.items().size(), 2u);
    EXPECT_EQ(pasteboard.items()[0].first, kProjectMPBoardType);
}

TEST_F(TaskClipboardTest, CutRemovesAndPasteBringsBack) {
    buildOutline();
    ATask* design = plan.named("Design");
    clipboard.cut({design});
    EXPECT_EQ(plan.shape(), "Build/0");
    const auto pasted = clipboard.paste({plan.named("Build")});
    EXPECT_EQ(plan.shape(), "Build/0 Design/0 Sketch/1 Review/1");
    EXPECT_EQ(pasted[0]->subTasks.size(), 2u);
    ASSERT_EQ(pasted[2]->dependeeTasks.size(), 1u);
    EXPECT_EQ((*pasted[2]->dependeeTasks.begin())->dependTask(), pasted[1]);
}

TEST_F(TaskClipboardTest, EmptySelectionsAndForeignDataChangeNothing) {
    buildOutline();
    pasteboard.setContents({{std::string(kPlainTextType), "text"}});
    clipboard.copy({});
    EXPECT_EQ(pasteboard.items().size(), 1u);
    EXPECT_TRUE(clipboard.paste({}).empty());
    pasteboard.setContents({{std::string(kProjectMPBoardType), "{not json"}});
    EXPECT_TRUE(clipboard.paste({}).empty());
    EXPECT_EQ(plan.store.count(Entity::ATask), 4u);
}

TEST_F(TaskClipboardTest, ThePrivateFormCarriesEveryValue) {
    ClipboardTask t;
    t.attributes = {{"name", std::string("N \"q\"")},
                    {"hours", 12.5f},
                    {"lockedStart", true},
                    {"percComp", Value{}}};
    t.uid = "a";
    t.superTask = "b";
    t.dependTasks.push_back({true, 2.25, "c", "a"});
    t.resources.push_back({"r", 40.0f, "Ann"});
    const auto back = TaskClipboard::decode(TaskClipboard::encode({t}));
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 1u);
    const ClipboardTask& r = back->front();
    const auto value = [&r](const std::string& key) {
        for (const auto& [k, v] : r.attributes)
            if (k == key)
                return v;
        return Value{};
    };
    EXPECT_EQ(value("name"), Value{std::string("N \"q\"")});
    EXPECT_EQ(value("hours"), Value{12.5f});
    EXPECT_EQ(value("lockedStart"), Value{true});
    EXPECT_TRUE(isAbsent(value("percComp")));
    EXPECT_EQ(r.superTask, "b");
    ASSERT_EQ(r.dependTasks.size(), 1u);
    EXPECT_EQ(r.dependTasks[0].daysBetween, 2.25);
    EXPECT_EQ(r.dependTasks[0].dependeeTask, "c");
    ASSERT_EQ(r.resources.size(), 1u);
    EXPECT_EQ(r.resources[0].perc, 40.0f);
}

} // namespace
} // namespace mapolt
