#include "appearance/colour_slots.h"
#include "appearance/preset_styles.h"
#include "document/atomic_file_writer.h"
#include "document/kestil_planner_document.h"
#include "document/project_xml_file.h"
#include "model/entities.h"
#include "model/preferences.h"
#include "support/notification_recorder.h"
#include "support/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace mapolt {
namespace {

using ::testing::HasSubstr;
using Folder = testing::TempFolder;

struct OpenSaveTest : ::testing::Test {
    MemoryPreferences preferences;
    Folder folder;
    std::filesystem::path file = folder / "plan.json";
    std::string error;

    ATask* addTask(KestilPlannerDocument& doc, const std::string& name, float hours, float perc) {
        ATask* t = doc.taskHelper().addEndTask(0);
        t->setName(name);
        t->set(&ATask::hours, hours);
        t->set(&ATask::percComp, perc);
        return t;
    }
    std::unique_ptr<KestilPlannerDocument> open(const std::filesystem::path& path) {
        PlanReadResult result;
        auto doc = KestilPlannerDocument::initWithContentsOfURL(path, preferences, result);
        error = result.message;
        return doc;
    }
    std::unique_ptr<KestilPlannerDocument> saveAndReopen(KestilPlannerDocument& doc) {
        EXPECT_TRUE(doc.writeToURL(file, error)) << error;
        return open(file);
    }
};

TEST_F(OpenSaveTest, SavedPlanOpensWithItsTasksProjectAndStyle) {
    KestilPlannerDocument doc(preferences);
    doc.project()->set(&Project::showDivider, false);
    addTask(doc, "Walls", 24.0f, 40.0f);
    addTask(doc, "Roof", 12.5f, 100.0f);
    doc.style()->colours()->task()->set(&Colour::green, 0.25f);
    auto reopened = saveAndReopen(doc);
    ASSERT_NE(reopened, nullptr) << error;
    EXPECT_EQ(reopened->project()->startDate(), doc.project()->startDate());
    EXPECT_FALSE(reopened->showingTable());
    const std::vector<ATask*> rows = reopened->taskHelper().outlineOrder();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1]->name(), "Roof");
    EXPECT_FLOAT_EQ(rows[1]->hours(), 12.5f);
    EXPECT_FLOAT_EQ(rows[0]->percComp(), 40.0f);
    EXPECT_FLOAT_EQ(reopened->styleObject()->colours()->task()->green(), 0.25f);
    EXPECT_FALSE(reopened->store().undoManager().canUndo());
    EXPECT_EQ(reopened->dataOfType(), doc.dataOfType());
}

TEST_F(OpenSaveTest, OpeningRemovesOrphanAssignmentsAndUsage) {
    KestilPlannerDocument doc(preferences);
    ATask* task = addTask(doc, "Paint", 8.0f, 0.0f);
    Store& s = doc.store();
    auto* resource = s.insert<Resource>();
    auto* kept = s.insert<ATaskResource>();
    kept->set(&ATaskResource::task, task);
    kept->set(&ATaskResource::resource, resource);
    auto* usage = s.insert<AResourceUsage>();
    usage->set(&AResourceUsage::taskResource, kept);
    usage->set(&AResourceUsage::resource, resource);
    s.insert<ATaskResource>()->set(&ATaskResource::task, task);
    s.insert<ATaskResource>()->set(&ATaskResource::resource, resource);
    s.insert<AResourceUsage>()->set(&AResourceUsage::resource, resource);
    s.insert<AResourceUsage>()->set(&AResourceUsage::taskResource, kept);
    auto reopened = saveAndReopen(doc);
    ASSERT_NE(reopened, nullptr) << error;
    const auto assignments = reopened->store().fetch<ATaskResource>();
    ASSERT_EQ(assignments.size(), 1u);
    EXPECT_EQ(assignments[0]->task()->name(), "Paint");
    const auto usages = reopened->store().fetch<AResourceUsage>();
    ASSERT_EQ(usages.size(), 1u);
    EXPECT_EQ(usages[0]->taskResource(), assignments[0]);
}

