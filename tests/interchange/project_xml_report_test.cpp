#include "document/kestil_planner_document.h"
#include "document/project_xml_file.h"
#include "interchange/import_report.h"
#include "support/temp_folder.h"
#include "support/xml_import.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace mapolt {
namespace {

using ::testing::ElementsAre;

// What an import of a real file tells the user it dropped, changed or repaired.
struct ProjectXmlReportTest : ::testing::Test {
    testing::XmlImport x;
};

TEST_F(ProjectXmlReportTest, LinkKindsAndLagsThatWereNotTakenOver) {
    ASSERT_TRUE(x.file("msp2003-task-links.xml")) << x.error;
    EXPECT_THAT(x.warnings(),
                ElementsAre("3 start-to-start, finish-to-finish or start-to-finish links were made "
                            "finish-to-start.",
                            "7 link lags were not taken over."));
    EXPECT_EQ(x.plan.store.count(Entity::DepLink), 8u);
}

TEST_F(ProjectXmlReportTest, TheUnassignedPlaceholderIsNoPersonAndNoLoss) {
    ASSERT_TRUE(x.file("gp-holidays.xml")) << x.error;
    EXPECT_EQ(x.plan.store.count(Entity::Resource), 0u);
    EXPECT_THAT(x.warnings(), ElementsAre());
}

TEST_F(ProjectXmlReportTest, BlankRowsAreSkippedAndSaid) {
    ASSERT_TRUE(x.file("msp-null-tasks.xml")) << x.error;
    EXPECT_EQ(x.plan.store.count(Entity::ATask), 5u);
    EXPECT_THAT(x.warnings(), ElementsAre("3 blank task rows were skipped."));
}

TEST_F(ProjectXmlReportTest, WellKeptFilesSayNothing) {
    for (const char* name : {"msp2007-assignments.xml", "ta-one-sided-links.xml", "tj-tutorial.xml",
                             "aspose-calendar.xml", "msp-timephased.xml"}) {
        testing::XmlImport file;
        ASSERT_TRUE(file.file(name)) << file.error;
        EXPECT_THAT(file.warnings(), ElementsAre()) << name;
    }
}

TEST_F(ProjectXmlReportTest, ACutFileIsDamagedAndSaysHowFarItWasRead) {
    const std::string whole =
        testing::TempFolder::read(testing::kMspdiFolder / "msp2013-baselines.xml");
    const std::string cut = whole.substr(0, whole.size() / 2);
    testing::TempFolder folder;
    testing::TempFolder::write(folder / "cut.xml", cut);
    MemoryPreferences preferences;
    const ProjectXmlImport result = importProjectXml(folder / "cut.xml", preferences);
    ASSERT_TRUE(result.ok) << result.error;
    const auto lines = static_cast<std::size_t>(std::count(cut.begin(), cut.end(), '\n')) + 1;
    ASSERT_FALSE(result.warnings.empty());
    EXPECT_EQ(result.warnings.front(), "cut.xml is damaged; read " +
                                           std::to_string(result.counts.tasks) +
                                           " tasks up to line " + groupedNumber(lines) + ".");
    EXPECT_GT(result.counts.tasks, 10u);
    EXPECT_LT(result.counts.tasks, 111u);
}

TEST(ImportReportTest, CountsReadAsSentences) {
    ImportReport report;
    EXPECT_TRUE(report.messages().empty());
    report.count(ImportReport::Item::LagNotTaken);
    report.count(ImportReport::Item::TaskWithoutUID, 1200);
    report.note("First.");
    EXPECT_THAT(report.messages(),
                ElementsAre("First.", "1,200 tasks were skipped: they have no UID.",
                            "1 link lag was not taken over."));
    report.clear();
    EXPECT_TRUE(report.messages().empty());
    EXPECT_EQ(groupedNumber(0), "0");
    EXPECT_EQ(groupedNumber(999), "999");
    EXPECT_EQ(groupedNumber(4210), "4,210");
    EXPECT_EQ(groupedNumber(1234567), "1,234,567");
}

} // namespace
} // namespace mapolt
