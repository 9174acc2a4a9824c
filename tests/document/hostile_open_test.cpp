#include "document/kestil_planner_document.h"
#include "document/project_xml_file.h"
#include "interchange/text_file_importer.h"
#include "interchange/utf8_text.h"
#include "model/entities.h"
#include "model/preferences.h"
#include "support/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace mapolt {
namespace {

using ::testing::HasSubstr;
using Folder = testing::TempFolder;

// Names that are valid text but hard on a writer: controls, quotes, escapes, a NUL, the
// highest code points, a right-to-left mark, a long line.
std::vector<std::string> hostileNames() {
    return {"quote \" backslash \\ slash /", std::string("nul\0inside", 10),
            "\x01\x02\x1F\x7F controls",     "\xEF\xBF\xBF \xF4\x8F\xBF\xBF \xEF\xBB\xBF bom",
            "\xE2\x80\x8F rtl \xE2\x80\xAE", "&lt;<b>&amp;</b>",
            std::string(5000, 'w')};
}

struct HostileOpenTest : ::testing::Test {
    MemoryPreferences preferences;
    Folder folder;
    std::filesystem::path file = folder / "plan.json";
    PlanReadResult read;

    std::unique_ptr<KestilPlannerDocument> open(const std::filesystem::path& path) {
        read = {};
        return KestilPlannerDocument::initWithContentsOfURL(path, preferences, read);
    }
    std::unique_ptr<KestilPlannerDocument> saveAndReopen(KestilPlannerDocument& doc) {
        std::string error;
        EXPECT_TRUE(doc.writeToURL(file, error)) << error;
        return open(file);
    }
    static std::vector<std::string> names(KestilPlannerDocument& doc) {
        std::vector<std::string> out;
        for (const ATask* t : doc.taskHelper().outlineOrder())
            out.push_back(t->name.optional().value_or(""));
        return out;
    }
    std::string plan(const std::string& tasks) {
        return R"({"Project":[{"UUID":"p","atttributes":{"startDate":"Mar 2, 2026"}}],"ATask":[)" +
               tasks + "]}";
    }
};

TEST_F(HostileOpenTest, TextImportOfHostileNamesWritesAPlanThatReopens) {
    KestilPlannerDocument doc(preferences);
    std::string text;
    for (const std::string& name : hostileNames())
        if (name.find('\t') == std::string::npos && name.find('\n') == std::string::npos)
            text += "Group\t" + name + "\tx\t1\n";
    TextFileImporter importer(doc.taskHelper());
    ASSERT_GT(importer.importFromText(text), 0u) << importer.problem();
    auto reopened = saveAndReopen(doc);
    ASSERT_NE(reopened, nullptr) << read.message;
    EXPECT_EQ(names(*reopened), names(doc));
}

TEST_F(HostileOpenTest, XmlImportOfHostileNamesWritesAPlanThatReopens) {
    std::string xml = "<Project><StartDate>2026-03-02</StartDate><Tasks>";
    int uid = 1;
    for (const std::string& name : {std::string("quote \" and \\"), std::string("\xEF\xBF\xBD"),
                                    std::string("a&amp;b&#x1F600;"), std::string(5000, 'w')})
        xml += "<Task><UID>" + std::to_string(uid++) + "</UID><Name>" + name +
               "</Name><Start>2026-03-02T08:00:00</Start><Duration>PT8H0M0S</Duration>"
               "<OutlineLevel>1</OutlineLevel></Task>";
    xml += "</Tasks></Project>";
    Folder::write(folder / "in.xml", xml);
    ProjectXmlImport imported = importProjectXml(folder / "in.xml", preferences);
    ASSERT_TRUE(imported.ok) << imported.error;
    auto reopened = saveAndReopen(*imported.document);
    ASSERT_NE(reopened, nullptr) << read.message;
    const std::vector<std::string> got = names(*reopened);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[2], "a&b\xF0\x9F\x98\x80");
}

