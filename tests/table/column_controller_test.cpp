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
    const std::vector<std::string> all{"No",          "Task Name",    "Hours",          "Days",
                                       "Elapsed",     "%",            "Start Date",     "End Date",
                                       "Resources",   "DependTasks",  "Locked Start",
                                       "Adjust Elapsed", "Adjust Hours"};
    EXPECT_EQ(activeTitles(), all);
    EXPECT_FLOAT_EQ(columns.getColumn("No")->width(), 30.0f);
    EXPECT_FALSE(columns.getColumn("No")->editable());
    EXPECT_FLOAT_EQ(columns.getColumn("Task Name")->width(), TableColumn::kDefaultWidth);
    testing::NotificationRecorder recorder(kProjectChanged);
    columns.rebuildActiveColumns();
    EXPECT_EQ(activeTitles(), all);
    EXPECT_EQ(recorder.countFrom(&columns), 1u);
    EXPECT_EQ(plan.store.count(Entity::ColumnStates), 13u);
    EXPECT_FLOAT_EQ(columns.totalWidth(), 30.0f + 12 * TableColumn::kDefaultWidth);
    EXPECT_FLOAT_EQ(columns.taskWidth(), TableColumn::kDefaultWidth);
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
    EXPECT_FLOAT_EQ(columns.getColumn("Task Name")->width(), TableColumn::kDefaultWidth);
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

} // namespace
} // namespace mapolt
