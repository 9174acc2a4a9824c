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
    EXPECT_EQ(importer.problem(), "invalid UTF-8 at line 1: a byte that starts no character");
    EXPECT_EQ(importer.importFromFile("/nonexistent/tasks.txt"), 0u);
    EXPECT_EQ(importer.problem(),
              "Could not import \"/nonexistent/tasks.txt\": No such file or directory");
    EXPECT_EQ(plan.store.count(Entity::ATask), 0u);
    testing::TempFolder folder;
    testing::TempFolder::write(folder / "tasks.txt", "Gruppe\tÄnderung\tx\t1\n");
    testing::NotificationRecorder recorder(kProjectChanged);
    EXPECT_EQ(importer.importFromFile(folder / "tasks.txt"), 2u);
    EXPECT_NE(plan.named("Änderung"), nullptr);
    EXPECT_FALSE(recorder.senders.empty());
}

TEST_F(TextImportTest, EveryKindOfMalformedUtf8IsRefusedWithItsLine) {
    for (const std::string bad :
         {"\xED\xA0\x80", "\xED\xBF\xBF", "\xC0\xAF", "\xE0\x80\xAF", "\xF5\x80\x80\x80", "\xF6",
          "\xF7\xBF\xBF\xBF", "\xF4\x90\x80\x80"}) {
        EXPECT_EQ(importer.importFromText("G\tA\tx\t1\nG\t" + bad + "\tx\t1\n"), 0u);
        EXPECT_EQ(importer.problem().rfind("invalid UTF-8 at line 2: ", 0), 0u)
            << importer.problem();
    }
    EXPECT_EQ(plan.store.count(Entity::ATask), 0u);
}

TEST_F(TextImportTest, DurationOutOfRangeIsRefused) {
    EXPECT_EQ(importer.importFromText("G\tA\tx\t1\nG\tB\tx\t1e30\n"), 0u);
    EXPECT_EQ(importer.problem(), "the duration at line 2 is out of range");
    EXPECT_EQ(importer.importFromText("G\tA\tx\t-1e7\n"), 0u);
    EXPECT_EQ(plan.store.count(Entity::ATask), 0u);
    EXPECT_EQ(importer.importFromText("G\tA\tx\t1e6\n"), 2u);
    EXPECT_TRUE(importer.problem().empty());
}

TEST_F(TextImportTest, FolderOrPipeIsRefusedWithTheReason) {
    testing::TempFolder folder;
    EXPECT_EQ(importer.importFromFile(folder.path()), 0u);
    EXPECT_EQ(importer.problem(),
              "Could not import \"" + folder.path().string() + "\": it is a folder, not a file");
}

TEST_F(TextImportTest, ManyLinesKeepTheirOrderAndRowsAreNumberedOnce) {
    plan.task("Existing");
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "G" + std::to_string(i % 3) + "\tT" + std::to_string(i) + "\tx\t1\n";
    EXPECT_EQ(importer.importFromText(text), 303u);
    const std::vector<ATask*> rows = plan.helper.outlineOrder();
    ASSERT_EQ(rows.size(), 304u);
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i]->viewOrder(), static_cast<int>(i));
    EXPECT_EQ(rows[1]->name(), "G0");
    EXPECT_EQ(rows[2]->name(), "T0");
    EXPECT_EQ(rows[3]->name(), "T3");
    EXPECT_EQ(rows[101]->name(), "T297");
    EXPECT_EQ(rows[102]->name(), "G1");
    // One undo step takes the whole import back.
    plan.store.flushPendingChanges();
    plan.store.undoManager().undo();
    EXPECT_EQ(plan.shape(), "Existing/0");
}

} // namespace
} // namespace mapolt
