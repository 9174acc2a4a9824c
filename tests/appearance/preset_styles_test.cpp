#include "appearance/colour_slots.h"
#include "appearance/preset_styles.h"
#include "appearance/style_tree.h"
#include "interchange/json_export.h"
#include "interchange/json_reader.h"
#include "model/entities.h"
#include "model/store.h"

#include <gtest/gtest.h>

#include <set>

namespace mapolt {
namespace {

// Fonts every Debian desktop with Qt has (fonts-dejavu-core).
const std::set<std::string> kSystemFonts{"DejaVu Sans", "DejaVu Serif", "DejaVu Sans Mono"};

// JSON trees equal up to member order, numbers compared by value.
bool sameJson(const JsonValue& a, const JsonValue& b) {
    if (a.type() != b.type())
        return false;
    if (const JsonNumber* n = a.asNumber())
        return n->toDouble() == b.asNumber()->toDouble();
    if (const JsonArray* x = a.asArray()) {
        const JsonArray& y = *b.asArray();
        if (x->size() != y.size())
            return false;
        for (std::size_t i = 0; i < x->size(); ++i)
            if (!sameJson((*x)[i], y[i]))
                return false;
        return true;
    }
    if (const JsonObject* x = a.asObject()) {
        if (x->size() != b.asObject()->size())
            return false;
        for (const JsonMember& m : *x) {
            const JsonValue* other = b.find(m.key);
            if (other == nullptr || !sameJson(m.value, *other))
                return false;
        }
        return true;
    }
    return a == b;
}

struct PresetStylesTest : ::testing::TestWithParam<PresetStyle> {
    Store store;
    Project* project = store.insert<Project>();

    std::string text() const {
        const auto t = readPresetText(GetParam());
        EXPECT_TRUE(t.has_value()) << presetPath(GetParam());
        return t.value_or("");
    }
    Style* load() {
        EXPECT_TRUE(applyPresetStyle(*project, GetParam()));
        return project->style();
    }
};

void expectEveryAttributeSet(const Record& r) {
    for (const AttributeDesc& a : r.schema().attributes)
        EXPECT_FALSE(isAbsent(a.read(r))) << r.schema().name << "." << a.name;
}

void expectUnitColour(const Colour* c, std::string_view what) {
    ASSERT_NE(c, nullptr) << what;
    expectEveryAttributeSet(*c);
    for (float v : {c->red(), c->green(), c->blue(), c->alpha()}) {
        EXPECT_GE(v, 0.0f) << what;
        EXPECT_LE(v, 1.0f) << what;
    }
}

TEST_P(PresetStylesTest, FileIsAStyleFile) {
    const JsonParseResult parsed = parseJson(text());
    ASSERT_TRUE(parsed) << parsed.error->message() << " at " << parsed.error->offset();
    const JsonValue* info = parsed.value.find("MapoltFileInfo");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(*info->find("Type")->asString(), "Style");
    EXPECT_EQ(parsed.value.find("Project"), nullptr);
    EXPECT_EQ(parsed.value.find("ATask"), nullptr);
}

TEST_P(PresetStylesTest, HoldsOneCompleteTree) {
    const Style* style = load();
    ASSERT_NE(style, nullptr);
    EXPECT_EQ(store.count(Entity::Style), 1u);
    expectEveryAttributeSet(*style);
    for (const StyleElement* e : {style->taskList(), style->taskLabels(), style->resourceLabels(),
                                  style->milestoneLabels()}) {
        ASSERT_NE(e, nullptr);
        expectEveryAttributeSet(*e);
        EXPECT_TRUE(kSystemFonts.contains(e->font())) << e->font();
        EXPECT_GT(e->size(), 0.0);
    }
    for (const StyleElement* e : {style->taskLabels(), style->resourceLabels()}) {
        EXPECT_GE(e->position(), 1);
        EXPECT_LE(e->position(), 3);
    }
    EXPECT_EQ(style->milestoneLabels()->position(), 0) << "milestone names shown";
    ASSERT_NE(style->colours(), nullptr);
    for (const ColourSlotDesc& d : colourSlots())
        expectUnitColour((style->colours()->*d.member)(), d.name);
    ASSERT_NE(style->shadowStyle(), nullptr);
    expectEveryAttributeSet(*style->shadowStyle());
    expectUnitColour(style->shadowStyle()->colour(), "shadow");
    const StyleMargin* m = style->margins();
    ASSERT_NE(m, nullptr);
    expectEveryAttributeSet(*m);
    EXPECT_GT(m->height() + m->top() + m->bottom(), 0.0f);
    EXPECT_EQ(store.count(Entity::Colour), kColourSlotCount + 1);
}

TEST_P(PresetStylesTest, WritingTheLoadedTreeGivesTheFileBack) {
    const Style* style = load();
    const JsonParseResult file = parseJson(text());
    const JsonParseResult written = parseJson(JSONExport().exportJSONforStyle(*style));
    ASSERT_TRUE(file);
    ASSERT_TRUE(written);
    EXPECT_TRUE(sameJson(file.value, written.value));
}

INSTANTIATE_TEST_SUITE_P(Presets, PresetStylesTest, ::testing::ValuesIn(presetStyles()),
                         [](const auto& info) { return std::string(info.param.resourceName); });

TEST(PresetNamesTest, DisplayAndResourceNames) {
    ASSERT_NE(presetNamed("Clean"), nullptr);
    EXPECT_EQ(presetNamed("Clean")->resourceName, "clean");
    EXPECT_EQ(presetNamed("School")->resourceName, "school");
    EXPECT_EQ(presetNamed("Autumn")->resourceName, "Autumn");
    EXPECT_EQ(presetNamed("Custom"), nullptr);
    EXPECT_EQ(presetForResource("Autumn")->displayName, "Autumn");
}

TEST(PresetNamesTest, PresetsLookDifferent) {
    std::set<std::tuple<float, float, float, std::string, bool>> looks;
    for (const PresetStyle& p : presetStyles()) {
        Store store;
        auto* project = store.insert<Project>();
        ASSERT_TRUE(applyPresetStyle(*project, p));
        const Style* s = project->style();
        const RGBAColour task = rgbaOf(*s->colours()->task());
        looks.emplace(task.red, task.green, task.blue, s->taskLabels()->font(), s->barRounded());
    }
    EXPECT_EQ(looks.size(), presetStyles().size());
}

TEST(StyleTextTest, TextThatIsNoStyleFileKeepsTheStyle) {
    Store store;
    auto* project = store.insert<Project>();
    Style* before = ensureStyle(*project);
    EXPECT_FALSE(applyStyleText(*project, "{\"Style\": [1,]}"));
    EXPECT_FALSE(applyStyleText(*project, "{\"Colour\": {}}"));
    EXPECT_FALSE(applyStyleText(*project, ""));
    EXPECT_EQ(project->style(), before);
    EXPECT_FALSE(before->isDeleted());
    EXPECT_EQ(store.count(Entity::Style), 1u);
}

TEST(StyleTextTest, MissingPresetFileIsNoText) {
    EXPECT_FALSE(readPresetText(presetStyles()[0], "/nonexistent/mapolt").has_value());
}

} // namespace
} // namespace mapolt
