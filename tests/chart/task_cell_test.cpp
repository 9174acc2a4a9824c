#include "chart/task_cell.h"
#include "chart_fixture.h"
#include "model/task_helper.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cstdlib>

namespace mapolt {
namespace {

using testing::ChartFixture;
using testing::pixel;

bool near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) <= 1 && std::abs(a.green() - b.green()) <= 1 &&
           std::abs(a.blue() - b.blue()) <= 1;
}

struct TaskCellTest : ::testing::Test, ChartFixture {
    TaskCell& cell() { return view().getTask(); }
    QImage drawRow(ATask* t, int row, int width = 400) {
        return paint(width, 19 * (row + 1), [&](QPainter& p) { cell().drawTaskCell(p, t, row); });
    }
};

TEST_F(TaskCellTest, CornerRadiusFollowsNarrowBars) {
    EXPECT_EQ(TaskCell::cornerRadius(3.0f), 1.0f);
    EXPECT_EQ(TaskCell::cornerRadius(4.0f), 2.0f);
    EXPECT_EQ(TaskCell::cornerRadius(5.0f), 5.0f);
    EXPECT_EQ(TaskCell::cornerRadius(90.0f), 5.0f);
    EXPECT_EQ(TaskCell::cornerRadius(0.0f), 5.0f);
}

TEST_F(TaskCellTest, ProgressFillOfFortyPercentOfTenDays) {
    ATask* t = task("Walls", 0, 10);
    t->set(&ATask::percComp, 40.0f);
    style()->taskLabels()->set(&StyleElement::position, 0);
    refresh();
    setGeometry(18.0f, 0.0f);
    const QImage image = drawRow(t, 1);
    EXPECT_EQ(cell().percRec(), QRectF(0, 19 + 4 + 2, 72, 12 - 4));
    EXPECT_EQ(cell().taskRect(), QRectF(0, 19 + 4, 180, 12));
    const QColor task(255, 128, 0);
    EXPECT_TRUE(near(pixel(image, 70, 19 + 10), task));
    EXPECT_TRUE(near(pixel(image, 74, 19 + 10), blendedTowardsWhite(task, 0.5f)));
    // The progress leaves two pixels of bar above and below it.
    EXPECT_TRUE(near(pixel(image, 40, 19 + 4), blendedTowardsWhite(task, 0.5f)));
}

TEST_F(TaskCellTest, ZeroLengthTaskDrawsNothing) {
    ATask* t = task("Nothing", 2, 0);
    t->set(&ATask::percComp, 50.0f);
    refresh();
    const QImage image = drawRow(t, 0);
    const QImage blank = paint(400, 19, [](QPainter&) {});
    EXPECT_EQ(image, blank);
}

TEST_F(TaskCellTest, ResourceLabelShowsSharesWithASpaceBeforeTheParenthesis) {
    ATask* t = task("Roof", 0, 3);
    Resource* ann = resource("Ann");
    Resource* bob = resource("Bob");
    ATaskResource* a = assign(t, ann, 50.0f);
    assign(t, bob, 100.0f);
    cell().setUpResourceName(*t);
    EXPECT_EQ(cell().resName(), QStringLiteral("Ann (50% ), Bob"));
    ASSERT_EQ(cell().resNameAtt().size(), 2u);
    EXPECT_EQ(cell().resNameAtt()[1].text, QStringLiteral("Bob"));

    a->set(&ATaskResource::perc, 0.4f);
    cell().setUpResourceName(*t);
    EXPECT_EQ(cell().resName(), QStringLiteral("Ann (1% ), Bob"));
    a->set(&ATaskResource::perc, 100.0f);
    cell().setUpResourceName(*t);
    EXPECT_EQ(cell().resName(), QStringLiteral("Ann, Bob"));
}

TEST_F(TaskCellTest, ResourceColoursWithBarsAsResource) {
    ATask* alone = task("Alone", 0, 1);
    ATask* one = task("One", 0, 1);
    ATask* two = task("Two", 0, 1);
    Resource* red = resource("Red", QColor(255, 0, 0));
    assign(one, red);
    assign(two, red);
    assign(two, resource("Blue", QColor(0, 0, 255)));
    const QColor task(255, 128, 0);
    EXPECT_TRUE(near(cell().getColour(*alone, false, false), task));

    style()->set(&Style::barsAsResource, true);
    EXPECT_EQ(cell().getColour(*alone, false, false), greyColour(0.5f));
    EXPECT_EQ(cell().getColour(*one, false, false), QColor(255, 0, 0));
    EXPECT_TRUE(near(cell().getColour(*two, false, false), task));
    EXPECT_EQ(cell().getColour(*one, false, true), QColor(0, 0, 0));
}

