#include "chart/day_ruler.h"

#include "chart/chart_image.h"
#include "chart/chart_style.h"
#include "model/date.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>

namespace mapolt {
namespace {

struct DayRulerTest : ::testing::Test {
    DayRuler ruler;
    // Monday 2 March 2026, New York's clocks go forward on the 8th.
    void startOn(Date start, float dayWidth, float leftDayMargin = 0.0f) {
        ruler.setDayWidth(dayWidth);
        ruler.setOriginOffset(DayRuler::originOffsetFor(start, leftDayMargin));
    }
    std::vector<RulerMark> marks(RulerUnit unit, float vx = 0.0f, float vw = 600.0f) {
        std::vector<RulerMark> all = ruler.marksFor(vx, vw);
        std::erase_if(all, [&](const RulerMark& m) { return m.unit != unit; });
        return all;
    }
    static const RulerMark* labelled(const std::vector<RulerMark>& marks, const QString& text) {
        const auto found = std::find_if(marks.begin(), marks.end(),
                                        [&](const RulerMark& m) { return m.label == text; });
        return found == marks.end() ? nullptr : &*found;
    }
};

TEST_F(DayRulerTest, TiersByDayWidth) {
    const auto is = [](DayRuler::Tiers t, RulerUnit upper, RulerUnit lower) {
        return t.upper == upper && t.lower == lower;
    };
    EXPECT_TRUE(is(DayRuler::tiersFor(18.0f), RulerUnit::Weeks, RulerUnit::Days));
    EXPECT_TRUE(is(DayRuler::tiersFor(10.01f), RulerUnit::Weeks, RulerUnit::Days));
    EXPECT_TRUE(is(DayRuler::tiersFor(10.0f), RulerUnit::Months, RulerUnit::Weeks));
    EXPECT_TRUE(is(DayRuler::tiersFor(5.01f), RulerUnit::Months, RulerUnit::Weeks));
    EXPECT_TRUE(is(DayRuler::tiersFor(5.0f), RulerUnit::Years, RulerUnit::Months));
    EXPECT_TRUE(is(DayRuler::tiersFor(2.01f), RulerUnit::Years, RulerUnit::Months));
    EXPECT_TRUE(is(DayRuler::tiersFor(2.0f), RulerUnit::Years, RulerUnit::Quarters));
    EXPECT_TRUE(DayRuler::tiersFor(18.0f).lowerFirst);
    EXPECT_FALSE(DayRuler::tiersFor(8.0f).lowerFirst);
}

TEST_F(DayRulerTest, DaysAndWeeksAtEighteenPixels) {
    startOn(civil::fromYmd(2026, 3, 2), 18.0f);
    const std::vector<RulerMark> days = marks(RulerUnit::Days);
    const auto column = [&](int c) {
        return *std::find_if(days.begin(), days.end(),
                             [&](const RulerMark& m) { return m.column == c; });
    };
    EXPECT_EQ(column(0).label, QStringLiteral("M"));
    EXPECT_EQ(column(6).label, QStringLiteral("S"));
    EXPECT_EQ(column(0).tierTop, 15.0f);
    EXPECT_FLOAT_EQ(column(0).markX, 18.5f);
    EXPECT_FLOAT_EQ(column(0).labelX, 5.0f);

    const std::vector<RulerMark> weeks = marks(RulerUnit::Weeks);
    ASSERT_NE(labelled(weeks, QStringLiteral("02 Mar 26")), nullptr);
    const RulerMark* second = labelled(weeks, QStringLiteral("09 Mar 26"));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->column, 7);
    EXPECT_EQ(second->tierTop, 0.0f);
    EXPECT_FLOAT_EQ(second->boxWidth, 7 * 18.0f);
    // Days are drawn before weeks at this zoom.
    EXPECT_EQ(ruler.marksFor(0, 600).front().unit, RulerUnit::Days);
}

TEST_F(DayRulerTest, NoWeekdayLettersAtTenPixels) {
    startOn(civil::fromYmd(2026, 3, 2), 10.0f);
    EXPECT_TRUE(marks(RulerUnit::Days).empty());
    const std::vector<RulerMark> weeks = marks(RulerUnit::Weeks);
    ASSERT_FALSE(weeks.empty());
    EXPECT_EQ(weeks.front().tierTop, 15.0f);
    EXPECT_NE(labelled(marks(RulerUnit::Months), QStringLiteral("April 26")), nullptr);
}

TEST_F(DayRulerTest, MonthLabelsStartOnTheSecond) {
    startOn(civil::fromYmd(2026, 3, 1), 8.0f);
    const std::vector<RulerMark> months = marks(RulerUnit::Months);
    const RulerMark* march = labelled(months, QStringLiteral("March 26"));
    ASSERT_NE(march, nullptr);
    EXPECT_EQ(march->column, 1);
    EXPECT_FLOAT_EQ(march->markX, 8.5f);
    const RulerMark* april = labelled(months, QStringLiteral("April 26"));
    ASSERT_NE(april, nullptr);
    EXPECT_EQ(april->column, 32);
}

TEST_F(DayRulerTest, QuartersAndYearsAtTwoPixels) {
    startOn(civil::fromYmd(2026, 12, 1), 2.0f);
    const std::vector<RulerMark> quarters = marks(RulerUnit::Quarters, 0, 800);
    ASSERT_GE(quarters.size(), 4u);
    EXPECT_EQ(quarters[0].label, QStringLiteral("Q1"));
    EXPECT_EQ(quarters[0].column, 32);
    EXPECT_EQ(quarters[1].label, QStringLiteral("Q2"));
    EXPECT_FLOAT_EQ(quarters[0].labelX, 32 * 2.0f + 10.0f);
    const std::vector<RulerMark> years = marks(RulerUnit::Years, 0, 800);
    const RulerMark* year = labelled(years, QStringLiteral("2027"));
    ASSERT_NE(year, nullptr);
    EXPECT_EQ(year->column, 32);
    EXPECT_FLOAT_EQ(year->labelX, 32 * 2.0f + 30.0f);
}

TEST_F(DayRulerTest, WalkCoversFourteenColumnsLeftOfTheVisibleArea) {
    startOn(civil::fromYmd(2026, 3, 2), 18.0f);
    const std::vector<RulerMark> days = marks(RulerUnit::Days, 1800.0f, 360.0f);
    ASSERT_FALSE(days.empty());
    EXPECT_EQ(days.front().column, 86);
    // From the visible left edge: column 100 starts at x 0.
    const auto c100 =
        std::find_if(days.begin(), days.end(), [](const RulerMark& m) { return m.column == 100; });
    EXPECT_FLOAT_EQ(c100->labelX, 5.0f);
    EXPECT_LE(days.back().column, 100 + 20 + 7);
    // Printing starts at column -14 of the span.
    EXPECT_EQ(marks(RulerUnit::Days, 0, 360).front().column, -14);
}

TEST_F(DayRulerTest, DrawnBandLinesAndBackground) {
    startOn(civil::fromYmd(2026, 3, 2), 18.0f);
    QImage image = makeChartImage(200, 30);
    QPainter painter(&image);
    ruler.drawHashMarksAndLabelsInRect(painter, QRectF(0, 0, 200, 30));
    painter.end();
    EXPECT_EQ(QColor(image.pixel(3, 14)), greyColour(0.5f));
    EXPECT_EQ(QColor(image.pixel(3, 13)), greyColour(0.9f));
    EXPECT_EQ(QColor(image.pixel(3, 29)), greyColour(0.5f));
    // The mark at the right edge of column 0 in the lower tier.
    EXPECT_EQ(QColor(image.pixel(18, 20)), greyColour(0.5f));
}

} // namespace
} // namespace mapolt
