#include "appearance/colour_slots.h"
#include "appearance/preset_styles.h"
#include "appearance/style_tree.h"
#include "interchange/json_export.h"
#include "interchange/json_reader.h"
#include "model/entities.h"
#include "model/store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

namespace mapolt {
namespace {

// Fonts every Debian desktop with Qt has (fonts-dejavu-core).
const std::set<std::string> kSystemFonts{"DejaVu Sans", "DejaVu Serif", "DejaVu Sans Mono"};

void expectComplete(const Record* r, std::string_view what) {
    ASSERT_NE(r, nullptr) << what;
    for (const AttributeDesc& a : r->schema().attributes)
        EXPECT_FALSE(isAbsent(a.read(*r))) << what << "." << a.name;
}

struct PresetStylesTest : ::testing::TestWithParam<PresetStyle> {
    Store store;
    Project* project = store.insert<Project>();
};

TEST_P(PresetStylesTest, HoldsOneCompleteTreeThatWritesBackAsTheFile) {
    const std::optional<std::string> text = readPresetText(GetParam());
    ASSERT_TRUE(text.has_value());
    ASSERT_TRUE(applyStyleText(*project, *text));
    const Style* style = project->style();
    expectComplete(style, "Style");
    for (const StyleElement* e : {style->taskList(), style->taskLabels(), style->resourceLabels(),
                                  style->milestoneLabels()}) {
        expectComplete(e, "StyleElement");
        EXPECT_TRUE(kSystemFonts.contains(e->font())) << e->font();
        EXPECT_GT(e->size(), 0.0);
    }
    EXPECT_EQ(style->milestoneLabels()->position(), 0) << "milestone names shown";
    for (const ColourSlotDesc& d : colourSlots())
        expectComplete((style->colours()->*d.member)(), d.name);
    expectComplete(style->shadowStyle()->colour(), "shadow colour");
    expectComplete(style->shadowStyle(), "StyleShadow");
    expectComplete(style->margins(), "StyleMargin");
    EXPECT_GT(style->margins()->height() + style->margins()->top() + style->margins()->bottom(),
              0.0f);
    EXPECT_EQ(store.count(Entity::Colour), kColourSlotCount + 1) << "the default tree is gone";

    const JsonParseResult file = parseJson(*text);
    const JsonParseResult written = parseJson(JSONExport().exportJSONforStyle(*style));
    ASSERT_TRUE(file && written);
    EXPECT_TRUE(file.value == written.value) << "the file is in the style writer's own form";
}

INSTANTIATE_TEST_SUITE_P(Presets, PresetStylesTest, ::testing::ValuesIn(presetStyles()),
                         [](const auto& info) { return std::string(info.param.resourceName); });

TEST(StyleTextTest, TextThatIsNoStyleFileKeepsTheStyle) {
    Store store;
    auto* project = store.insert<Project>();
    Style* before = ensureStyle(*project);
    for (const char* text : {"{\"Style\": [1,]}", "{\"Colour\": {}}", ""})
        EXPECT_FALSE(applyStyleText(*project, text)) << text;
    EXPECT_FALSE(applyPresetStyle(*project, presetStyles()[0], "/nonexistent/mapolt"));
    EXPECT_EQ(project->style(), before);
    EXPECT_EQ(store.count(Entity::Style), 1u);
}

TEST(ResourceDirectoryTest, InstalledBesideTheProgramElseTheEnvironmentOrTheBuildsOwn) {
    EXPECT_EQ(installedResourceDirectory("/opt/mapolt/bin/mapolt"), "/opt/mapolt/share/mapolt");
    EXPECT_EQ(installedResourceDirectory("/usr/bin/mapolt-cli"), "/usr/share/mapolt");

    // This test program is not installed, so the build's own resources serve.
    ::unsetenv("MAPOLT_RESOURCES");
    EXPECT_TRUE(std::filesystem::is_regular_file(resourceDirectory() / "clean.zqstyle"));
    ::setenv("MAPOLT_RESOURCES", "/elsewhere/mapolt", 1);
    EXPECT_EQ(resourceDirectory(), "/elsewhere/mapolt");
    ::unsetenv("MAPOLT_RESOURCES");
}

} // namespace
} // namespace mapolt
