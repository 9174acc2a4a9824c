#include "appearance/colour_slots.h"
#include "appearance/shadow_geometry.h"
#include "appearance/style_tree.h"
#include "model/entities.h"
#include "model/store.h"

#include <gtest/gtest.h>

namespace mapolt {
namespace {

TEST(StyleTreeTest, DefaultTreeHasItsColoursLabelsAndANineteenPointRow) {
    Store store;
    auto* project = store.insert<Project>();
    store.undoManager().removeAllActions();
    Style* style = ensureStyle(*project);
    EXPECT_EQ(ensureStyle(*project), style);
    EXPECT_FALSE(store.undoManager().canUndo()) << "making a missing tree is no edit";
    const auto slot = [&](ColourSlot s) {
        const Colour* c = (style->colours()->*colourSlot(s).member)();
        return c != nullptr ? std::optional(rgbaOf(*c)) : std::nullopt;
    };
    EXPECT_EQ(slot(ColourSlot::Task), (RGBAColour{1.0f, 0.5f, 0.0f, 1.0f}));
    EXPECT_EQ(slot(ColourSlot::SuperTask), (RGBAColour{0.0f, 0.0f, 1.0f, 1.0f}));
    EXPECT_EQ(slot(ColourSlot::TodayLine), (RGBAColour{1.0f, 0.0f, 0.0f, 1.0f}));
    EXPECT_EQ(slot(ColourSlot::Ruler1), (RGBAColour{0.72f, 0.72f, 0.72f, 1.0f}));
    for (ColourSlot empty : {ColourSlot::Background2, ColourSlot::Task2, ColourSlot::SuperTask2})
        EXPECT_EQ(slot(empty), std::nullopt) << colourSlot(empty).name;
    EXPECT_EQ(store.count(Entity::Colour), 14u) << "13 slots and the shadow";
    EXPECT_EQ(style->taskLabels()->position(), 1);
    EXPECT_EQ(style->resourceLabels()->position(), 3);
    const StyleMargin* m = style->margins();
    EXPECT_FLOAT_EQ(m->height() + m->top() + m->bottom(), 19.0f);

    auto* task = store.insert<ATask>();
    task->set(&ATask::colour, style->colours()->links());
    deleteStyleTree(style);
    EXPECT_EQ(store.count(Entity::StyleElement) + store.count(Entity::StyleShadow), 0u);
    EXPECT_EQ(store.fetch<Colour>(), std::vector<Colour*>{task->colour()})
        << "a colour a task also owns stays";
}

// The offsets the panel's shadow controls cannot reach with the plain formulas.
TEST(ShadowGeometryTest, StraightDownAndZeroOffsetsStayWellDefined) {
    EXPECT_NEAR(shadowAngleOf({0.0f, -4.0f}), 180.0f, 0.001f) << "not 540";
    EXPECT_NEAR(shadowAngleOf({-0.5f, -4.0f}), 187.13f, 0.01f);
    EXPECT_NEAR(shadowAngleOf({0.0f, 0.0f}), 360.0f, 0.001f);
    const ShadowOffset fromZero = withShadowDepth({0.0f, 0.0f}, 3.0f);
    EXPECT_FLOAT_EQ(fromZero.x, 0.0f) << "a depth, not NaN";
    EXPECT_FLOAT_EQ(fromZero.y, 3.0f);
    const ShadowOffset diagonal = withShadowAngle({0.0f, 2.0f}, 225.0f);
    EXPECT_NEAR(diagonal.x, -1.41421f, 1e-4f);
    EXPECT_NEAR(shadowAngleOf(diagonal), 225.0f, 0.001f);
}

} // namespace
} // namespace mapolt
