#include "chart/preview_view.h"

#include "chart/chart_image.h"
#include "chart/chart_style.h"
#include "model/diagnostic_log.h"
#include "model/entities.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace mapolt {
namespace {

TEST(PreviewViewTest, ClicksInsideAThumbnailChooseIt) {
    PreviewView view;
    EXPECT_EQ(view.getSelect(), 0);
    EXPECT_TRUE(view.mouseDown(QPointF(250, 100)));
    EXPECT_EQ(view.getSelect(), 1);
    EXPECT_FALSE(view.mouseDown(QPointF(250, 20)));
    EXPECT_EQ(view.getSelect(), 1);
    EXPECT_TRUE(view.mouseDown(QPointF(494, 185)));
    EXPECT_EQ(view.getSelect(), 2);
    EXPECT_FALSE(view.mouseDown(QPointF(170, 100)));
    EXPECT_EQ(view.getSelect(), 2);
}

TEST(PreviewViewTest, ThumbnailsDrawTheirPresetsBarColours) {
    PreviewView view;
    QImage image = makeChartImage(555, 252);
    QPainter painter(&image);
    view.draw(painter);
    painter.end();
    for (std::size_t i = 0; i < presetStyles().size(); ++i) {
        PreviewThumb thumb(presetStyles()[i].resourceName);
        ASSERT_NE(thumb.style(), nullptr);
        const ChartStyle s(thumb.style());
        if (s.flag(&Style::taskGradient) || s.flag(&Style::barShadow))
            continue;
        // The task bar (45, 98, 38 wide) of thumbnail i, y pointing up from the bottom.
        const int x = 30 + 170 * static_cast<int>(i) + 45 + 19;
        const int y = 252 - (50 + 98 + 3);
        const QColor expected = blendedTowardsWhite(s.colour(ColourSlot::Task), 0.5f);
        const QColor got(image.pixel(x, y));
        EXPECT_LE(std::abs(got.red() - expected.red()) + std::abs(got.blue() - expected.blue()), 2)
            << presetStyles()[i].displayName;
    }
    // The chosen one is outlined in blue at the left of the first thumbnail.
    EXPECT_GT(QColor(image.pixel(27, 252 - 120)).blue(), 200);
}

TEST(PreviewViewTest, UnreadablePresetLogsAndDrawsWithoutColours) {
    std::vector<std::string> lines;
    const DiagnosticSink previous =
        setDiagnosticSink([&](std::string_view line) { lines.emplace_back(line); });
    PreviewThumb thumb("clean", "/nonexistent/folder");
    setDiagnosticSink(previous);
    EXPECT_EQ(thumb.style(), nullptr);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "JSON root is null");
}

} // namespace
} // namespace mapolt