TEST_F(HostileOpenTest, XmlImportRefusesInvalidBytesAndEntitiesWithTheFileName) {
    Folder::write(folder / "bad.xml", "<Project><Name>\xC0\xAF</Name></Project>");
    ProjectXmlImport bad = importProjectXml(folder / "bad.xml", preferences);
    EXPECT_FALSE(bad.ok);
    EXPECT_THAT(bad.error, HasSubstr("bad.xml"));
    EXPECT_THAT(bad.error, HasSubstr("invalid UTF-8 at line 1: an overlong form"));
    ProjectXmlImport folderImport = importProjectXml(folder.path(), preferences);
    EXPECT_FALSE(folderImport.ok);
    EXPECT_THAT(folderImport.error, HasSubstr("it is a folder, not a file"));
}

TEST_F(HostileOpenTest, InvalidUtf8SetInMemoryIsSavedAsReplacementCharacters) {
    KestilPlannerDocument doc(preferences);
    ATask* t = doc.taskHelper().addEndTask(0);
    t->setName(std::string("bad \xED\xA0\x80 and \xFF"));
    auto reopened = saveAndReopen(doc);
    ASSERT_NE(reopened, nullptr) << read.message;
    EXPECT_EQ(names(*reopened), std::vector<std::string>{
                                    "bad \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD and \xEF\xBF\xBD"});
}

TEST_F(HostileOpenTest, PlanWithInvalidUtf8IsRefusedWithItsLine) {
    Folder::write(file, plan("\n{\"UUID\":\"a\",\"atttributes\":{\"name\":\"\xF5\"}}"));
    EXPECT_EQ(open(file), nullptr);
    ASSERT_TRUE(read.codecError);
    EXPECT_EQ(read.codecError->chain().back()->message(), "Broken unicode character");
    EXPECT_THAT(read.message, HasSubstr(", line 2)"));
}

TEST_F(HostileOpenTest, PlanFollowedByNulAndGarbageIsRefused) {
    const std::string good = plan(R"({"UUID":"a","atttributes":{"name":"A"}})");
    Folder::write(file, good + std::string(1, '\0') + "garbage");
    EXPECT_EQ(open(file), nullptr);
    EXPECT_THAT(read.message, HasSubstr("Garbage after JSON"));
    Folder::write(file, good + std::string(3, '\0'));
    EXPECT_NE(open(file), nullptr) << read.message;
}

// A plan of several megabytes is read a piece at a time: every record whole, and a fault
// far in named by its own line and byte.
TEST_F(HostileOpenTest, PlanOfManyPiecesOpensWholeAndAFaultFarInGivesItsLine) {
    const auto nameOf = [](int i) {
        return "Task " + std::to_string(i) + " caf\xC3\xA9 " + std::string(1000 + i % 7, 'n');
    };
    std::string tasks;
    for (int i = 0; i < 2500; ++i)
        tasks += std::string(i == 0 ? "" : ",\n") + R"({"UUID":"t)" + std::to_string(i) +
                 R"(","atttributes":{"name":")" + nameOf(i) + R"(\u0021","viewOrder":)" +
                 std::to_string(i) + R"(},"relations":{"project":"p"}})";
    const std::string text = plan(tasks);
    ASSERT_GT(text.size(), std::size_t{2} << 20);
    Folder::write(file, text);
    auto doc = open(file);
    ASSERT_NE(doc, nullptr) << read.message;
    const std::vector<std::string> got = names(*doc);
    ASSERT_EQ(got.size(), 2500u);
    for (int i = 0; i < 2500; i += 499)
        EXPECT_EQ(got[static_cast<std::size_t>(i)], nameOf(i) + "!");

    std::string damaged = text;
    const std::size_t at = damaged.find("Task 2400 ") + 5;
    damaged[at] = '\x01';
    Folder::write(file, damaged);
    EXPECT_EQ(open(file), nullptr);
    ASSERT_TRUE(read.codecError);
    EXPECT_EQ(read.codecError->offset(), at);
    EXPECT_THAT(read.message, HasSubstr(", line 2401)"));
}

