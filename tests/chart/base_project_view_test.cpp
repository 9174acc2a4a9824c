#include "chart/base_project_view.h"
#include "chart_fixture.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <random>

namespace mapolt {
namespace {

using testing::ChartFixture;
using testing::pixel;

const QColor kVertical(10, 200, 10);
const QColor kShade(200, 10, 10);
const QColor kStart(10, 10, 200);
const QColor kToday(200, 200, 10);
const QColor kWhite(255, 255, 255);

struct GridTest : ::testing::Test, ChartFixture {
    GridTest() {
        setColour(ColourSlot::Vertical, kVertical);
        setColour(ColourSlot::NonWorking, kShade);
        setColour(ColourSlot::StartLine, kStart);
        setColour(ColourSlot::TodayLine, kToday);
        style()->set(&Style::vertLines, false);
        style()->set(&Style::nonWorking, true);
        style()->set(&Style::startLine, false);
        // Far beyond every drawn column.
        context().setToday(civil::fromYmd(2031, 1, 1));
    }
    QImage columns(int width = 400, int height = 20) {
        return paint(width, height,
                     [&](QPainter& p) { view().drawColumnLines(p, QRectF(0, 0, width, height)); });
    }
};

TEST_F(GridTest, LeftDayMarginPlacesTheProjectStartAndTaskStarts) {
    EXPECT_EQ(ChartGeometry::leftDayMarginFor(100.0f, 18.0f), 6.0f);
    setGeometry(18.0f, 6.0f);
    const ChartGeometry& g = context().geometry();
    EXPECT_FLOAT_EQ(g.chartX(0.0f), 108.0f);
    EXPECT_FLOAT_EQ(g.chartX(2.5f), 153.0f);

    // The drawn bar of a task 2.5 days in begins at that x.
    task("Frame", 2.5f, 3.0f);
    refresh();
    setGeometry(18.0f, 6.0f);
    style()->set(&Style::nonWorking, false);
    const QImage image = drawChart(400, 19);
    EXPECT_EQ(pixel(image, 151, 10), kWhite);
    EXPECT_NE(pixel(image, 154, 10), kWhite);
}

TEST_F(GridTest, DayLinesOffStillMarkTheStartColumnOnly) {
    setGeometry(18.0f, 6.0f);
    const QImage image = columns();
    EXPECT_EQ(pixel(image, 108, 10), kVertical);
    // Tuesday 3 March, a weekday column two to the right.
    EXPECT_EQ(pixel(image, 126, 10), kWhite);
    EXPECT_EQ(pixel(image, 144, 10), kWhite);

    style()->set(&Style::vertLines, true);
    EXPECT_EQ(pixel(columns(), 126, 10), kVertical);
}

TEST_F(GridTest, WeekendsShadedAboveFivePixelsMonthLinesAtOrBelow) {
    setGeometry(5.01f, 0.0f);
    QImage image = columns(400);
    // Saturday 7 March is column 5.
    EXPECT_EQ(pixel(image, 27, 10), kShade);
    EXPECT_EQ(pixel(image, 12, 10), kWhite);

    setGeometry(5.0f, 0.0f);
    image = columns(400);
    EXPECT_EQ(pixel(image, 27, 10), kWhite);
    // 2 April, 31 columns after 2 March.
    EXPECT_EQ(pixel(image, 155, 10), kShade);
    EXPECT_EQ(pixel(image, 150, 10), kWhite);
}

TEST_F(GridTest, WednesdayStartWithThreeDaysMarginShadesColumnZero) {
    project()->set(&Project::startDate, civil::fromYmd(2026, 3, 4));
    setGeometry(18.0f, 3.0f);
    const QImage image = columns();
    EXPECT_EQ(pixel(image, 9, 10), kShade);
    EXPECT_EQ(pixel(image, 27, 10), kWhite);
    // The Saturday after: column 6.
    EXPECT_EQ(pixel(image, 6 * 18 + 9, 10), kShade);
}

TEST_F(GridTest, ColumnsStayOnTheirWeekdaysAcrossTheClockChange) {
    // Clocks go forward on Sunday 8 March in New York: Saturday 14 March is column 12.
    setGeometry(18.0f, 0.0f);
    const QImage image = columns(18 * 16);
    EXPECT_EQ(pixel(image, 12 * 18 + 9, 10), kShade);
    EXPECT_EQ(pixel(image, 13 * 18 + 9, 10), kShade);
    EXPECT_EQ(pixel(image, 14 * 18 + 9, 10), kWhite);
}

TEST_F(GridTest, StartAndTodayLinesAreThreePixelsWide) {
    style()->set(&Style::startLine, true);
    context().setToday(civil::fromYmd(2026, 3, 5, 15));
    setGeometry(18.0f, 2.0f);
    style()->set(&Style::nonWorking, false);
    const QImage image = columns();
    for (int x : {35, 36, 37})
        EXPECT_EQ(pixel(image, x, 10), kStart) << x;
    EXPECT_EQ(pixel(image, 39, 10), kWhite);
    // Three days and some hours after the start: column 2 + 3.
    for (int x : {89, 90, 91})
        EXPECT_EQ(pixel(image, x, 10), kToday) << x;
}

TEST_F(GridTest, TodayBeforeTheStartCountsWholeDaysOnly) {
    context().setToday(civil::fromYmd(2026, 3, 1, 18));
    EXPECT_EQ(view().daysToToday(), 0);
    context().setToday(civil::fromYmd(2026, 2, 27, 18));
    EXPECT_EQ(view().daysToToday(), -2);
    context().setToday(civil::fromYmd(2026, 3, 9, 1));
    EXPECT_EQ(view().daysToToday(), 7);
}

TEST_F(GridTest, RowLinesEveryRowHeightFromTheRect) {
    setColour(ColourSlot::Horizontal, kStart);
    style()->set(&Style::horizLines, true);
    const QImage image =
        paint(40, 80, [&](QPainter& p) { view().drawGridLines(p, QRectF(0, 0, 40, 80)); });
    for (int y : {0, 19, 38, 57, 76})
        EXPECT_EQ(pixel(image, 5, y), kStart) << y;
    EXPECT_EQ(pixel(image, 5, 10), kWhite);
}

TEST_F(GridTest, StyleWithoutMarginsStillDrawsAndFinishes) {
    StyleMargin* m = style()->margins();
    m->set(&StyleMargin::top, 0.0f);
    m->set(&StyleMargin::bottom, 0.0f);
    m->set(&StyleMargin::height, 0.0f);
    style()->set(&Style::horizLines, true);
    link(task("A", 0, 2), task("B", 2, 2));
    refresh();
    EXPECT_EQ(context().geometry().rowHeight, 1.0f);
    const QImage image = drawChart(200, 50);
    EXPECT_EQ(image.width(), 200);
}

struct LinkTest : ::testing::Test, ChartFixture {};

TEST_F(LinkTest, ArrowsPointDownToTheBarTopOrUpToTheRowBottom) {
    setGeometry(18.0f, 0.0f);
    const LinkShape up = view().relationShape(5, 2, 3.0f, 4.0f, false);
    EXPECT_FALSE(up.pointsDown);
    EXPECT_EQ(up.arrowHead.at(0), QPointF(4 * 18 + 7, 3 * 19));
    EXPECT_EQ(up.arrowHead.at(1), QPointF(4 * 18 + 4, 3 * 19 + 4));
    EXPECT_EQ(up.connector.at(0), QPointF(3 * 18 + 1, 5 * 19 + 4 + 6));

    const LinkShape down = view().relationShape(2, 5, 3.0f, 4.0f, false);
    EXPECT_TRUE(down.pointsDown);
    EXPECT_EQ(down.arrowHead.at(0), QPointF(4 * 18 + 7, 5 * 19 + 4));
    EXPECT_EQ(down.arrowHead.at(2), QPointF(4 * 18 + 10, 5 * 19));

    // Ends folded into one row take the upward shape.
    EXPECT_FALSE(view().relationShape(3, 3, 1.0f, 2.0f, false).pointsDown);
}

TEST_F(LinkTest, WarningMarkOnlyOnOverlappingLinksThatAreNotBeingDragged) {
    setGeometry(18.0f, 0.0f);
    EXPECT_TRUE(view().relationShape(0, 1, 5.0f, 3.0f, false).warns);
    EXPECT_FALSE(view().relationShape(0, 1, 5.0f, 3.0f, true).warns);
    EXPECT_FALSE(view().relationShape(0, 1, 3.0f, 5.0f, false).warns);
    EXPECT_FALSE(view().relationShape(0, 1, 3.0f, 3.0f, false).warns);

    const auto draw = [&](bool temp) {
        return paint(200, 60, [&](QPainter& p) { view().drawRelation(p, 0, 1, 5.0f, 3.0f, temp); });
    };
    // The mark's top left is at the predecessor's end, one below its bar top.
    const QColor yellow(0xFF, 0xD0, 0x00);
    EXPECT_EQ(pixel(draw(false), 90 + 4, 5 + 8), yellow);
    EXPECT_NE(pixel(draw(true), 90 + 4, 5 + 8), yellow);
}

TEST_F(LinkTest, LinksIntoAndOutOfCollapsedSummariesUseTheSummaryRow) {
    ATask* a = task("A", 0, 2);
    ATask* s = task("S", 2, 6);
    ATask* c = task("C", 2, 3, s);
    ATask* d = task("D", 5, 3, s);
    ATask* b = task("B", 9, 2);
    s->set(&ATask::isExpanded, false);
    link(a, c);
    link(c, b);
    link(c, d);
    refresh();
    const ChartRows& rows = context().rows();
    ASSERT_EQ(rows.totalRows(), 3);
    ASSERT_EQ(rows.links().size(), 2u);
    const ChartLink& in = rows.links()[0];
    EXPECT_EQ(in.fromRow, 0);
    EXPECT_EQ(in.toRow, 1);
    EXPECT_EQ(in.successor, c);
    const ChartLink& out = rows.links()[1];
    EXPECT_EQ(out.fromRow, 1);
    EXPECT_EQ(out.toRow, 2);
    EXPECT_EQ(out.predecessor, c);

    // The arrow points at the summary's row but at the hidden task's own start.
    setGeometry(18.0f, 0.0f);
    const LinkShape shape =
        view().relationShape(in.fromRow, in.toRow, 2.0f, context().schedule().calcOffset(c), false);
    EXPECT_EQ(shape.arrowHead.at(0), QPointF(2 * 18 + 7, 19 + 4));
}

TEST_F(LinkTest, RowRangeQueryFindsExactlyTheLinksReachingIn) {
    std::mt19937 random(7);
    std::vector<ATask*> tasks;
    for (int i = 0; i < 300; ++i)
        tasks.push_back(task("T" + std::to_string(i), 0, 1));
    for (int k = 0; k < 400; ++k) {
        const auto i = random() % tasks.size();
        const auto j = random() % tasks.size();
        if (i != j)
            link(tasks[i], tasks[j]);
    }
    refresh();
    const ChartRows& rows = context().rows();
    for (int q = 0; q < 200; ++q) {
        const int first = static_cast<int>(random() % 300);
        const int last = first + static_cast<int>(random() % 40);
        std::vector<int> expected;
        for (std::size_t k = 0; k < rows.links().size(); ++k) {
            const ChartLink& l = rows.links()[k];
            if (std::max(l.fromRow, l.toRow) >= first && std::min(l.fromRow, l.toRow) <= last)
                expected.push_back(static_cast<int>(k));
        }
        EXPECT_EQ(rows.linksTouchingRows(first, last), expected) << first << ".." << last;
    }
}

TEST_F(LinkTest, LinksTakeTheStyleColour) {
    setColour(ColourSlot::Links, QColor(0, 0, 255));
    setGeometry(18.0f, 0.0f);
    const QImage colour =
        paint(200, 60, [&](QPainter& p) { view().drawRelation(p, 0, 1, 1.0f, 3.0f, false); });
    // Inside the arrow head above the bar top of row 1, at x = 3 * 18 + 7.
    EXPECT_EQ(pixel(colour, 61, 21), QColor(0, 0, 255));
}

} // namespace
} // namespace mapolt
