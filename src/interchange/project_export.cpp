#include "interchange/project_export.h"

#include "interchange/working_time_span.h"
#include "interchange/xml_stream_writer.h"
#include "model/entities.h"
#include "model/filters.h"
#include "model/task_helper.h"
#include "schedule/task_length_calc.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace mapolt {

namespace {

// Decodes one UTF-8 sequence at `i`; -1 for a malformed one.
long decodeUtf8(const std::string& s, std::size_t& i) {
    const auto c = static_cast<unsigned char>(s[i]);
    int extra = c < 0x80           ? 0
                : (c >> 5) == 0x6  ? 1
                : (c >> 4) == 0xE  ? 2
                : (c >> 3) == 0x1E ? 3
                                   : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size() + (extra == 0 ? 1 : 0)) {
        ++i;
        return -1;
    }
    long cp = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        const auto cc = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((cc & 0xC0) != 0x80) {
            ++i;
            return -1;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    i += static_cast<std::size_t>(extra) + 1;
    static constexpr long kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return -1;
    return cp;
}

// Text an XML 1.0 file can hold: malformed UTF-8 becomes U+FFFD, characters the format
// forbids (most control characters) are dropped.
std::string xmlSafeText(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t begin = i;
        const long cp = decodeUtf8(s, i);
        if (cp < 0) {
            out += "\xEF\xBF\xBD";
        } else if (cp == 0x9 || cp == 0xA || cp == 0xD ||
                   (cp >= 0x20 && cp != 0xFFFE && cp != 0xFFFF)) {
            out.append(s, begin, i - begin);
        }
    }
    return out;
}

// Element writes of the export: every text made safe for XML on its way out.
class Out {
  public:
    explicit Out(XmlStreamWriter& w) : w_(w) {}
    void open(const char* name) const { w_.open(name); }
    void close() const { w_.close(); }
    void text(const char* name, const std::string& value) const {
        w_.text(name, xmlSafeText(value));
    }
    void number(const char* name, long long value) const { w_.number(name, value); }

  private:
    XmlStreamWriter& w_;
};

// Whole percent from 0 to 100, as the schema's integer wants it.
long long percentOf(float perc) {
    return std::isfinite(perc) ? std::llround(std::clamp<double>(perc, 0.0, 100.0)) : 0;
}

std::string formatUnits(float perc) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6g", std::clamp<double>(perc, 0.0, 1.0e12) / 100.0);
    return buf;
}

} // namespace

std::string ProjectExport::formatDateTime(Date d) {
    const auto t = static_cast<time_t>(std::floor(d.seconds));
    struct tm local {};
    if (localtime_r(&t, &local) == nullptr)
        return "1970-01-01T00:00:00";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return buf;
}

std::string ProjectExport::formatDuration(float hours) {
    if (!std::isfinite(hours) || hours <= 0.0f)
        return "PT0H0M0S";
    const auto minutes =
        static_cast<long long>(std::llround(std::min<double>(hours, 1.0e9) * 60.0));
    return "PT" + std::to_string(minutes / 60) + "H" + std::to_string(minutes % 60) + "M0S";
}

std::string ProjectExport::exportProject(Store& context, TaskLengthCalc& engine) {
    std::string text;
    exportProject(context, engine, [&text](std::string_view bytes) {
        text += bytes;
        return true;
    });
    return text;
}

