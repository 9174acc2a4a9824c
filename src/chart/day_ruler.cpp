#include "chart/day_ruler.h"

#include "chart/chart_style.h"
#include "model/style.h"

#include <QLinearGradient>
#include <QPainter>

#include <chrono>
#include <cmath>
#include <ctime>

namespace mapolt {

namespace {

constexpr std::array<const char*, 7> kWeekDays = {"S", "M", "T", "W", "T", "F", "S"};
constexpr float kLabelBaseline = 11.0f;
constexpr double kRulerFontSize = 11.0;

QString formatDate(const std::chrono::year_month_day& date, const char* pattern) {
    std::tm tm{};
    tm.tm_year = static_cast<int>(date.year()) - 1900;
    tm.tm_mon = static_cast<int>(static_cast<unsigned>(date.month())) - 1;
    tm.tm_mday = static_cast<int>(static_cast<unsigned>(date.day()));
    tm.tm_wday = static_cast<int>(std::chrono::weekday{std::chrono::sys_days{date}}.c_encoding());
    char buffer[128];
    const std::size_t n = std::strftime(buffer, sizeof buffer, pattern, &tm);
    return QString::fromLocal8Bit(buffer, static_cast<qsizetype>(n));
}

void addMark(std::vector<RulerMark>& out, RulerUnit unit, float tierTop, int column, float lc,
             float dw, int weekday, const std::chrono::year_month_day& date) {
    const int dom = static_cast<int>(static_cast<unsigned>(date.day()));
    const int month = static_cast<int>(static_cast<unsigned>(date.month()));
    RulerMark m{unit, tierTop, column, lc + 0.5f, QString(), lc + 5.0f, 0.0f};
    switch (unit) {
    case RulerUnit::Days:
        m.markX = lc + dw + 0.5f;
        if (dw > 10.0f)
            m.label = QString::fromLatin1(kWeekDays[static_cast<std::size_t>(weekday)]);
        m.boxWidth = 15.0f;
        break;
    case RulerUnit::Weeks:
        if (weekday != 1)
            return;
        m.label = formatDate(date, "%d %b %y");
        m.boxWidth = 7.0f * dw;
        break;
    case RulerUnit::Months:
        if (dom != 2)
            return;
        m.label = formatDate(date, dw > 2.0f ? "%B %y" : "%b %y");
        m.boxWidth = 31.0f * dw;
        break;
    case RulerUnit::Years:
        if (dom != 2 || month != 1)
            return;
        m.label = formatDate(date, "%Y");
        m.labelX = lc + 30.0f;
        m.boxWidth = 365.0f * dw;
        break;
    case RulerUnit::Quarters:
        if (dom != 2 || (month - 1) % 3 != 0)
            return;
        m.label = QStringLiteral("Q%1").arg((month - 1) / 3 + 1);
        m.labelX = lc + 10.0f;
        m.boxWidth = 365.0f * dw;
        break;
    }
    out.push_back(m);
}

} // namespace

int DayRuler::originOffsetFor(Date projectStart, float leftDayMargin) {
    const civil::Ymd ymd = civil::toYmd(projectStart);
    const std::chrono::sys_days start{std::chrono::year{ymd.year} /
                                      static_cast<unsigned>(ymd.month) /
                                      static_cast<unsigned>(ymd.day)};
    return static_cast<int>(start.time_since_epoch().count()) - static_cast<int>(leftDayMargin);
}

DayRuler::Tiers DayRuler::tiersFor(float dw) {
    if (dw > 10.0f)
        return {RulerUnit::Weeks, RulerUnit::Days, true};
    if (dw > 5.0f)
        return {RulerUnit::Months, RulerUnit::Weeks, false};
    if (dw > 2.0f)
        return {RulerUnit::Years, RulerUnit::Months, false};
    return {RulerUnit::Years, RulerUnit::Quarters, true};
}

std::vector<RulerMark> DayRuler::marksFor(float vx, float vw) const {
    if (!(dayWidth_ > 0.0f))
        return {};
    const float dw = dayWidth_;
    const int f = static_cast<int>(std::trunc(vx / dw - 7.0f));
    const int last = static_cast<int>(std::trunc(vw / dw + static_cast<float>(f) + 21.0f));
    const float s = std::trunc(-vx - 6.0f * dw) + 6.0f * dw;
    const Tiers tiers = tiersFor(dw);
    const RulerUnit first = tiers.lowerFirst ? tiers.lower : tiers.upper;
    const RulerUnit second = tiers.lowerFirst ? tiers.upper : tiers.lower;
    const auto topOf = [&](RulerUnit u) { return u == tiers.upper ? 0.0f : kTierHeight; };

    std::vector<RulerMark> out;
    std::chrono::sys_days day{std::chrono::days{originOffset_ + f - 7}};
    int weekday = static_cast<int>(std::chrono::weekday{day}.c_encoding());
    for (int c = f - 7; c + 7 < last; ++c) {
        const float lc = static_cast<float>(c) * dw + s;
        const std::chrono::year_month_day date{day};
        addMark(out, first, topOf(first), c, lc, dw, weekday, date);
        addMark(out, second, topOf(second), c, lc, dw, weekday, date);
        day += std::chrono::days{1};
        weekday = (weekday + 1) % 7;
    }
    return out;
}

void DayRuler::drawHashMarksAndLabelsInRect(QPainter& painter, const QRectF& rect) {
    drawHashMarksAndLabelsInRect(painter, rect, static_cast<float>(rect.x()),
                                 static_cast<float>(rect.width()));
}

void DayRuler::drawHashMarksAndLabelsInRect(QPainter& painter, const QRectF& rect, float vx,
                                            float vw) {
    const ChartStyle s(style_);
    painter.save();
    if (s.flag(&Style::rulerGradient)) {
        QLinearGradient fill(rect.topLeft(), rect.bottomLeft());
        fill.setColorAt(0.0, s.colour(ColourSlot::Ruler1));
        fill.setColorAt(1.0, s.colour(ColourSlot::Ruler2));
        painter.fillRect(rect, fill);
    } else {
        painter.fillRect(rect, s.colour(ColourSlot::Ruler1, QColor(184, 184, 184)));
    }
    QFont font(QStringLiteral("Helvetica"));
    if (s.flag(&Style::useTaskForRule) && s.taskList() != nullptr && !s.taskList()->font().empty())
        font.setFamily(qText(s.taskList()->font()));
    font.setPointSizeF(kRulerFontSize);
    painter.setFont(font);

    painter.setRenderHint(QPainter::Antialiasing, false);
    // A one-pixel line at y covers the pixel row centred on it.
    const auto band = [&](qreal y, const QColor& c) {
        painter.fillRect(QRectF(rect.x(), std::floor(y - 0.5), rect.width(), 1.0), c);
    };
    band(14.5, greyColour(0.5f));
    band(30.0, greyColour(0.5f));
    band(28.5, greyColour(0.9f));
    band(13.5, greyColour(0.9f));

    const QColor markColour = greyColour(0.5f);
    for (const RulerMark& m : marksFor(vx, vw)) {
        painter.fillRect(QRectF(std::floor(m.markX - 0.5f), m.tierTop, 1.0, kTierHeight),
                         markColour);
        if (m.label.isEmpty())
            continue;
        painter.save();
        painter.setClipRect(QRectF(m.labelX, m.tierTop, m.boxWidth, kTierHeight),
                            Qt::IntersectClip);
        painter.setPen(QColor(0, 0, 0));
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.drawText(QPointF(m.labelX, m.tierTop + kLabelBaseline), m.label);
        painter.restore();
    }
    painter.restore();
}

} // namespace mapolt
