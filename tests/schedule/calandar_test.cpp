#include "model/alert_presenter.h"
#include "model/notification_center.h"
#include "schedule/calandar_controller.h"
#include "schedule/calendar_window_logic.h"
#include "support/schedule_builder.h"

#include <gtest/gtest.h>

#include <clocale>
#include <deque>

namespace mapolt {
namespace {

using testing::ScheduleFixture;

struct ScriptedAlerts : AlertPresenter {
    std::deque<int> answers;
    std::vector<Alert> shown;
    int runAlert(const Alert& alert) override {
        shown.push_back(alert);
        if (answers.empty())
            return 0;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
};

struct PostCounter {
    int count = 0;
    NotificationObserver observer;
    explicit PostCounter(std::string_view name)
        : observer(name, nullptr, [this](const Notification&) { ++count; }) {}
};

class CalandarTest : public ::testing::Test, public ScheduleFixture {
  protected:
    // 2026-03-04 is a Wednesday, 2026-03-07 a Saturday.
    Date wednesday = civil::fromYmd(2026, 3, 4);
    Date saturday = civil::fromYmd(2026, 3, 7);
};

TEST_F(CalandarTest, FirstLookupCreatesTheBaseCalendar) {
    ASSERT_EQ(project->cal(), nullptr);
    const CalandarReturnStruct r = calendars.hoursForDay(saturday, nullptr);
    EXPECT_EQ(r.hours, 0.0f);
    EXPECT_EQ(r.source, 1);
    Calandar* cal = project->cal();
    ASSERT_NE(cal, nullptr);
    EXPECT_EQ(cal->name(), "Base");
    EXPECT_TRUE(cal->isBase());
    EXPECT_TRUE(cal->isRoot());
    ASSERT_EQ(cal->weekWork().size(), 7u);
    EXPECT_EQ(calendars.hoursForDay(wednesday, nullptr).hours, 8.0f);
    EXPECT_EQ(calendars.getBaseCalandar(), cal);
    EXPECT_EQ(store.count(Entity::Calandar), 1u);
}

TEST_F(CalandarTest, BaseHolidayAppliesOnlyToResourcesWithoutTheirOwnWeekday) {
    exception(base(), wednesday, 0.0f);
    Resource* plain = resource("Plain");
    Resource* ownHours = resource("Own");
    calendars.setHoursForWeekday(3, ownHours, 6.0f);

    EXPECT_EQ(calendars.hoursForDay(wednesday, nullptr).hours, 0.0f);
    const CalandarReturnStruct p = calendars.hoursForDay(wednesday, plain);
    EXPECT_EQ(p.hours, 0.0f);
    EXPECT_EQ(p.source, 2);
    const CalandarReturnStruct o = calendars.hoursForDay(wednesday, ownHours);
    EXPECT_EQ(o.hours, 6.0f);
    EXPECT_EQ(o.source, 1);
}

TEST_F(CalandarTest, EmptyResourceCalendarAnswersWithItsParentsSource) {
    Resource* r = resource();
    EXPECT_EQ(calendars.hoursForDay(wednesday, r).source, 1);
    EXPECT_EQ(calendars.hoursForDay(wednesday, r).hours, 8.0f);
    EXPECT_EQ(calendars.hoursForWeekday(3, r), 8.0f);
    exception(base(), wednesday, 3.0f);
    EXPECT_EQ(calendars.hoursForDay(wednesday, r).source, 2);
    EXPECT_EQ(calendars.hoursForDay(wednesday, r).hours, 3.0f);
    // Inheritance stops after one level.
    auto* grandchild = store.insert<Calandar>();
    grandchild->set(&Calandar::superCalandar, r->cal());
    EXPECT_EQ(calendars.timeForCalandar(grandchild, wednesday).source, 0);
}

TEST_F(CalandarTest, ExceptionsOfOneDateShareACacheKey) {
    Calandar* baseCal = base();
    auto* other = store.insert<Calandar>();
    calendars.setHoursForWeekday(3, other, 8.0f);
    exception(baseCal, wednesday, 2.0f);
    exception(other, wednesday, 5.0f);
    calendars.clearCache();

    EXPECT_EQ(calendars.timeForCalandar(baseCal, wednesday).hours, 2.0f);
    EXPECT_EQ(calendars.timeForCalandar(other, wednesday).hours, 5.0f);
    EXPECT_EQ(calendars.cachedDates(), 1u);
    exception(other, saturday, 1.0f);
    EXPECT_EQ(calendars.timeForCalandar(other, saturday).hours, 1.0f);
    EXPECT_EQ(calendars.timeForCalandar(baseCal, saturday).source, 1);
    EXPECT_EQ(calendars.cachedDates(), 1u) << "a new exception empties the cache";
    EXPECT_EQ(calendars.timeForCalandar(other, wednesday).hours, 5.0f);
    EXPECT_EQ(calendars.cachedDates(), 2u);
}

TEST_F(CalandarTest, LookupsFollowUndoAndRedoOfAnException) {
    Calandar* baseCal = base();
    store.flushPendingChanges();
    exception(baseCal, wednesday, 0.0f);
    store.flushPendingChanges();
    EXPECT_EQ(calendars.timeForCalandar(baseCal, wednesday).hours, 0.0f);
    store.undoManager().undo();
    EXPECT_EQ(calendars.timeForCalandar(baseCal, wednesday).hours, 8.0f);
    store.undoManager().redo();
    EXPECT_EQ(calendars.timeForCalandar(baseCal, wednesday).hours, 0.0f);
}

TEST_F(CalandarTest, ExceptionsAcrossTheDaylightSavingSwitch) {
    // Sunday 8 March 2026 has 23 hours; Monday the 9th must not be taken for it.
    const Date sunday = civil::fromYmd(2026, 3, 8);
    const Date monday = civil::fromYmd(2026, 3, 9);
    exception(base(), monday, 4.0f);
    EXPECT_EQ(calendars.timeForCalandar(base(), sunday).hours, 0.0f);
    EXPECT_EQ(calendars.timeForCalandar(base(), sunday).source, 1);
    EXPECT_EQ(calendars.timeForCalandar(base(), monday).hours, 4.0f);
}

TEST_F(CalandarTest, WeekdayHoursForAResourceCreateItsEntryAndAskForRecalculation) {
    Resource* r = resource();
    PostCounter recalcs(kRecalcProject);
    calendars.setHoursForWeekday(1, r, 5.0f);
    EXPECT_EQ(recalcs.count, 1);
    ASSERT_EQ(r->cal()->weekWork().size(), 1u);
    EXPECT_EQ(r->cal()->weekWork().front()->day(), "Monday");
    const CalandarReturnStruct m = calendars.hoursForDay(civil::fromYmd(2026, 3, 2), r);
    EXPECT_EQ(m.hours, 5.0f);
    EXPECT_EQ(m.source, 1);
    calendars.setHoursForWeekday(1, r, 7.0f);
    EXPECT_EQ(r->cal()->weekWork().size(), 1u);
    EXPECT_EQ(calendars.hoursForWeekday(1, r), 7.0f);
    // The project's own pattern changes without a notification.
    calendars.setHoursForWeekday(6, static_cast<Resource*>(nullptr), 4.0f);
    EXPECT_EQ(recalcs.count, 2);
    EXPECT_EQ(calendars.hoursForDay(saturday, nullptr).hours, 4.0f);
}

class MonthGridTest : public CalandarTest {
  protected:
    // The grid opens on Wednesday 4 March 2026.
    CalandarController grid{calendars, civil::fromYmd(2026, 3, 4, 10)};
};

TEST_F(MonthGridTest, SettingADateBackToThePatternRemovesTheException) {
    Resource* r = resource();
    grid.setResource(r);
    EXPECT_EQ(grid.hoursForDay(), 8.0f);
    EXPECT_TRUE(grid.setHoursForDay(2.0f));
    ASSERT_EQ(r->cal()->workingDays().size(), 1u);
    EXPECT_EQ(r->cal()->workingDays().front()->reason(), "new");
    EXPECT_EQ(calendars.hoursForDay(wednesday, r).hours, 2.0f);
    EXPECT_TRUE(grid.setHoursForDay(3.0f));
    EXPECT_EQ(r->cal()->workingDays().size(), 1u) << "replaced, not duplicated";
    EXPECT_TRUE(grid.setHoursForDay(8.0f));
    EXPECT_TRUE(r->cal()->workingDays().empty());
    EXPECT_EQ(calendars.hoursForDay(wednesday, r).source, 1);
    EXPECT_FALSE(grid.setHoursForDay(8.0f)) << "same hours as shown";
}

TEST_F(MonthGridTest, CalendarCaseComparesWithItsOwnPattern) {
    grid.setCalandar(base());
    EXPECT_TRUE(grid.setHoursForDay(0.0f));
    EXPECT_EQ(base()->workingDays().size(), 1u);
    EXPECT_EQ(calendars.hoursForDay(wednesday, nullptr).hours, 0.0f);
    grid.setCalandar(base());
    EXPECT_TRUE(grid.setHoursForDay(8.0f));
    EXPECT_TRUE(base()->workingDays().empty());
}

TEST_F(MonthGridTest, LayoutSelectionAndColours) {
    grid.setCalandar(base());
    grid.daySelect(31);
    grid.nextMonth(); // April has 30 days
    EXPECT_EQ(grid.selectedDay(), 30);
    EXPECT_EQ(grid.shownMonth(), 4);
    // August 2026 begins on a Saturday and needs the sixth row.
    for (int i = 0; i < 4; ++i)
        grid.nextMonth();
    EXPECT_EQ(grid.cells()[6].title, "1");
    EXPECT_EQ(grid.cells()[36].title, "31");
    EXPECT_FALSE(grid.cells()[37].enabled);
    EXPECT_EQ(grid.cells()[37].colour, DayCellColour::White);
    EXPECT_EQ(grid.cells()[5].title, "");
    grid.daySelect(3);
    EXPECT_EQ(grid.cells()[6].colour, DayCellColour::Grey); // Saturday the 1st
    EXPECT_EQ(grid.cells()[7].colour, DayCellColour::Grey); // Sunday
    EXPECT_EQ(grid.cells()[8].colour, DayCellColour::Red);  // selected Monday
    EXPECT_EQ(grid.cells()[9].colour, DayCellColour::White);
    grid.daySelect(1);
    EXPECT_TRUE(grid.setHoursForDay(5.0f));
    grid.daySelect(3);
    EXPECT_EQ(grid.cells()[6].colour, DayCellColour::Green);
    grid.prevMonth();
    grid.prevMonth();
    grid.prevMonth();
    grid.prevMonth();
    grid.prevMonth();
    grid.prevMonth();
    grid.prevMonth();
    grid.prevMonth();
    EXPECT_EQ(grid.shownYear(), 2025);
    EXPECT_EQ(grid.shownMonth(), 12);
}

TEST_F(MonthGridTest, TitleUsesTheLocalesAbbreviatedMonth) {
    const std::string previous = std::setlocale(LC_TIME, nullptr);
    ASSERT_NE(std::setlocale(LC_TIME, "en_US.UTF-8"), nullptr);
    grid.setState();
    EXPECT_EQ(grid.title(), "Mar 2026");
    std::setlocale(LC_TIME, previous.c_str());
}

class CalendarWindowTest : public CalandarTest {
  protected:
    ScriptedAlerts alerts;
    CalendarWindowLogic window{store, calendars, alerts, civil::fromYmd(2026, 3, 4)};
    PostCounter recalcs{kRecalcProject};
};

TEST_F(CalendarWindowTest, AddedCalendarIsCompleteAndRoot) {
    Calandar* c = window.addCalandar();
    EXPECT_EQ(c->name(), "New Calandar");
    EXPECT_TRUE(c->isRoot());
    EXPECT_FALSE(c->isBase.optional().has_value());
    EXPECT_EQ(c->superCalandar(), nullptr);
    ASSERT_EQ(c->weekWork().size(), 7u);
    for (int d = 0; d < 7; ++d)
        EXPECT_EQ(calendars.hoursForWeekday(d, c).hours, d == 0 || d == 6 ? 0.0f : 8.0f);
    EXPECT_EQ(recalcs.count, 1);
}

TEST_F(CalendarWindowTest, RemovingCalendars) {
    window.setSelectedCalandar(base());
    window.removeCalandar();
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].message, "Unable to remove base calendars");
    EXPECT_EQ(alerts.shown[0].buttons, std::vector<std::string>{"OK"});
    EXPECT_FALSE(base()->isDeleted());