TEST_F(TaskCellTest, CriticalPathColoursWhenShown) {
    ATask* t = task("T", 0, 1);
    int level = 0;
    context().schedule().setCriticality([&](const ATask&) { return level; }, false);
    EXPECT_TRUE(near(cell().getColour(*t, false, false), QColor(255, 128, 0)));
    context().schedule().setCriticalOn(true);
    EXPECT_EQ(cell().getColour(*t, false, false), greyColour(0.5f));
    level = 1;
    EXPECT_TRUE(near(cell().getColour(*t, false, false), QColor(255, 128, 0)));
    level = 2;
    EXPECT_EQ(cell().getColour(*t, false, false), QColor(255, 0, 0));
    level = 3;
    EXPECT_EQ(cell().getColour(*t, false, true), QColor(0, 0, 0));
    level = 0;
    EXPECT_EQ(cell().getColour(*t, false, true), greyColour(0.5f));
}

TEST_F(TaskCellTest, DocumentsCriticalPathColoursTheDrawnBars) {
    ATask* a = task("A", 0, 2);
    ATask* b = task("B", 2, 2);
    ATask* c = task("C", 0, 1);
    link(a, b);
    style()->taskLabels()->set(&StyleElement::position, 0);
    refresh();
    setGeometry(18.0f, 0.0f);
    const auto colourOfRow = [&](int row, int x) {
        return pixel(drawChart(200, 60), x, 19 * row + 10);
    };
    // Nothing is done yet, so each bar shows its colour lightened halfway to white.
    const auto undone = [](QColor c) { return blendedTowardsWhite(c, 0.5f); };
    const QColor orange = undone(QColor(255, 128, 0));
    EXPECT_TRUE(near(colourOfRow(2, 9), orange));

    TaskHelper& helper = document.taskHelper();
    helper.setShowEndCP(true);
    helper.calcProjectCp();
    ASSERT_TRUE(helper.isCriticalOn());
    ASSERT_EQ(helper.getCriticalityOfTask(c), 0);
    EXPECT_TRUE(near(colourOfRow(0, 27), undone(QColor(255, 0, 0))));
    EXPECT_TRUE(near(colourOfRow(1, 63), undone(QColor(255, 0, 0))));
    EXPECT_TRUE(near(colourOfRow(2, 9), undone(greyColour(0.5f))));

    helper.clearCrit();
    EXPECT_TRUE(near(colourOfRow(0, 27), orange));
    EXPECT_TRUE(near(colourOfRow(2, 9), orange));
}

TEST_F(TaskCellTest, OwnColourBeatsTheStyleAndSummariesTakeTheirSlot) {
    ATask* s = task("S", 0, 4);
    ATask* c = task("C", 0, 4, s);
    EXPECT_EQ(cell().getColour(*s, true, false), QColor(0, 0, 255));
    c->set(&ATask::colour, insertColour(store(), {0.0f, 1.0f, 0.0f, 1.0f}));
    EXPECT_EQ(cell().getColour(*c, false, false), QColor(0, 255, 0));
}

TEST_F(TaskCellTest, LeftLabelWidthIsMeasuredAndKeptByTheChart) {
    ATask* t = task("Pour the slab", 1, 2);
    const QFont font = ChartStyle::fontOf(style()->taskLabels());
    const float expected = textWidth(QStringLiteral("Pour the slab"), font) + 5.0f + 5.0f;
    EXPECT_FLOAT_EQ(cell().calcLeftMargin(*t), expected);
    EXPECT_FLOAT_EQ(context().labelWidth(*t, ChartContext::Label::Left), expected);

    // With the resources on the left too, the name carries " / ".
    assign(t, resource("Ann"));
    style()->resourceLabels()->set(&StyleElement::position, 1);
    const float both = textWidth(QStringLiteral("Ann"), font) +
                       textWidth(QStringLiteral("Pour the slab / "), font) + 5.0f + 5.0f;
    EXPECT_FLOAT_EQ(cell().calcLeftMargin(*t), both);

    // The document keeps the widest label beyond each task's start as its left margin.
    refresh();
    EXPECT_FLOAT_EQ(document.leftMargin(), std::max(2.0f, both - 18.0f));
    EXPECT_EQ(context().geometry().leftDayMargin, std::ceil(document.leftMargin() / 18.0f));
}