bool ProjectExport::exportProject(Store& context, TaskLengthCalc& engine,
                                  const XmlStreamWriter::Sink& sink) {
    buildObjectTable(context);
    const auto uidOf = [this](const Record* r) -> long long {
        const std::optional<std::uint32_t> id = r != nullptr ? getIdForMO(r) : std::nullopt;
        return id ? static_cast<long long>(*id) + 1 : -1;
    };

    Project* project = context.fetchFirst<Project>({}, {});
    const Date currentStart = project != nullptr ? project->startDate() : Date{};
    const std::string projectName = project != nullptr ? project->name() : std::string();
    std::vector<ATask*> tasks = context.fetch<ATask>({}, filters::byViewOrder);
    float latest = 0.0f;
    for (const ATask* t : tasks)
        latest = std::max(latest, t->daysFromStart() + t->elapsedTime());
    // Day numbers become dates and times on the working day the importer reads back.
    WorkingTimeSpan span(engine.calandarAccess(), currentStart);
    const Date finish = latest > 0.0f ? span.dateOf(latest, true) : currentStart;
    const std::string now = formatDateTime(civil::now());

    XmlStreamWriter writer(sink);
    const Out b(writer);
    writer.open("Project", kNamespace);
    b.text("SaveVersion", "12");
    b.text("Name", projectName);
    b.text("Title", projectName);
    b.text("CreationDate", now);
    b.text("LastSaved", now);
    b.text("ScheduleFromStart", "1");
    b.text("StartDate", formatDateTime(currentStart));
    b.text("FinishDate", formatDateTime(finish));
    b.text("CriticalSlackLimit", "0");
    b.text("CurrencyCode", "USD");
    b.text("ProjectExternallyEdited", "1");

    // Calendars: the schema wants at least one Calendar inside the list, so a document
    // without calendars writes no list.
    std::vector<Calandar*> calendars = context.fetch<Calandar>();
    const Calandar* base = nullptr;
    for (const Calandar* c : calendars)
        if (c->isBase())
            base = base != nullptr ? base : c;
    if (!calendars.empty()) {
        b.open("Calendars");
        for (Calandar* c : calendars) {
            b.open("Calendar");
            b.number("UID", uidOf(c));
            b.text("Name", c->name());
            b.text("IsBaseCalendar", c->isBase() ? "1" : "0");
            b.number("BaseCalendarUID", c->isBase() || base == nullptr ? -1 : uidOf(base));
            b.open("WeekDays");
            std::vector<Week*> weeks = c->weekWork();
            std::stable_sort(weeks.begin(), weeks.end(), [](const Week* x, const Week* y) {
                return x->viewOrder() < y->viewOrder();
            });
            for (const Week* w : weeks) {
                // Only the seven weekdays have a DayType.
                if (w->viewOrder() < 0 || w->viewOrder() > 6)
                    continue;
                b.open("WeekDay");
                b.number("DayType", w->viewOrder() + 1);
                const double hours = w->hours();
                if (std::isfinite(hours) && static_cast<long long>(hours) != 0) {
                    b.text("DayWorking", "1");
                    b.open("WorkingTimes");
                    for (const auto& [from, to] :
                         {std::pair{"08:00:00", "12:00:00"}, std::pair{"13:00:00", "17:00:00"}}) {
                        b.open("WorkingTime");
                        b.text("FromTime", from);
                        b.text("ToTime", to);
                        b.close();
                    }
                    b.close();
                } else {
                    b.text("DayWorking", "0");
                }
                b.close();
            }
            b.close();
            b.close();
        }
        b.close();
    }

    b.open("Tasks");
    b.open("Task");
    b.text("UID", "0");
    b.text("ID", "0");
    b.text("Name", projectName);
    b.text("Type", "0");
    b.text("IsNull", "0");
    b.text("OutlineLevel", "0");
    b.text("Start", formatDateTime(currentStart));
    b.text("Finish", formatDateTime(finish));
    for (const char* zero : {"Milestone", "Critical", "FixedCost", "PercentComplete"})
        b.text(zero, "0");
    b.close();
    for (ATask* t : tasks) {
        b.open("Task");
        b.number("UID", uidOf(t));
        b.number("ID", static_cast<long long>(t->viewOrder()) + 1);
        b.text("Name", t->name());
        b.text("Type", "0");
        b.text("IsNull", "0");
        b.number("OutlineLevel", TaskHelper::depthOf(t) + 1);
        const float length = engine.calcDaysForTask(t);
        const double from = t->daysFromStart();
        const double to = from + double(length);
        const Date start = span.dateOf(from, false);
        b.text("Start", formatDateTime(start));
        b.text("Finish", formatDateTime(length > 0.0f ? span.dateOf(to, true) : start));
        // A leaf without resources works its duration; otherwise the duration is the span and
        // the work, shared by the resources, is written beside it.
        const bool assigned = !t->resources.empty();
        const bool leaf = t->subTasks.empty();
        b.text("Duration",
               formatDuration(leaf && !assigned ? t->hours()
                                                : static_cast<float>(span.hoursBetween(from, to))));
        if (assigned)
            b.text("Work", formatDuration(t->hours()));
        b.text("Milestone", t->milestone.empty() ? "0" : "1");
        b.text("Critical", "0");
        b.text("FixedCost", "0");
        b.number("PercentComplete", percentOf(t->percComp()));
        for (const DepLink* l : t->dependeeTasks) {
            if (l->dependTask() == nullptr)
                continue;
            b.open("PredecessorLink");
            b.number("PredecessorUID", uidOf(l->dependTask()));
            b.text("Type", "1");
            b.close();
        }
        b.close();
    }
    b.close();

    b.open("Resources");
    for (const Resource* r : context.fetch<Resource>()) {
        b.open("Resource");
        b.number("UID", uidOf(r));
        b.number("ID", uidOf(r));
        b.text("Name", r->name());
        b.text("Initials", r->initials());
        b.text("EmailAddress", r->email());
        // An empty CalendarUID is no number; a resource without a calendar writes none.
        if (r->cal() != nullptr)
            b.number("CalendarUID", uidOf(r->cal()));
        b.close();
    }
    b.close();

    // An assignment that lost its task or resource has nothing to point at; it is left out.
    b.open("Assignments");
    for (const ATaskResource* a : context.fetch<ATaskResource>()) {
        if (a->task() == nullptr || a->resource() == nullptr)
            continue;
        b.open("Assignment");
        b.number("UID", uidOf(a));
        b.number("TaskUID", uidOf(a->task()));
        b.number("ResourceUID", uidOf(a->resource()));
        // Without Units a reader takes the whole of the resource's time, or none of it.
        if (!a->perc.absent() && std::isfinite(a->perc()))
            b.text("Units", formatUnits(a->perc()));
        b.close();
    }
    return writer.finish();
}

} // namespace mapolt
