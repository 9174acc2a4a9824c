#include "chart/day_columns.h"

namespace mapolt {

DayColumnWalk::DayColumnWalk(Date projectStart, int startColumn, int first) {
    const civil::Ymd ymd = civil::toYmd(projectStart);
    const std::chrono::sys_days start{std::chrono::year{ymd.year} /
                                      static_cast<unsigned>(ymd.month) /
                                      static_cast<unsigned>(ymd.day)};
    current_.column = first;
    current_.relativeDay = first - startColumn;
    day_ = start + std::chrono::days{current_.relativeDay};
    current_.date = std::chrono::year_month_day{day_};
    current_.weekday = static_cast<int>(std::chrono::weekday{day_}.c_encoding());
}

DayColumnWalk& DayColumnWalk::operator++() {
    ++current_.column;
    ++current_.relativeDay;
    current_.weekday = (current_.weekday + 1) % 7;
    day_ += std::chrono::days{1};
    current_.date = std::chrono::year_month_day{day_};
    return *this;
}

} // namespace mapolt