    Calandar* unused = window.addCalandar();
    window.setSelectedCalandar(unused);
    window.removeCalandar();
    EXPECT_EQ(alerts.shown.size(), 1u) << "no question for an unused calendar";
    EXPECT_TRUE(unused->isDeleted());

    Calandar* used = window.addCalandar();
    Resource* r = resource();
    r->cal()->set(&Calandar::superCalandar, used);
    window.setSelectedCalandar(used);
    alerts.answers = {1};
    const int before = recalcs.count;
    window.removeCalandar();
    EXPECT_EQ(alerts.shown.back().message,
              "You are about to remove a calander which resources use.  These will be moved to "
              "use the base calander");
    EXPECT_EQ(alerts.shown.back().informativeText, "Are you sure you want to do this?");
    EXPECT_FALSE(used->isDeleted()) << "Cancel keeps it";
    EXPECT_EQ(recalcs.count, before + 1);

    alerts.answers = {0};
    window.removeCalandar();
    EXPECT_TRUE(used->isDeleted());
    EXPECT_EQ(r->cal()->superCalandar(), base());
}

TEST_F(CalendarWindowTest, WeekdayEditsRefreshTheGridAndRecalculate) {
    window.setSelectedCalandar(base());
    window.setHoursForWeekday(3, 6.0f);
    EXPECT_EQ(window.hoursForWeekday(3), 6.0f);
    EXPECT_EQ(window.hoursForDay(), 6.0f) << "the selected Wednesday shows the new hours";
    EXPECT_EQ(recalcs.count, 2);
}

} // namespace
} // namespace mapolt