// Another program may write links this one refuses: opening keeps the plan but not the
// links that close a loop, says which, and leaves the file as it was until a save.
TEST_F(OpenSaveTest, OpeningRemovesLinksThatCloseALoopAndSaysWhich) {
    KestilPlannerDocument doc(preferences);
    ATask* a = addTask(doc, "A", 8.0f, 0.0f);
    ATask* b = addTask(doc, "B", 8.0f, 0.0f);
    ATask* c = addTask(doc, "C", 8.0f, 0.0f);
    ATask* u = addTask(doc, "U", 8.0f, 0.0f);
    ATask* g = addTask(doc, "G", 8.0f, 0.0f);
    u->set(&ATask::superTask, g);
    const auto link = [&doc](ATask* from, ATask* to) {
        auto* l = doc.store().insert<DepLink>();
        l->set(&DepLink::dependeeTask, to);
        l->set(&DepLink::dependTask, from);
    };
    link(a, b);
    link(b, c);
    link(c, a);
    link(u, g);
    ASSERT_TRUE(doc.writeToURL(file, error)) << error;
    const std::string written = Folder::read(file);

    auto reopened = open(file);
    ASSERT_NE(reopened, nullptr) << error;
    // The subtask was attached without its sibling chain, which opening repairs as well.
    EXPECT_THAT(
        reopened->openWarnings(),
        ::testing::IsSupersetOf({"Removed the link from \"C\" to \"A\": it closed a loop",
                                 "Removed the link from \"U\" to \"G\": it closed a loop"}));
    EXPECT_EQ(reopened->store().count(Entity::DepLink), 2u);
    EXPECT_FALSE(reopened->store().undoManager().canUndo());
    EXPECT_TRUE(reopened->isDocumentEdited()) << "the plan differs from its file until saved";
    EXPECT_EQ(Folder::read(file), written);

    const auto dates = [&reopened] {
        std::vector<float> d;
        for (const char* name : {"A", "B", "C", "U", "G"})
            for (const ATask* t : reopened->store().fetch<ATask>())
                if (t->name() == name)
                    d.insert(d.end(), {t->daysFromStart(), t->elapsedTime()});
        return d;
    };
    reopened->recalcProject();
    EXPECT_EQ(dates(), (std::vector<float>{0, 1, 1, 1, 2, 1, 0, 1, 0, 1}));
    reopened->recalcProject();
    EXPECT_EQ(dates(), (std::vector<float>{0, 1, 1, 1, 2, 1, 0, 1, 0, 1}))
        << "the plan settles in one recalculation";
    EXPECT_TRUE(KestilPlannerDocument(preferences).openWarnings().empty());
    ASSERT_TRUE(reopened->writeToURL(file, error)) << error;
    reopened->noteSaved();
    EXPECT_FALSE(reopened->isDocumentEdited());
    auto saved = open(file);
    ASSERT_NE(saved, nullptr) << error;
    EXPECT_TRUE(saved->openWarnings().empty());
    EXPECT_FALSE(saved->isDocumentEdited());
}

// A summary leading to a task that leads back into the summary: placing the subtask rolls
// the summary up, which places the task, which places the subtask again.
TEST_F(OpenSaveTest, ProjectXmlImportRemovesLinksThatCloseALoopAndSaysWhich) {
    const auto task = [](int uid, const std::string& name, int level, int predecessor) {
        std::string t = "<Task><UID>" + std::to_string(uid) + "</UID><Name>" + name +
                        "</Name><Start>2026-03-02T08:00:00</Start><Duration>PT8H0M0S</Duration>"
                        "<OutlineLevel>" +
                        std::to_string(level) + "</OutlineLevel>";
        if (predecessor > 0)
            t += "<PredecessorLink><PredecessorUID>" + std::to_string(predecessor) +
                 "</PredecessorUID></PredecessorLink>";
        return t + "</Task>";
    };
    const std::filesystem::path xml = folder / "loop.xml";
    Folder::write(xml, "<?xml version=\"1.0\"?>\n"
                       "<Project xmlns=\"http://schemas.microsoft.com/project\">"
                       "<StartDate>2026-03-02T08:00:00</StartDate><Tasks>" +
                           task(1, "G", 1, 0) + task(2, "U", 2, 3) + task(3, "X", 1, 1) +
                           "</Tasks></Project>");
    const ProjectXmlImport imported = importProjectXml(xml, preferences);
    ASSERT_TRUE(imported.ok) << imported.error;
    EXPECT_THAT(imported.warnings,
                ::testing::ElementsAre("Removed the link from \"G\" to \"X\": it closed a loop"));
    EXPECT_EQ(imported.document->store().count(Entity::DepLink), 1u);
}

