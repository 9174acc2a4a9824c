#include "interchange/text_file_importer.h"
#include "support/notification_recorder.h"
#include "support/planner_fixture.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace mapolt {
namespace {

struct TextImportTest : ::testing::Test {
    testing::PlannerFixture plan;
    TextFileImporter importer{plan.helper};
};

TEST_F(TextImportTest, GroupsBecomeTopLevelTasksHoldingTheirLinesInOrder) {
    plan.task("Existing");
    const std::size_t added = importer.importFromText("Build\tWalls\tx\t2\n"
                                                      "Paint\tDoors\tx\t1\n"
                                                      "Build\tRoof\tx\t3\n");
    EXPECT_EQ(added, 5u);
    EXPECT_EQ(plan.shape(), "Existing/0 Build/0 Walls/1 Roof/1 Paint/0 Doors/1");
    EXPECT_FLOAT_EQ(plan.named("Roof")->hours(), 24.0f);
}

TEST_F(TextImportTest, DurationsAndPercentages) {
    importer.importFromText("G\tZero\t\t0\n"
                            "G\tText\t\tabc\n"
                            "G\tHalf\t\t1.5\n"
                            "G\tOver\t\t1\t150\n"
                            "G\tUnder\t\t1\t-3\n"
                            "G\tExact\t\t1\n"
                            "\t\t\t1\t40\n");
    EXPECT_FLOAT_EQ(plan.named("Zero")->hours(), 2.0f);
    EXPECT_FLOAT_EQ(plan.named("Text")->hours(), 2.0f);
    EXPECT_FLOAT_EQ(plan.named("Half")->hours(), 12.0f);
    EXPECT_FLOAT_EQ(plan.named("Over")->percComp(), 100.0f);
    EXPECT_FLOAT_EQ(plan.named("Under")->percComp(), 0.0f);
    EXPECT_FLOAT_EQ(plan.named("Exact")->percComp(), 0.0f);
    // Empty group and task fields both read "No Name".
    EXPECT_EQ(plan.shape(), "G/0 Zero/1 Text/1 Half/1 Over/1 Under/1 Exact/1 No Name/0 No Name/1");
    EXPECT_FLOAT_EQ(plan.helper.getTaskForNumber(9)->percComp(), 40.0f);
}

TEST_F(TextImportTest, ShortLinesAddNothingAndCarriageReturnsStayInTheLastField) {
    importer.importFromText("G\tA\tx\t1\r\n"
                            "G\tshort\n"
                            "\n"
                            "G\tB\tx\t2\tdone\r\n");
    // No "No Name" group for the empty lines, no task for the short one.
    EXPECT_EQ(plan.shape(), "G/0 A/1 B/1");
    EXPECT_FLOAT_EQ(plan.named("A")->hours(), 8.0f);
    EXPECT_FLOAT_EQ(plan.named("B")->percComp(), 0.0f);
}

TEST_F(TextImportTest, FilesThatAreNoUtf8OrCannotBeReadAddNothing) {
    EXPECT_EQ(importer.importFromText("G\t\xff\xfe\tx\t1\n"), 0u);
    EXPECT_EQ(importer.importFromFile("/nonexistent/tasks.txt"), 0u);
    EXPECT_EQ(plan.store.count(Entity::ATask), 0u);
    testing::TempFolder folder;
    testing::TempFolder::write(folder / "tasks.txt", "Gruppe\tÄnderung\tx\t1\n");
    testing::NotificationRecorder recorder(kProjectChanged);
    EXPECT_EQ(importer.importFromFile(folder / "tasks.txt"), 2u);
    EXPECT_NE(plan.named("Änderung"), nullptr);
    EXPECT_FALSE(recorder.senders.empty());
}

} // namespace
} // namespace mapolt