TEST_F(HostileOpenTest, PlanThatIsAPipeOrAFolderIsRefusedAtOnce) {
    const std::filesystem::path pipe = folder / "pipe.json";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(open(pipe), nullptr);
    EXPECT_THAT(read.message, HasSubstr("it is a pipe, not a file"));
    EXPECT_EQ(open(folder.path()), nullptr);
    EXPECT_THAT(read.message, HasSubstr("it is a folder, not a file"));
    EXPECT_EQ(open("/dev/zero"), nullptr);
    EXPECT_THAT(read.message, HasSubstr("it is a device, not a file"));
}

TEST_F(HostileOpenTest, NumberOutOfRangeIsRefusedByAttribute) {
    Folder::write(file, plan(R"({"UUID":"a","atttributes":{"name":"A","viewOrder":1e308}})"));
    EXPECT_EQ(open(file), nullptr);
    EXPECT_THAT(read.message, HasSubstr("plan.json"));
    EXPECT_THAT(read.message, HasSubstr("\"viewOrder\" of ATask"));
}

TEST_F(HostileOpenTest, OutlineLoopsAreRepairedOnOpeningAndNothingLoopsAfterwards) {
    // A is its own parent; B and C are each other's; D's chain runs back to itself.
    Folder::write(file, plan(R"(
        {"UUID":"a","atttributes":{"name":"A","viewOrder":0,"hours":8},"relations":{"superTask":"a"}},
        {"UUID":"b","atttributes":{"name":"B","viewOrder":1,"hours":8},"relations":{"superTask":"c"}},
        {"UUID":"c","atttributes":{"name":"C","viewOrder":2,"hours":8},"relations":{"superTask":"b"}},
        {"UUID":"d","atttributes":{"name":"D","viewOrder":3,"hours":8},"relations":{"nextSibling":"e"}},
        {"UUID":"e","atttributes":{"name":"E","viewOrder":4,"hours":8},"relations":{"nextSibling":"d"}})"));
    auto doc = open(file);
    ASSERT_NE(doc, nullptr) << read.message;
    EXPECT_GE(read.repairs.size(), 3u);
    std::string all;
    for (const std::string& r : read.repairs)
        all += r + "\n";
    EXPECT_THAT(all, HasSubstr("\"A\" inside itself"));
    EXPECT_THAT(all, HasSubstr("top-level tasks"));
    EXPECT_EQ(doc->taskHelper().outlineOrder().size(), 5u);
    doc->taskHelper().reIndexProject();
    doc->recalcProject();
    for (const ATask* t : doc->taskHelper().outlineOrder())
        EXPECT_LT(TaskHelper::depthOf(t), 2);
    auto reopened = saveAndReopen(*doc);
    ASSERT_NE(reopened, nullptr) << read.message;
    EXPECT_TRUE(read.repairs.empty());
    EXPECT_EQ(names(*reopened), names(*doc));
}

TEST_F(HostileOpenTest, RelationToARecordOfTheWrongEntityIsDropped) {
    Folder::write(file, plan(R"({"UUID":"a","atttributes":{"name":"A"},"relations":{"superTask":"p",
        "subTasks":["p"],"nextSibling":"p"}})"));
    auto doc = open(file);
    ASSERT_NE(doc, nullptr) << read.message;
    const std::vector<ATask*> rows = doc->taskHelper().outlineOrder();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]->superTask(), nullptr);
    EXPECT_TRUE(rows[0]->subTasks.empty());
    EXPECT_EQ(rows[0]->nextSibling(), nullptr);
}

