#include "document/kestil_planner_document.h"
#include "document/pasteboard.h"
#include "document/task_clipboard.h"
#include "model/entities.h"
#include "model/preferences.h"
#include "schedule/task_editing.h"
#include "table/column_controller.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace mapolt {
namespace {

// Two documents whose projects start on Thursday 5 March 2026, so two days of work from the
// Friday run across the weekend of the clock change.
struct DocumentTableClipboardTest : ::testing::Test {
    MemoryPreferences preferences;
    KestilPlannerDocument doc{preferences};
    KestilPlannerDocument other{preferences};
    MemoryPasteboard desktop;

    void SetUp() override {
        std::setlocale(LC_ALL, "en_US.UTF-8");
        for (KestilPlannerDocument* d : {&doc, &other})
            d->project()->set(&Project::startDate, civil::fromYmd(2026, 3, 5));
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }

    static ATask* task(KestilPlannerDocument& d, const std::string& name, float hours) {
        ATask* t = d.taskHelper().addEndTask(0);
        t->setName(name);
        changeWork(d.taskLengthCalc(), t, hours);
        return t;
    }
};

TEST_F(DocumentTableClipboardTest, ColumnEditsRescheduleThroughTheDocumentsServices) {
    ATask* a = task(doc, "Frame", 8.0f);
    ATask* b = task(doc, "Roof", 8.0f);
    ASSERT_EQ(doc.taskHelper().makeDepenantFrom(a, b), 0);
    ASSERT_FLOAT_EQ(b->daysFromStart(), 1.0f);

    TableColumn* days = doc.columnController().getColumn("Days");
    ASSERT_NE(days, nullptr);
    days->setValueForItem(a, Value(3.0));
    EXPECT_FLOAT_EQ(a->hours(), 24.0f);
    EXPECT_FLOAT_EQ(a->elapsedTime(), 5.0f) << "Thursday, Friday, the weekend, Monday";
    EXPECT_FLOAT_EQ(b->daysFromStart(), 5.0f);

    doc.columnController().getColumn("DependTasks")->setValueForItem(b, Value(std::string("")));
    EXPECT_TRUE(b->dependeeTasks.empty());
}

TEST_F(DocumentTableClipboardTest, TasksCopiedFromOneDocumentPasteIntoAnotherWithTheirWork) {
    doc.setPasteboard(&desktop);
    other.setPasteboard(&desktop);
    ATask* a = task(doc, "Frame", 16.0f);
    ATask* b = task(doc, "Roof", 8.0f);
    ASSERT_EQ(doc.taskHelper().makeDepenantFrom(a, b), 0);
    doc.resourceHelper().addResource(doc.resourceHelper().getNewResourceIfDoesNotExist("Ana"), a);

    doc.taskClipboard().copy({a, b});
    const std::optional<std::string> text = desktop.dataForType(kPlainTextType);
    ASSERT_TRUE(text.has_value());
    EXPECT_NE(text->find("Frame\t"), std::string::npos) << *text;

    ATask* first = task(other, "Survey", 8.0f);
    const std::vector<ATask*> pasted = other.taskClipboard().paste({first});
    ASSERT_EQ(pasted.size(), 2u);
    EXPECT_EQ(pasted[0]->name(), "Frame");
    ASSERT_EQ(pasted[1]->dependeeTasks.size(), 1u);
    EXPECT_EQ((*pasted[1]->dependeeTasks.begin())->dependTask(), pasted[0]);
    EXPECT_FLOAT_EQ(pasted[1]->daysFromStart(), pasted[0]->daysFromStart() + 2.0f);
    ASSERT_EQ(other.store().count(Entity::Resource), 1u);
    EXPECT_EQ(other.store().fetch<Resource>().front()->name(), "Ana");

    // Without a desktop clipboard the document keeps its own: the copy stays out of it.
    other.setPasteboard(nullptr);
    other.taskClipboard().copy({first});
    EXPECT_EQ(doc.taskClipboard().paste({}).size(), 2u);
    EXPECT_EQ(other.taskClipboard().paste({}).front()->name(), "Survey");
}

} // namespace
} // namespace mapolt
