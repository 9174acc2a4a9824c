#include "interchange/working_time_span.h"
#include "support/planner_fixture.h"

#include <gtest/gtest.h>

namespace mapolt {
namespace {

// Day numbers from Monday 2 March 2026 on the base calendar: eight hours Monday to Friday.
struct WorkingTimeSpanTest : ::testing::Test {
    testing::PlannerFixture plan;
    WorkingTimeSpan span{plan.calendars, civil::fromYmd(2026, 3, 2)};
};

TEST_F(WorkingTimeSpanTest, HoursBetweenDayNumbers) {
    EXPECT_DOUBLE_EQ(span.hoursBetween(0.0, 1.0), 8.0);
    EXPECT_DOUBLE_EQ(span.hoursBetween(2.5, 4.0), 12.0);
    // Friday noon to Monday noon, over the weekend and New York's clock change.
    EXPECT_DOUBLE_EQ(span.hoursBetween(4.5, 7.5), 8.0);
    EXPECT_DOUBLE_EQ(span.hoursBetween(3.0, 3.0), 0.0);
    EXPECT_DOUBLE_EQ(span.hoursBetween(3.0, 1.0), 0.0);
    // Before the origin too.
    EXPECT_DOUBLE_EQ(span.hoursBetween(-3.0, 0.0), 8.0);
}

TEST_F(WorkingTimeSpanTest, StartBeforeAFinishWalksBackOverTheWeekend) {
    EXPECT_DOUBLE_EQ(span.startBefore(3.0, 16.0), 1.0);
    EXPECT_DOUBLE_EQ(span.startBefore(7.5, 12.0), 4.0);
    EXPECT_DOUBLE_EQ(span.startBefore(2.0, 4.0), 1.5);
    EXPECT_DOUBLE_EQ(span.startBefore(2.0, 0.0), 2.0);
    // The walk back and the count forward agree.
    EXPECT_DOUBLE_EQ(span.hoursBetween(span.startBefore(11.25, 37.0), 11.25), 37.0);
}

TEST_F(WorkingTimeSpanTest, ACalendarWithoutWorkStopsTheWalk) {
    for (int weekday = 0; weekday < 7; ++weekday)
        plan.calendars.setHoursForWeekday(weekday, plan.calendars.getBaseCalandar(), 0.0f);
    const double start = span.startBefore(0.0, 8.0);
    EXPECT_LT(start, -30000.0);
    EXPECT_DOUBLE_EQ(span.hoursBetween(-1.0e9, 1.0e9), 0.0);
}

TEST_F(WorkingTimeSpanTest, DatesOfDayNumbersOnTheWorkingDay) {
    EXPECT_EQ(span.dateOf(0.0, false), civil::fromYmd(2026, 3, 2, 8));
    EXPECT_EQ(span.dateOf(0.5, false), civil::fromYmd(2026, 3, 2, 13));
    EXPECT_EQ(span.dateOf(0.5, true), civil::fromYmd(2026, 3, 2, 12));
    EXPECT_EQ(span.dateOf(1.0, true), civil::fromYmd(2026, 3, 2, 17));
    EXPECT_EQ(span.dateOf(2.25, false), civil::fromYmd(2026, 3, 4, 10));
    EXPECT_EQ(span.dateOf(2.3, false), civil::fromYmd(2026, 3, 4, 10, 24));
    EXPECT_EQ(span.dateOf(7.75, false), civil::fromYmd(2026, 3, 9, 15));
    EXPECT_EQ(span.dateOf(-0.5, false), civil::fromYmd(2026, 3, 1, 13));
}

} // namespace
} // namespace mapolt
