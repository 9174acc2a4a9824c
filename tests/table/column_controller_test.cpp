#include "support/notification_recorder.h"
#include "support/planner_fixture.h"
#include "table/column_controller.h"
#include "table/number_formats.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <clocale>

namespace mapolt {
namespace {

struct ColumnControllerTest : ::testing::Test {
    testing::PlannerFixture plan;
    ColumnController columns{plan.store, plan.project};

    void SetUp() override { std::setlocale(LC_ALL, "en_US.UTF-8"); }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }

    std::vector<std::string> activeTitles() {
        std::vector<std::string> out;
        for (const TableColumn* c : columns.getActiveColumns())
            out.push_back(c->description());
        return out;
    }
    std::string text(const std::string& title, ATask* t) {
        return columns.getColumn(title)->stringValueForItem(t).value_or("<none>");
    }
};

TEST_F(ColumnControllerTest, ANewDocumentShowsTheWholeCatalogue) {
    const std::vector<std::string> all{
        "No",          "Task Name", "Hours",     "Days",        "Elapsed",      "%",
        "Start Date",  "End Date",  "Resources", "DependTasks", "Locked Start", "Adjust Elapsed",
        "Adjust Hours"};
    EXPECT_EQ(activeTitles(), all);
    EXPECT_FLOAT_EQ(columns.getColumn("No")->width(), 30.0f);
    EXPECT_FALSE(columns.getColumn("No")->editable());
    EXPECT_FLOAT_EQ(columns.getColumn("Task Name")->width(), TableColumn::kNameColumnWidth);
    testing::NotificationRecorder recorder(kProjectChanged);
    columns.rebuildActiveColumns();
    EXPECT_EQ(activeTitles(), all);
    EXPECT_EQ(recorder.countFrom(&columns), 1u);
    EXPECT_EQ(plan.store.count(Entity::ColumnStates), 13u);
    EXPECT_FLOAT_EQ(columns.totalWidth(),
                    30.0f + TableColumn::kNameColumnWidth + 11 * TableColumn::kDefaultWidth);
    EXPECT_FLOAT_EQ(columns.taskWidth(), TableColumn::kNameColumnWidth);
}

TEST_F(ColumnControllerTest, ShownValuesAndExportText) {
    ATask* a = plan.task("Design", 1234.5f, 6.9f, 2.5f);
    ATask* b = plan.task("Build", 0.0f, 0.0f, 0.0f);
    a->set(&ATask::percComp, 50.0f);
    a->set(&ATask::lockedStart, true);
    plan.link(b, a);
    plan.assign(a, plan.resource("Ann Lee"));
    plan.assign(a, plan.resource("Site Crew"));
    for (int i = 0; i < 1000; ++i)
        plan.helper.addEndTask(0);
    plan.helper.reIndexProject();
    EXPECT_EQ(text("No", a), "1");
    EXPECT_EQ(text("No", plan.helper.getTaskForNumber(1001)), "1,001");
    EXPECT_EQ(text("Task Name", a), "Design");
    EXPECT_EQ(text("Hours", a), "1,234.50");
    EXPECT_EQ(text("Days", a), "154.31");
    EXPECT_EQ(text("Hours", b), "0");
    EXPECT_EQ(text("Elapsed", a), "2.50");
    EXPECT_EQ(text("%", a), "50%");
    // Day 6.9 from Monday 2 March crosses the switch to summer time and is still the 8th.
    EXPECT_EQ(text("Start Date", a), "3/8/26");
    EXPECT_EQ(text("End Date", a), "3/11/26");
    EXPECT_EQ(text("Resources", a), "AL, SC");
    EXPECT_EQ(text("DependTasks", a), "2");
    EXPECT_EQ(text("DependTasks", b), "");
    EXPECT_EQ(text("Locked Start", a), "Y");
    EXPECT_EQ(text("Adjust Hours", a), "N");
    EXPECT_EQ(std::get<float>(columns.getColumn("Days")->valueForItem(a)), 1234.5f / 8);
}

TEST_F(ColumnControllerTest, ColumnStatesHideReorderAndSizeColumns) {
    columns.rebuildActiveColumns();
    ColumnStates* hours = columns.createIfNeededColumnWithName("Hours", 0, true);
    hours->set(&ColumnStates::active, false);
    EXPECT_THAT(activeTitles(), ::testing::Not(::testing::Contains("Hours")));
    ColumnStates* no = columns.createIfNeededColumnWithName("No", 0, true);
    ColumnStates* name = columns.createIfNeededColumnWithName("Task Name", 0, true);
    for (const auto& c : columns.catalogue())
        columns.createIfNeededColumnWithName(c->description(), 0, true)
            ->set(&ColumnStates::viewOrder, 5);
    no->set(&ColumnStates::viewOrder, 7);
    name->set(&ColumnStates::viewOrder, 1);
    EXPECT_EQ(activeTitles().front(), "Task Name");
    EXPECT_EQ(activeTitles().back(), "No");
    // Width 0 keeps the default; a stored width is taken over on the next rebuild.
    name->set(&ColumnStates::width, 0.0f);
    columns.rebuildActiveColumns();
    EXPECT_FLOAT_EQ(columns.getColumn("Task Name")->width(), TableColumn::kNameColumnWidth);
    columns.getColumn("Days")->setWidth(55.0f);
    columns.setColumnWidths();
    EXPECT_FLOAT_EQ(columns.createIfNeededColumnWithName("Days", 0, true)->width(), 55.0f);
    EXPECT_EQ(plan.store.count(Entity::ColumnStates), 13u);
}

TEST_F(ColumnControllerTest, SavedWidthsBeforeTheFirstRebuildAreIgnored) {
    columns.getColumn("Days")->setWidth(55.0f);
    columns.setColumnWidths();
    EXPECT_EQ(plan.store.count(Entity::ColumnStates), 0u);
}

TEST(NumberFormatsTest, PatternsOfTheTableAndTheReports) {
    std::setlocale(LC_ALL, "en_US.UTF-8");
    EXPECT_EQ(formats::money(0.5), ".50");
    EXPECT_EQ(formats::money(0.0), "0.00");
    EXPECT_EQ(formats::money(-0.5), "(0.50)");
    EXPECT_EQ(formats::money(1234567.891), "1,234,567.89");
    EXPECT_EQ(formats::number(0.0), "0");
    EXPECT_EQ(formats::number(-2.0), "(2.00)");
    EXPECT_EQ(formats::integer(1001), "1,001");
    EXPECT_EQ(formats::integer(0), "0");
    EXPECT_EQ(formats::percent(40), "40%");
    EXPECT_EQ(formats::parsePercent("150%"), 150.0);
    EXPECT_EQ(formats::parseInteger("1,500"), 1500.0);
    EXPECT_EQ(formats::parseInteger("abc"), std::nullopt);
    EXPECT_EQ(formats::parseInteger(""), std::nullopt);
    EXPECT_EQ(formats::shortDate(civil::fromYmd(2010, 1, 5)), "1/5/10");
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(formats::money(1234.5), "1,234.50");
}

TEST(NumberFormatsTest, MediumDatesFollowTheLocalesOrder) {
    std::setlocale(LC_ALL, "en_US.UTF-8");
    // An evening time on the day of the spring clock change stays on its calendar day.
    const Date evening{civil::fromYmd(2026, 3, 8).seconds + 17.75 * 3600.0};
    EXPECT_EQ(formats::mediumDate(evening), "Mar 8, 2026");
    EXPECT_EQ(formats::mediumDate(civil::fromYmd(2010, 1, 5)), "Jan 5, 2010");
    std::setlocale(LC_ALL, "C");
    const Date d = civil::fromYmd(2010, 1, 5);
    EXPECT_EQ(formats::mediumDate(d), "Jan 5, 2010");
    EXPECT_EQ(formats::mediumDate(d, "%d.%m.%y"), "05.01.2010");
    EXPECT_EQ(formats::mediumDate(d, "%Y/%m/%d"), "2010/01/05");
    EXPECT_EQ(formats::mediumDate(d, "%d/%m/%y"), "5 Jan 2010");
}

} // namespace
} // namespace mapolt

