#include "appearance/colour_slots.h"
#include "appearance/style_tree.h"
#include "model/entities.h"
#include "model/store.h"

#include <gtest/gtest.h>

namespace mapolt {
namespace {

struct StyleTreeTest : ::testing::Test {
    Store store;
    Project* project = store.insert<Project>();

    StyleTreeTest() { store.undoManager().removeAllActions(); }

    std::optional<RGBAColour> slot(ColourSlot s) const {
        const Colour* c = (project->style()->colours()->*colourSlot(s).member)();
        return c != nullptr ? std::optional<RGBAColour>(rgbaOf(*c)) : std::nullopt;
    }
};

TEST_F(StyleTreeTest, DefaultTreeHasTheThirteenColoursAndLeavesPanelSlotsEmpty) {
    const Style* style = ensureStyle(*project);
    ASSERT_NE(style->colours(), nullptr);
    EXPECT_EQ(slot(ColourSlot::Task), (RGBAColour{1.0f, 0.5f, 0.0f, 1.0f}));
    EXPECT_EQ(slot(ColourSlot::SuperTask), (RGBAColour{0.0f, 0.0f, 1.0f, 1.0f}));
    EXPECT_EQ(slot(ColourSlot::StartLine), (RGBAColour{1.0f, 0.0f, 0.0f, 1.0f}));
    EXPECT_EQ(slot(ColourSlot::TodayLine), (RGBAColour{1.0f, 0.0f, 0.0f, 1.0f}));
    EXPECT_EQ(slot(ColourSlot::Ruler1), (RGBAColour{0.72f, 0.72f, 0.72f, 1.0f}));
    EXPECT_EQ(slot(ColourSlot::Ruler2), (RGBAColour{1.0f, 1.0f, 1.0f, 1.0f}));
    EXPECT_EQ(slot(ColourSlot::Background), (RGBAColour{1.0f, 1.0f, 1.0f, 1.0f}));
    EXPECT_EQ(slot(ColourSlot::Links), (RGBAColour{0.0f, 0.0f, 0.0f, 1.0f}));
    EXPECT_EQ(slot(ColourSlot::Grid), (RGBAColour{0.8f, 0.8f, 0.8f, 1.0f}));
    EXPECT_EQ(slot(ColourSlot::Background2), std::nullopt);
    EXPECT_EQ(slot(ColourSlot::Task2), std::nullopt);
    EXPECT_EQ(slot(ColourSlot::SuperTask2), std::nullopt);
    ASSERT_NE(style->shadowStyle()->colour(), nullptr);
    EXPECT_EQ(rgbaOf(*style->shadowStyle()->colour()), (RGBAColour{0.0f, 0.0f, 0.0f, 1.0f}));
    EXPECT_EQ(store.count(Entity::Colour), 14u);
    EXPECT_EQ(store.count(Entity::StyleElement), 4u);
}

TEST_F(StyleTreeTest, DefaultLabelsAndMarginsGiveARowOfNineteenPoints) {
    const Style* style = ensureStyle(*project);
    EXPECT_EQ(style->taskLabels()->position(), 1);
    EXPECT_EQ(style->resourceLabels()->position(), 3);
    EXPECT_TRUE(style->milestoneLabels()->position.absent());
    const StyleMargin* m = style->margins();
    EXPECT_FLOAT_EQ(m->height() + m->top() + m->bottom(), 19.0f);
    EXPECT_FALSE(style->taskList()->font().empty());
    EXPECT_GT(style->taskList()->size(), 0.0);
    EXPECT_TRUE(style->horizLines.absent());
    EXPECT_EQ(style->project(), project);
}

TEST_F(StyleTreeTest, MissingTreeIsMadeOnceAndNotRecordedForUndo) {
    Style* first = ensureStyle(*project);
    store.flushPendingChanges();
    EXPECT_FALSE(store.undoManager().canUndo());
    EXPECT_EQ(ensureStyle(*project), first);
    EXPECT_EQ(store.count(Entity::Style), 1u);
}

TEST_F(StyleTreeTest, DeletingATreeRemovesWhatItOwnsButNotATaskColour) {
    Style* style = ensureStyle(*project);
    auto* task = store.insert<ATask>();
    Colour* shared = style->colours()->links();
    task->set(&ATask::colour, shared);
    deleteStyleTree(style);
    EXPECT_EQ(project->style(), nullptr);
    for (Entity e : {Entity::Style, Entity::StyleElement, Entity::StyleColours, Entity::StyleShadow,
                     Entity::StyleMargin})
        EXPECT_EQ(store.count(e), 0u) << schemaOf(e).name;
    EXPECT_EQ(store.fetch<Colour>(), std::vector<Colour*>{shared});
    EXPECT_EQ(task->colour(), shared);
}

} // namespace
} // namespace mapolt