TEST_F(HostileOpenTest, PlanOfAbsurdWorkOnWorkingCalendarsSchedulesWithoutWalkingACentury) {
    // What the plan-graph fuzzer found: every task needs float-maximum hours of a resource
    // whose calendar works.
    constexpr int kTasks = 24;
    std::string tasks;
    std::string assignments;
    for (int i = 0; i < kTasks; ++i) {
        const std::string id = std::to_string(i);
        tasks += std::string(i == 0 ? "" : ",") + R"({"UUID":"t)" + id +
                 R"(","atttributes":{"name":"T)" + id + R"(","hours":3.4e38,"viewOrder":)" + id +
                 R"(,"invalid":true,"adjustElapsed":true}})";
        assignments += std::string(i == 0 ? "" : ",") + R"({"UUID":"a)" + id +
                       R"(","atttributes":{"perc":100},"relations":{"task":"t)" + id +
                       R"(","resource":"r"}})";
    }
    std::string text = plan(tasks);
    text.pop_back();
    std::string weeks;
    for (int d = 0; d < 7; ++d)
        weeks += std::string(d == 0 ? "" : ",") + R"({"UUID":"w)" + std::to_string(d) +
                 R"(","atttributes":{"viewOrder":)" + std::to_string(d) + R"(,"hours":)" +
                 (d == 0 || d == 6 ? "0" : "8") + R"(},"relations":{"cal":"c"}})";
    text += R"(,"Calandar":[{"UUID":"c","relations":{"resource":"r"}}],"Week":[)" + weeks +
            R"(],"Resource":[{"UUID":"r","atttributes":{"name":"R"}}],"ATaskResource":[)" +
            assignments + "]}";
    Folder::write(file, text);
    auto doc = open(file);
    ASSERT_NE(doc, nullptr) << read.message;
    doc->recalcProject();
    EXPECT_EQ(doc->taskLengthCalc().unfinishableTasks().size(), static_cast<std::size_t>(kTasks));
    for (const ATask* t : doc->taskHelper().outlineOrder()) {
        EXPECT_TRUE(doc->taskLengthCalc().workBeyondReach(t));
        EXPECT_FLOAT_EQ(t->elapsedTime(), static_cast<float>(TaskLengthCalc::kMaxWalkDays));
    }
    EXPECT_TRUE(doc->store().fetch<AResourceUsage>({}, {}).empty());
    auto reopened = saveAndReopen(*doc);
    ASSERT_NE(reopened, nullptr) << read.message;
}

TEST_F(HostileOpenTest, DeepOutlineOpensSchedulesAndSavesWithoutRecursion) {
    constexpr int kLevels = 10'000;
    std::string tasks;
    for (int i = 0; i < kLevels; ++i) {
        tasks += std::string(i == 0 ? "" : ",") + "{\"UUID\":\"" + std::to_string(i) +
                 "\",\"atttributes\":{\"name\":\"L" + std::to_string(i) +
                 "\",\"hours\":8,\"invalid\":true,\"viewOrder\":" + std::to_string(i) + "}";
        if (i > 0)
            tasks += ",\"relations\":{\"superTask\":\"" + std::to_string(i - 1) + "\"}";
        tasks += "}";
    }
    Folder::write(file, plan(tasks));
    auto doc = open(file);
    ASSERT_NE(doc, nullptr) << read.message;
    EXPECT_TRUE(read.repairs.empty());
    doc->recalcProject();
    const std::vector<ATask*> rows = doc->taskHelper().outlineOrder();
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kLevels));
    EXPECT_EQ(TaskHelper::depthOf(rows.back()), kLevels - 1);
    EXPECT_FLOAT_EQ(rows.front()->hours(), 8.0f);
    auto reopened = saveAndReopen(*doc);
    ASSERT_NE(reopened, nullptr) << read.message;
    EXPECT_EQ(reopened->taskHelper().outlineOrder().size(), static_cast<std::size_t>(kLevels));
}

} // namespace
} // namespace mapolt