namespace mapolt {
namespace {

struct ColumnEditTest : ::testing::Test {
    testing::PlannerFixture plan;
    ColumnEditing editing{plan.helper, plan.engine, plan.resources};
    ColumnController columns{plan.store, plan.project, &editing};

    void SetUp() override { std::setlocale(LC_ALL, "en_US.UTF-8"); }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }

    void edit(const std::string& title, ATask* t, const Value& v) {
        columns.getColumn(title)->setValueForItem(t, v);
    }
    // Row numbers of the task's predecessors, ascending.
    std::vector<int> predecessors(const ATask* t) const {
        std::vector<int> out;
        for (const DepLink* l : t->dependeeTasks)
            out.push_back(l->dependTask()->viewOrder() + 1);
        std::sort(out.begin(), out.end());
        return out;
    }
    std::vector<ATask*> rows(int n) {
        std::vector<ATask*> out;
        for (int i = 0; i < n; ++i)
            out.push_back(
                plan.task("T" + std::to_string(i + 1), 8.0f, static_cast<float>(i), 1.0f));
        return out;
    }
};

TEST_F(ColumnEditTest, HoursAndDaysStoreWork) {
    ATask* t = plan.task("T", 8.0f, 0.0f, 1.0f);
    ATask* after = plan.task("After", 8.0f, 1.0f, 1.0f);
    plan.helper.makeDepenantFrom(t, after);
    edit("Days", t, 2.0);
    EXPECT_FLOAT_EQ(t->hours(), 16.0f);
    EXPECT_FLOAT_EQ(t->elapsedTime(), 2.0f);
    // The successor moves with the end.
    EXPECT_FLOAT_EQ(after->daysFromStart(), 2.0f);
    edit("Hours", t, 12.0f);
    EXPECT_FLOAT_EQ(t->hours(), 12.0f);
    // One edit, one undo step.
    plan.store.undoManager().undo();
    EXPECT_FLOAT_EQ(t->hours(), 16.0f);
}

TEST_F(ColumnEditTest, PercentIsClampedAndUnreadableTextClears) {
    ATask* t = plan.task("T");
    edit("%", t, std::string("150%"));
    EXPECT_FLOAT_EQ(t->percComp(), 100.0f);
    edit("%", t, std::string("-5"));
    EXPECT_FLOAT_EQ(t->percComp(), 0.0f);
    edit("%", t, std::string("40"));
    EXPECT_FLOAT_EQ(t->percComp(), 40.0f);
    edit("%", t, std::string("abc"));
    EXPECT_TRUE(t->percComp.absent());
    EXPECT_EQ(columns.getColumn("%")->stringValueForItem(t), std::nullopt);
}

TEST_F(ColumnEditTest, StartAndEndDatesMoveTheTask) {
    ATask* pred = plan.task("P", 8.0f, 0.0f, 1.0f);
    ATask* t = plan.task("T", 8.0f, 1.0f, 1.0f);
    plan.helper.makeDepenantFrom(pred, t);
    // Across the switch to summer time: Monday 9 March is day 7.
    edit("Start Date", t, civil::fromYmd(2026, 3, 9, 15, 30));
    EXPECT_FLOAT_EQ(t->daysFromStart(), 7.0f);
    ASSERT_EQ(t->dependeeTasks.size(), 1u);
    EXPECT_DOUBLE_EQ((*t->dependeeTasks.begin())->daysBetween(), 6.0);
    edit("End Date", t, civil::fromYmd(2026, 3, 11));
    EXPECT_FLOAT_EQ(t->elapsedTime(), 2.0f);
    EXPECT_FLOAT_EQ(t->hours(), 16.0f);
}

TEST_F(ColumnEditTest, DependTasksReplaceThePredecessors) {
    std::vector<ATask*> t = rows(7);
    plan.helper.makeDepenantFrom(t[0], t[6]);
    plan.helper.makeDepenantFrom(t[1], t[6]);
    edit("DependTasks", t[6], std::string("3, 5"));
    EXPECT_EQ(predecessors(t[6]), (std::vector<int>{3, 5}));
    EXPECT_EQ(columns.getColumn("DependTasks")->stringValueForItem(t[6]).value().size(), 4u);
    // A number that names no task, zero and words are skipped.
    edit("DependTasks", t[6], std::string(" 2 ,0, x, 99"));
    EXPECT_EQ(predecessors(t[6]), (std::vector<int>{2}));
    edit("DependTasks", t[6], std::string(""));
    EXPECT_TRUE(predecessors(t[6]).empty());
    EXPECT_EQ(plan.store.count(Entity::DepLink), 0u);
}

TEST_F(ColumnEditTest, ARefusedLinkPutsThePredecessorsBack) {
    std::vector<ATask*> t = rows(7);
    plan.helper.makeDepenantFrom(t[2], t[6]);
    plan.helper.makeDepenantFrom(t[4], t[6]);
    DepLink* lagged = *t[4]->dependTasks.begin();
    lagged->set(&DepLink::daysBetween, 1.5);
    lagged->set(&DepLink::sticky, true);
    plan.helper.makeDepenantFrom(t[6], t[0]);
    edit("DependTasks", t[6], std::string("7"));
    EXPECT_EQ(predecessors(t[6]), (std::vector<int>{3, 5}));
    // Task 1 follows task 7, so task 7 cannot follow task 1 either.
    edit("DependTasks", t[6], std::string("3, 1"));
    EXPECT_EQ(predecessors(t[6]), (std::vector<int>{3, 5}));
    for (const DepLink* l : t[6]->dependeeTasks)
        if (l->dependTask() == t[4]) {
            EXPECT_DOUBLE_EQ(l->daysBetween(), 1.5);
            EXPECT_TRUE(l->sticky());
        }
}

TEST_F(ColumnEditTest, ResourcesByInitialsReplaceTheAssignments) {
    ATask* t = plan.task("T", 16.0f, 0.0f, 2.0f);
    Resource* ab = plan.resource("Anna Berg");
    Resource* cd = plan.resource("Carl Dahl");
    plan.assign(t, cd);
    plan.engine.invalidateTask(t, false);
    plan.engine.calcDaysForTask(t);
    edit("Resources", t, std::string("AB, XY"));
    ASSERT_EQ(t->resources.size(), 1u);
    EXPECT_EQ((*t->resources.begin())->resource(), ab);
    EXPECT_EQ(cd->taskResources.size(), 0u);
    EXPECT_EQ(columns.getColumn("Resources")->stringValueForItem(t), "AB");
    // A full day's share: 16 hours over two days, with a usage record each.
    EXPECT_FLOAT_EQ(t->elapsedTime(), 2.0f);
    EXPECT_EQ(ab->resourceUsage.size(), 2u);
    edit("Resources", t, std::string(""));
    EXPECT_EQ(t->resources.size(), 0u);
    EXPECT_EQ(plan.store.count(Entity::ATaskResource), 0u);
}

TEST_F(ColumnEditTest, NamesAndCheckBoxes) {
    ATask* t = plan.task("T");
    edit("Task Name", t, std::string("Renamed"));
    EXPECT_EQ(t->name(), "Renamed");
    edit("Locked Start", t, true);
    EXPECT_EQ(columns.getColumn("Locked Start")->stringValueForItem(t), "Y");
    edit("Elapsed", t, 3.5);
    EXPECT_FLOAT_EQ(t->elapsedTime(), 3.5f);
}

} // namespace
} // namespace mapolt
