#include "appearance/apperance_tv_controller.h"
#include "appearance/colour_slots.h"
#include "appearance/preset_styles.h"
#include "document/atomic_file_writer.h"
#include "document/kestil_planner_document.h"
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

struct PlanFileTest : ::testing::Test {
    MemoryPreferences preferences;
    Folder folder;
    std::filesystem::path file = folder / "plan.json";
    std::string error;

    ATask* addTask(KestilPlannerDocument& doc, const std::string& name, float hours,
                   float percComp) {
        ATask* t = doc.taskHelper().addEndTask(0);
        t->setName(name);
        t->set(&ATask::hours, hours);
        t->set(&ATask::percComp, percComp);
        return t;
    }
    std::unique_ptr<KestilPlannerDocument> open(const std::filesystem::path& path) {
        PlanReadResult result;
        auto doc = KestilPlannerDocument::initWithContentsOfURL(path, preferences, result);
        EXPECT_EQ(doc != nullptr, result.ok);
        if (!result)
            error = result.message;
        return doc;
    }
    std::unique_ptr<KestilPlannerDocument> saveAndReopen(KestilPlannerDocument& doc) {
        EXPECT_TRUE(doc.writeToURL(file, error)) << error;
        return open(file);
    }
};

TEST_F(PlanFileTest, SavedPlanOpensWithItsTasksProjectAndStyle) {
    KestilPlannerDocument doc(preferences);
    doc.project()->set(&Project::name, std::string("House"));
    doc.project()->set(&Project::showDivider, false);
    addTask(doc, "Walls", 24.0f, 40.0f);
    addTask(doc, "Roof", 12.5f, 100.0f);
    doc.taskHelper().reIndexProject();
    ApperanceTVController panel;
    panel.setProject(doc.project());
    panel.setTaskColour({0.2f, 0.4f, 0.6f, 1.0f});

    auto reopened = saveAndReopen(doc);
    ASSERT_NE(reopened, nullptr) << error;
    Project* p = reopened->project();
    EXPECT_EQ(p->name(), "House");
    EXPECT_EQ(p->startDate(), doc.project()->startDate());
    EXPECT_FALSE(reopened->showingTable());
    const std::vector<ATask*> rows = reopened->taskHelper().outlineOrder();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]->name(), "Walls");
    EXPECT_FLOAT_EQ(rows[0]->hours(), 24.0f);
    EXPECT_FLOAT_EQ(rows[0]->percComp(), 40.0f);
    EXPECT_FLOAT_EQ(rows[1]->hours(), 12.5f);
    EXPECT_FLOAT_EQ(rows[1]->percComp(), 100.0f);
    EXPECT_EQ(rgbaOf(*reopened->styleObject()->colours()->task()),
              (RGBAColour{0.2f, 0.4f, 0.6f, 1.0f}));
    EXPECT_FALSE(reopened->store().undoManager().canUndo());
    EXPECT_EQ(reopened->dataOfType(), doc.dataOfType());
}

TEST_F(PlanFileTest, OpeningRemovesOrphanAssignmentsAndUsage) {
    KestilPlannerDocument doc(preferences);
    ATask* task = addTask(doc, "Paint", 8.0f, 0.0f);
    Store& s = doc.store();
    auto* resource = s.insert<Resource>();
    resource->setName(std::string("Ann Lee"));
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
    EXPECT_EQ(assignments[0]->resource()->name(), "Ann Lee");
    EXPECT_EQ(assignments[0]->task()->name(), "Paint");
    const auto usages = reopened->store().fetch<AResourceUsage>();
    ASSERT_EQ(usages.size(), 1u);
    EXPECT_EQ(usages[0]->taskResource(), assignments[0]);
}

TEST_F(PlanFileTest, UnreadableFileIsRefusedWithItsReasonAndLeftAsItWas) {
    const std::string broken = "{\"ATask\": [{\"UUID\": \"0\"},]}";
    Folder::write(file, broken);
    PlanReadResult result;
    EXPECT_EQ(KestilPlannerDocument::initWithContentsOfURL(file, preferences, result), nullptr);
    EXPECT_FALSE(result.ok);
    ASSERT_TRUE(result.codecError.has_value());
    EXPECT_THAT(result.message, HasSubstr(file.string()));
    EXPECT_THAT(result.message, HasSubstr(result.codecError->message()));
    EXPECT_THAT(result.message,
                HasSubstr("at byte " + std::to_string(result.codecError->offset())));
    EXPECT_EQ(result.codecError->chain().back()->message(), "Trailing comma disallowed in array");
    EXPECT_EQ(Folder::read(file), broken);
    EXPECT_EQ(folder.entries(), std::set<std::string>{"plan.json"});
}