TEST_F(OpenSaveTest, FileThatIsNoReadablePlanIsRefusedAndLeftAsItWas) {
    const std::string broken = "{\"ATask\": [{\"UUID\": \"0\"},]}";
    Folder::write(file, broken);
    PlanReadResult result;
    EXPECT_EQ(KestilPlannerDocument::initWithContentsOfURL(file, preferences, result), nullptr);
    ASSERT_TRUE(result.codecError.has_value());
    EXPECT_THAT(result.message, HasSubstr(file.string()));
    EXPECT_THAT(result.message, HasSubstr(result.codecError->message() + " at byte " +
                                          std::to_string(result.codecError->offset())));
    EXPECT_EQ(result.codecError->chain().back()->message(), "Trailing comma disallowed in array");
    EXPECT_EQ(Folder::read(file), broken);
    EXPECT_EQ(folder.entries(), std::set<std::string>{"plan.json"});

    EXPECT_EQ(open(folder / "absent.json"), nullptr);
    EXPECT_THAT(error, HasSubstr("absent.json\": No such file or directory"));
    const auto style = presetPath(presetStyles()[0]);
    EXPECT_EQ(open(style), nullptr) << "a style file holds no project";
    EXPECT_THAT(error, HasSubstr(style.string()));
}

TEST_F(OpenSaveTest, InterruptedSaveKeepsThePreviousPlan) {
    KestilPlannerDocument doc(preferences);
    addTask(doc, "Version one", 8.0f, 0.0f);
    ASSERT_TRUE(doc.writeToURL(file, error)) << error;
    addTask(doc, "Version two", 8.0f, 0.0f);
    EXPECT_FALSE(writeFileAtomically(file, doc.dataOfType(), error, [] { return false; }));
    auto reopened = open(file);
    ASSERT_NE(reopened, nullptr) << error;
    EXPECT_EQ(reopened->store().count(Entity::ATask), 1u);
}

TEST_F(OpenSaveTest, StyleFileMovesBetweenDocumentsAndTouchesNothingElse) {
    KestilPlannerDocument from(preferences);
    ASSERT_TRUE(applyPresetStyle(*from.project(), *presetNamed("Autumn")));
    const auto styleFile = folder / "mine.zqstyle";
    ASSERT_TRUE(from.exportStyle(styleFile, error)) << error;

    KestilPlannerDocument to(preferences);
    to.project()->set(&Project::name, std::string("Garden"));
    ATask* t = addTask(to, "Dig", 6.0f, 50.0f);
    auto* r = to.store().insert<Resource>();
    r->setName(std::string("Bo"));
    const Style* old = to.styleObject();
    testing::NotificationRecorder posts(kProjectChanged);
    EXPECT_FALSE(to.importStyle(file));
    EXPECT_EQ(to.styleObject(), old);
    ASSERT_TRUE(to.importStyle(styleFile));
    EXPECT_EQ(posts.countFrom(&to), 2u) << "posted whether or not the import worked";
    EXPECT_EQ(to.store().count(Entity::Style), 1u);
    EXPECT_EQ(rgbaOf(*to.styleObject()->colours()->task()),
              rgbaOf(*from.styleObject()->colours()->task()));
    EXPECT_EQ(to.project()->name(), "Garden");
    EXPECT_FLOAT_EQ(t->percComp(), 50.0f);
    EXPECT_EQ(to.store().fetch<ATask>(), std::vector<ATask*>{t});
    EXPECT_EQ(to.store().fetch<Resource>(), std::vector<Resource*>{r});
    EXPECT_EQ(r->name(), "Bo");
}

} // namespace
} // namespace mapolt
