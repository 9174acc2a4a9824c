#include "chart/print_columns.h"
#include "chart/project_print_view.h"
#include "chart_fixture.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace mapolt {
namespace {

using testing::ChartFixture;
using testing::pixel;

struct PrintViewTest : ::testing::Test, ChartFixture {
    BasicPrintColumns columns{*project(), context().schedule()};
    ProjectPrintView print{context(), columns};

    void hundredTasks() {
        for (int i = 0; i < 100; ++i)
            task("Task " + std::to_string(i + 1), 0, 10);
        refresh();
    }
};

TEST_F(PrintViewTest, A4PortraitMetrics) {
    EXPECT_NEAR(print.calculatePrintWidth(), 481.6, 0.02);
    EXPECT_EQ(print.calculateRowsPerPage(), 36);
    EXPECT_NEAR(print.calculatePrintHeight(), 684.0, 1e-9);
    EXPECT_NEAR(print.calculatePrintHeightDiff(), 728.614 - 684.0, 0.01);
    print.setScale(0.5);
    EXPECT_NEAR(print.calculatePrintWidth(), 963.23, 0.01);
    EXPECT_EQ(print.calculateRowsPerPage(), 75);
}

TEST_F(PrintViewTest, HundredTasksOnSixPagesNumberedAcrossFirst) {
    hundredTasks();
    const QRectF bounds = print.calcPrinterSize();
    EXPECT_EQ(bounds.height(), 100 * 19 + 30);
    ASSERT_EQ(print.noOfXPages(), 2);
    EXPECT_EQ(print.noOfYPages(), 3);
    EXPECT_EQ(print.knowsPageRange(), 6);

    const double pw = print.calculatePrintWidth();
    EXPECT_EQ(print.rectForPage(1), QRectF(0, 0, pw, 36 * 19 + 30));
    EXPECT_EQ(print.rectForPage(2), QRectF(pw, 0, bounds.width() - pw, 36 * 19 + 30));
    EXPECT_EQ(print.rectForPage(3), QRectF(0, 684, pw, 36 * 19 + 30));
    // The last page holds the remaining 28 rows under its band.
    EXPECT_EQ(print.rectForPage(6), QRectF(pw, 2 * 684, bounds.width() - pw, 28 * 19 + 30));
}

TEST_F(PrintViewTest, EvenlyDividedRowsGetNoEmptyPage) {
    for (int i = 0; i < 72; ++i)
        task("T", 0, 2);
    refresh();
    print.calcPrinterSize();
    EXPECT_EQ(print.noOfYPages(), 2);
    EXPECT_EQ(print.rectForPage(print.knowsPageRange()).height(), 36 * 19 + 30);
}

TEST_F(PrintViewTest, ScaleCorrectedForTheTableOnEveryPage) {
    EXPECT_EQ(print.isValidPC(1.0), 1.0);
    print.setTaskListPerPage(true);
    EXPECT_NEAR(print.isValidPC(1.0), 0.6 * 595 / 299.5, 1e-9);
    EXPECT_NEAR(print.isValidPC(1.0), 1.192, 0.001);
    project()->set(&Project::dividerPosition, 200.0f);
    EXPECT_EQ(print.isValidPC(1.0), 1.0);
}

TEST_F(PrintViewTest, LandscapeTurnsThePaper) {
    print.setLandscape(true);
    EXPECT_NEAR(print.calculatePrintWidth(), 842 - 2 * 56.692913, 1e-6);
    EXPECT_EQ(print.calculateRowsPerPage(), static_cast<int>((595 - 2 * 56.692913 - 30) / 19));
}

TEST_F(PrintViewTest, EveryRowOfAPageIsPrinted) {
    hundredTasks();
    print.calcPrinterSize();
    // Row 35, the last of the first page, is drawn: its name is in the table column.
    const QRectF page = print.rectForPage(1);
    const QImage image =
        paint(static_cast<int>(page.width()) + 1, static_cast<int>(page.height()) + 1,
              [&](QPainter& p) { print.drawRectRegion(p, page); });
    const int y = 30 + 35 * 19 + 9;
    bool ink = false;
    for (int x = 3; x < 60; ++x)
        ink = ink || pixel(image, x, y) != QColor(255, 255, 255);
    EXPECT_TRUE(ink);
}

TEST_F(PrintViewTest, HiddenTableLeavesOnlyTheFrame) {
    hundredTasks();
    document.setShowingTable(false);
    print.calcPrinterSize();
    EXPECT_EQ(print.tableWidth(), -0.5f);
    const QRectF page = print.rectForPage(1);
    const QImage image = paint(static_cast<int>(page.width()) + 1, 100,
                               [&](QPainter& p) { print.drawRectRegion(p, page); });
    // The header band is the ruler now, right from the left edge.
    EXPECT_NE(pixel(image, 20, 5), QColor(255, 255, 255));
}

TEST_F(PrintViewTest, MonoPagesUseTheGreysAndBlackBars) {
    task("Only", 1, 4);
    project()->set(&Project::dividerPosition, 300.5f);
    style()->set(&Style::vertLines, true);
    style()->set(&Style::nonWorking, false);
    style()->taskLabels()->set(&StyleElement::position, 0);
    setColour(ColourSlot::Vertical, QColor(10, 200, 10));
    refresh();
    setGeometry(18.0f, 0.0f);
    print.setMono(true);
    print.calcPrinterSize();
    const QRectF page = print.rectForPage(1);
    const auto draw = [&] {
        return paint(static_cast<int>(page.width()) + 1, 80,
                     [&](QPainter& p) { print.drawRectRegion(p, page); });
    };
    // The table is 300 wide: the day line of column 3 at 300 + 54 (seen below the bar), the
    // bar from 300 + 18, black and so filled half-way to white.
    QImage image = draw();
    EXPECT_EQ(pixel(image, 354, 47), greyColour(0.93f));
    EXPECT_EQ(pixel(image, 340, 30 + 10), greyColour(0.5f));
    print.setMono(false);
    image = draw();
    EXPECT_EQ(pixel(image, 354, 47), QColor(10, 200, 10));
    EXPECT_EQ(pixel(image, 340, 30 + 10).rgb(), qRgb(255, 191, 128));
}

TEST_F(PrintViewTest, PreviewLaysSheetsOnGrey) {
    hundredTasks();
    print.setScreenScale(0.5);
    const QSizeF size = print.calcSize();
    EXPECT_EQ(size, QSizeF(2 * 595 * 0.5, 3 * 842 * 0.5));
    const QImage image =
        paint(static_cast<int>(size.width()), static_cast<int>(size.height()),
              [&](QPainter& p) { print.drawPreview(p, QRectF(0, 0, 2000, 3000)); });
    // Inside the second sheet's margin, white; the gap between sheets, grey.
    EXPECT_EQ(pixel(image, 300 + 10, 10), QColor(255, 255, 255));
    EXPECT_EQ(pixel(image, 297, 10), greyColour(0.5f));
    EXPECT_EQ(pixel(image, 100, 420), greyColour(0.5f));
}

TEST_F(PrintViewTest, NumberFormats) {
    EXPECT_EQ(formatHours(1234.5), "1,234.50");
    EXPECT_EQ(formatHours(0.5), ".50");
    EXPECT_EQ(formatHours(0.0), "0.00");
    EXPECT_EQ(formatHours(-0.5), "(0.50)");
    EXPECT_EQ(formatPercent(40.0), "40%");
    EXPECT_EQ(formatPercent(0.0), "0%");
    EXPECT_EQ(formatPercent(-5.0), "-5%");
}

} // namespace
} // namespace mapolt