TEST_F(PlanFileTest, JsonWithoutAProjectIsRefused) {
    const auto style = presetPath(presetStyles()[0]);
    EXPECT_EQ(open(style), nullptr);
    EXPECT_THAT(error, HasSubstr(style.string()));
    EXPECT_THAT(error, HasSubstr("no project"));
    Folder::write(file, "[]");
    EXPECT_EQ(open(file), nullptr);
}

TEST_F(PlanFileTest, MissingFileIsRefused) {
    EXPECT_EQ(open(folder / "absent.json"), nullptr);
    EXPECT_THAT(error, HasSubstr("absent.json"));
    EXPECT_THAT(error, HasSubstr("No such file or directory"));
    EXPECT_EQ(open(folder.path()), nullptr);
}

TEST_F(PlanFileTest, InterruptedSaveKeepsThePreviousPlan) {
    KestilPlannerDocument doc(preferences);
    addTask(doc, "Version one", 8.0f, 0.0f);
    ASSERT_TRUE(doc.writeToURL(file, error)) << error;
    const std::string before = Folder::read(file);
    addTask(doc, "Version two", 8.0f, 0.0f);
    EXPECT_FALSE(writeFileAtomically(file, doc.dataOfType(), error, [] { return false; }));
    EXPECT_EQ(Folder::read(file), before);
    auto reopened = open(file);
    ASSERT_NE(reopened, nullptr) << error;
    EXPECT_EQ(reopened->store().count(Entity::ATask), 1u);
}

TEST_F(PlanFileTest, StyleFileMovesBetweenDocumentsAndTouchesNothingElse) {
    KestilPlannerDocument from(preferences);
    ASSERT_TRUE(applyPresetStyle(*from.project(), *presetNamed("Autumn")));
    const auto styleFile = folder / "mine.zqstyle";
    ASSERT_TRUE(from.exportStyle(styleFile, error)) << error;

    KestilPlannerDocument to(preferences);
    to.project()->set(&Project::name, std::string("Garden"));
    ATask* t = addTask(to, "Dig", 6.0f, 50.0f);
    auto* r = to.store().insert<Resource>();
    r->setName(std::string("Bo"));
    to.store().flushPendingChanges();
    const Style* old = to.styleObject();
    testing::NotificationRecorder posts(kProjectChanged);
    ASSERT_TRUE(to.importStyle(styleFile));
    EXPECT_EQ(posts.countFrom(&to), 1u);
    EXPECT_NE(to.styleObject(), old);
    EXPECT_EQ(to.store().count(Entity::Style), 1u);
    EXPECT_EQ(rgbaOf(*to.styleObject()->colours()->task()),
              rgbaOf(*from.styleObject()->colours()->task()));
    EXPECT_EQ(to.styleObject()->taskLabels()->font(), from.styleObject()->taskLabels()->font());
    EXPECT_EQ(to.project()->name(), "Garden");
    EXPECT_FLOAT_EQ(t->hours(), 6.0f);
    EXPECT_FLOAT_EQ(t->percComp(), 50.0f);
    EXPECT_EQ(to.store().count(Entity::ATask), 1u);
    EXPECT_EQ(to.store().fetch<Resource>(), std::vector<Resource*>{r});
    EXPECT_EQ(r->name(), "Bo");
}

TEST_F(PlanFileTest, StyleImportThatFailsKeepsTheStyleButStillPosts) {
    KestilPlannerDocument doc(preferences);
    const Style* before = doc.styleObject();
    Folder::write(file, "not a style");
    testing::NotificationRecorder posts(kProjectChanged);
    EXPECT_FALSE(doc.importStyle(file));
    EXPECT_FALSE(doc.importStyle(folder / "absent.zqstyle"));
    EXPECT_EQ(doc.styleObject(), before);
    EXPECT_EQ(posts.countFrom(&doc), 2u);
}

} // namespace
} // namespace mapolt
