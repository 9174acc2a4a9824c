#include "chart/print_columns.h"

#include "chart/chart_schedule.h"
#include "model/entities.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace mapolt {

namespace {

std::string grouped(long long whole) {
    std::string digits = std::to_string(whole);
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        out += digits[i];
        if ((n - i - 1) % 3 == 0 && i + 1 < n)
            out += ',';
    }
    return out;
}

// "#,###.00" leaves out a zero whole part, "#,##0.00" keeps it.
std::string twoDecimals(double magnitude, bool zeroWhole) {
    const long long cents = std::llround(magnitude * 100.0);
    char tail[8];
    std::snprintf(tail, sizeof tail, ".%02lld", cents % 100);
    const long long whole = cents / 100;
    return (whole == 0 && !zeroWhole ? std::string() : grouped(whole)) + tail;
}

std::string startDateText(const Project& project, float days) {
    const Date d = civil::addDays(project.startDate(), static_cast<int>(std::floor(days)));
    const civil::Ymd ymd = civil::toYmd(d);
    std::tm tm{};
    tm.tm_year = ymd.year - 1900;
    tm.tm_mon = ymd.month - 1;
    tm.tm_mday = ymd.day;
    char buffer[64];
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%d %b %y", &tm);
    return std::string(buffer, n);
}

} // namespace

std::string formatHours(double value) {
    if (std::llround(value * 100.0) == 0)
        return "0.00";
    if (value < 0)
        return "(" + twoDecimals(-value, true) + ")";
    return twoDecimals(value, false);
}

std::string formatPercent(double value) {
    const long long whole = std::llround(value);
    if (whole == 0)
        return "0%";
    return std::to_string(whole) + "%";
}

std::vector<PrintColumn> BasicPrintColumns::activeColumns() const {
    return {{"Task Name", "name", 180.0f},
            {"Work", "hours", 60.0f},
            {"Duration", "elapsedTime", 60.0f},
            {"Start", "daysFromStart", 70.0f},
            {"% Complete", "percComp", 70.0f}};
}

std::string BasicPrintColumns::stringValueForItem(const PrintColumn& column, ATask& task) const {
    if (column.coreDataKey == "name")
        return task.name();
    if (task.isBlank())
        return "";
    if (column.coreDataKey == "hours")
        return formatHours(task.hours());
    if (column.coreDataKey == "elapsedTime")
        return formatHours(schedule_->calcDaysForTask(&task)) + " d";
    if (column.coreDataKey == "daysFromStart")
        return startDateText(*project_, schedule_->calcOffset(&task));
    if (column.coreDataKey == "percComp")
        return formatPercent(task.percComp());
    return "";
}

} // namespace mapolt
