#include "chart/r_usage_view.h"
#include "chart_fixture.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace mapolt {
namespace {

using testing::ChartFixture;
using testing::pixel;

QRgb rgbOf(QColor c) {
    return c.rgb();
}

struct RUsageViewTest : ::testing::Test, ChartFixture {
    RUsageView usage{context()};

    AResourceUsage* used(Resource* r, float day, float usedHours, float hours = 8.0f) {
        auto* u = store().insert<AResourceUsage>();
        u->set(&AResourceUsage::daysFromStart, day);
        u->set(&AResourceUsage::usedHours, usedHours);
        u->set(&AResourceUsage::hours, hours);
        u->set(&AResourceUsage::resource, r);
        return u;
    }
    QImage draw(int width = 300, int height = 111) {
        return paint(width, height,
                     [&](QPainter& p) { usage.drawRect(p, QRectF(0, 0, width, height)); });
    }
};

TEST_F(RUsageViewTest, LoadBarsByLoad) {
    setGeometry(18.0f, 0.0f);
    const auto bar = [&](float p) { return usage.loadBar(3.0f, 1, p); };
    EXPECT_FLOAT_EQ(static_cast<float>(bar(0.5f).rect.height()), 9.25f);
    EXPECT_EQ(bar(0.5f).colour, QColor(255, 255, 0));
    EXPECT_FLOAT_EQ(static_cast<float>(bar(1.0f).rect.height()), 18.5f);
    EXPECT_EQ(bar(1.0f).colour, QColor(0, 255, 0));
    EXPECT_FLOAT_EQ(static_cast<float>(bar(1.5f).rect.height()), 27.75f);
    EXPECT_EQ(bar(1.5f).colour, QColor(255, 0, 0));
    EXPECT_FLOAT_EQ(static_cast<float>(bar(2.5f).rect.height()), 37.0f);
    EXPECT_EQ(bar(2.5f).colour, QColor(255, 0, 0));
    EXPECT_FLOAT_EQ(static_cast<float>(bar(0.0f).rect.height()), 0.0f);
    // Bars stand on the bottom edge of their 37-pixel row.
    EXPECT_FLOAT_EQ(static_cast<float>(bar(1.0f).rect.bottom()), 74.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(bar(1.0f).rect.x()), 54.0f);
}

TEST_F(RUsageViewTest, SameDayAssignmentsAddUpBeforeTheLoad) {
    style()->set(&Style::nonWorking, false);
    Resource* zed = resource("Zed");
    Resource* amy = resource("Amy");
    used(zed, 1, 4);
    used(zed, 1, 4);
    used(amy, 2, 12);
    refresh();
    setGeometry(18.0f, 2.0f);
    const QImage image = draw();
    // Amy sorts first: her row 0 carries 12 of 8, red 27.75 high, on day 2 (x 72..90).
    EXPECT_EQ(rgbOf(pixel(image, 81, 37 - 20)), qRgb(255, 128, 128));
    EXPECT_EQ(pixel(image, 81, 37 - 30), QColor(255, 255, 255));
    // Zed's 4 + 4 of 8 is a full green half row on day 1 (x 54..72).
    EXPECT_EQ(rgbOf(pixel(image, 63, 74 - 10)), qRgb(128, 255, 128));
    EXPECT_EQ(pixel(image, 63, 74 - 20), QColor(255, 255, 255));
}

TEST_F(RUsageViewTest, WeekendsShadedAtEveryZoom) {
    setColour(ColourSlot::NonWorking, QColor(200, 10, 10));
    style()->set(&Style::nonWorking, true);
    setGeometry(4.0f, 0.0f);
    const QImage image = draw();
    // Saturday 7 March is column 5 (x 20..24), Monday 2 March column 0.
    EXPECT_EQ(pixel(image, 22, 50), QColor(200, 10, 10));
    EXPECT_EQ(pixel(image, 10, 50), QColor(255, 255, 255));
}

TEST_F(RUsageViewTest, UnselectedAndEmptyRowsAreDimmed) {
    style()->set(&Style::nonWorking, false);
    Resource* amy = resource("Amy");
    resource("Bob");
    refresh();
    usage.setSelectedResources({amy});
    const QImage image = draw(100, 111);
    EXPECT_EQ(pixel(image, 50, 10), QColor(255, 255, 255));
    const QColor dim = pixel(image, 50, 37 + 10);
    EXPECT_EQ(dim.red(), 153);
    EXPECT_EQ(pixel(image, 50, 74 + 10), dim);
}

} // namespace
} // namespace mapolt