TEST_F(TaskCellTest, LabelsAreDrawnWhereTheirElementsSay) {
    ATask* t = task("Label", 10, 2);
    setGeometry(18.0f, 0.0f);
    // Left: the text ends 5 + 5 points before the bar.
    QImage image = drawRow(t, 0);
    const auto inkBetween = [&](const QImage& img, int from, int to) {
        for (int x = from; x < to; ++x)
            for (int y = 0; y < 19; ++y)
                if (pixel(img, x, y) != QColor(255, 255, 255))
                    return true;
        return false;
    };
    EXPECT_TRUE(inkBetween(image, 100, 170));
    EXPECT_FALSE(inkBetween(image, 172, 180));
    EXPECT_FALSE(inkBetween(image, 218, 400));
    EXPECT_GT(context().labelWidth(*t, ChartContext::Label::Left), 10.0f);

    style()->taskLabels()->set(&StyleElement::position, 3);
    image = drawRow(t, 0);
    EXPECT_FALSE(inkBetween(image, 0, 180));
    EXPECT_TRUE(inkBetween(image, 221, 300));
    EXPECT_GT(context().labelWidth(*t, ChartContext::Label::Right), 10.0f);
}

TEST_F(TaskCellTest, GroupedSummaryDrawsPointedChildrenOnItsRow) {
    ATask* s = task("S", 0, 10);
    task("A", 0, 3, s);
    task("B", 5, 5, s);
    s->set(&ATask::superGrouped, true);
    refresh();
    setGeometry(18.0f, 0.0f);
    const QImage image = drawRow(s, 0);
    const QColor summary = blendedTowardsWhite(QColor(0, 0, 255), 0.5f);
    // Inside each child beside its centred name, nothing in the gap between them.
    EXPECT_TRUE(near(pixel(image, 15, 6), summary));
    EXPECT_TRUE(near(pixel(image, 100, 6), summary));
    EXPECT_EQ(pixel(image, 75, 10), QColor(255, 255, 255));
}

TEST_F(TaskCellTest, SummaryCoverSpansItsDescendantRows) {
    ATask* s = task("S", 2, 5);
    ATask* c = task("C", 2, 2, s);
    s->set(&ATask::showCover, true);
    style()->set(&Style::coverOpacity, 0.5f);
    style()->taskLabels()->set(&StyleElement::position, 0);
    refresh();
    setGeometry(18.0f, 0.0f);
    // The child row is covered across the summary's span, beyond the child's own bar.
    const QImage image = drawRow(c, 1);
    EXPECT_NE(pixel(image, 6 * 18, 19 + 1), QColor(255, 255, 255));
    EXPECT_EQ(pixel(image, 8 * 18, 19 + 1), QColor(255, 255, 255));
}

struct MilestoneTest : TaskCellTest {
    MileStone* milestone(std::vector<ATask*> tasks) {
        auto* m = store().insert<MileStone>();
        m->setName(std::string("Done"));
        for (ATask* t : tasks)
            m->addTo(&MileStone::tasks, t);
        return m;
    }
};

TEST_F(MilestoneTest, DiamondAtTheLatestEndOrTheFixedDate) {
    ATask* a = task("A", 0, 4);
    ATask* b = task("B", 1, 5);
    MileStone* m = milestone({a, b});
    refresh();
    setGeometry(18.0f, 0.0f);
    float end = 0.0f;
    EXPECT_EQ(view().milestoneCell().latestTaskOf(*m, end), b);
    EXPECT_EQ(end, 6.0f);
    QImage image = paint(300, 40, [&](QPainter& p) { view().milestoneCell().drawTaskCell(p, *m); });
    EXPECT_EQ(view().milestoneCell().corner(), QPointF(6 * 18 - 4, 19 + 11));
    EXPECT_EQ(pixel(image, 6 * 18 + 1, 19 + 16), QColor(0, 255, 0));
    EXPECT_GT(context().labelWidth(*b, ChartContext::Label::Milestone), 0.0f);

    m->set(&MileStone::useFixedDate, true);
    m->set(&MileStone::fixedDate, civil::fromYmd(2026, 3, 12));
    image = paint(300, 40, [&](QPainter& p) { view().milestoneCell().drawTaskCell(p, *m); });
    EXPECT_EQ(view().milestoneCell().corner(), QPointF(10 * 18 - 4, 19 + 11));
}

TEST_F(MilestoneTest, HiddenInACollapsedSummaryNothingIsDrawn) {
    ATask* s = task("S", 0, 4);
    ATask* c = task("C", 0, 4, s);
    s->set(&ATask::isExpanded, false);
    MileStone* m = milestone({c});
    refresh();
    const QImage image =
        paint(300, 40, [&](QPainter& p) { view().milestoneCell().drawTaskCell(p, *m); });
    EXPECT_EQ(image, paint(300, 40, [](QPainter&) {}));
}

} // namespace
} // namespace mapolt
