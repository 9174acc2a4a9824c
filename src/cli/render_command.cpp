#include "chart/chart_image.h"
#include "chart/document_chart.h"
#include "chart/print_columns.h"
#include "chart/project_print_view.h"
#include "cli/command_registry.h"
#include "document/kestil_planner_document.h"
#include "model/arranged_objects.h"
#include "model/entities.h"
#include "model/preferences.h"

#include <QGuiApplication>
#include <QPainter>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace {

using namespace mapolt;

// The chart as an image, in black and white when asked.
class ImageChartView final : public BaseProjectView {
  public:
    ImageChartView(ChartContext& context, bool mono) : BaseProjectView(context), mono_(mono) {}
    bool isMono() const override { return mono_; }

  private:
    bool mono_;
};

struct RenderOptions {
    std::string plan;
    std::string png;
    std::string pdf;
    std::optional<float> dayWidth;
    std::optional<std::pair<int, int>> rows;
    bool mono = false;
};

int fail(const std::string& message) {
    std::fprintf(stderr, "mapolt-cli render: %s\n", message.c_str());
    return 1;
}

bool parseInt(std::string_view text, int& out) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

std::optional<std::string> parse(std::span<const std::string_view> args, RenderOptions& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        const auto value = [&]() -> std::optional<std::string_view> {
            if (i + 1 >= args.size())
                return std::nullopt;
            return args[++i];
        };
        if (a == "--mono") {
            o.mono = true;
        } else if (a == "--png" || a == "--pdf") {
            const auto v = value();
            if (!v)
                return std::string(a) + " needs a file name";
            (a == "--png" ? o.png : o.pdf) = std::string(*v);
        } else if (a == "--day-width") {
            const auto v = value();
            const float w = v ? std::strtof(std::string(*v).c_str(), nullptr) : 0.0f;
            if (!(w > 0.0f && w <= 1000.0f))
                return "--day-width needs a number of pixels per day above 0";
            o.dayWidth = w;
        } else if (a == "--rows") {
            const auto v = value();
            const std::size_t colon = v ? v->find(':') : std::string_view::npos;
            int first = 0;
            int last = 0;
            if (colon == std::string_view::npos || !parseInt(v->substr(0, colon), first) ||
                !parseInt(v->substr(colon + 1), last) || first < 1 || last < first)
                return "--rows needs FIRST:LAST, row numbers from 1";
            o.rows = std::make_pair(first, last);
        } else if (o.plan.empty() && !a.starts_with("--")) {
            o.plan = std::string(a);
        } else {
            return "unknown argument \"" + std::string(a) + "\"";
        }
    }
    if (o.plan.empty())
        return "no plan file given";
    if (o.png.empty() == o.pdf.empty())
        return "give one of --png OUT.png or --pdf OUT.pdf";
    return std::nullopt;
}

struct RowRange {
    int first = 0;
    int last = 0;
};

RowRange rowsToDraw(const RenderOptions& o, int total) {
    if (!o.rows)
        return {0, total};
    return {std::min(o.rows->first - 1, total), std::min(o.rows->second, total)};
}

int tooLarge(const RenderOptions& o) {
    return fail("the chart of \"" + o.plan +
                "\" is too large for one image; choose fewer rows with --rows or a smaller "
                "--day-width");
}

// The rows and the style give the height before anything is scheduled: a chart too tall is
// refused at once, not after a recalculation of the whole plan.
bool tooTall(KestilPlannerDocument& document, const RenderOptions& o) {
    const RowRange r = rowsToDraw(o, static_cast<int>(arrangedObjects(document.store()).size()));
    return chartImageHeight(r.last - r.first, std::round(document.singleOrBaselineHeight())) >
           static_cast<float>(kMaxImageSide);
}

int renderPng(DocumentChart& chart, const RenderOptions& o) {
    ImageChartView view(chart.context(), o.mono);
    const int total = view.totalRows();
    const auto [first, last] = rowsToDraw(o, total);
    // A first pass records the label widths that size the chart.
    QImage probe = makeChartImage(1, 1);
    {
        QPainter painter(&probe);
        view.drawTasks(painter, first, last);
    }
    if (chartWidth(view) > kMaxImageSide)
        return tooLarge(o);
    const QImage image = renderChartImage(view, first, last);
    if (!image.save(QString::fromStdString(o.png), "PNG"))
        return fail("cannot write the image \"" + o.png + "\"");
    std::printf("%s (%d x %d, rows %d to %d of %d)\n", o.png.c_str(), image.width(), image.height(),
                first + 1, last, total);
    return 0;
}

int renderPdf(DocumentChart& chart, const RenderOptions& o) {
    Project* project = chart.context().project();
    BasicPrintColumns columns(*project, chart.schedule());
    ProjectPrintView print(chart.context(), columns);
    print.takePrintSettings();
    print.setMono(o.mono);
    std::string error;
    if (!print.writePDF(o.pdf, error))
        return fail(error);
    std::printf("%s (%d pages)\n", o.pdf.c_str(), print.knowsPageRange());
    return 0;
}

int render(std::span<const std::string_view> args) {
    RenderOptions o;
    if (const auto problem = parse(args, o))
        return fail(*problem);

    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "mapolt-cli";
    static char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);

    MemoryPreferences preferences;
    PlanReadResult read;
    auto document = KestilPlannerDocument::initWithContentsOfURL(o.plan, preferences, read);
    if (!document)
        return fail(read.message);
    for (const std::string& warning : document->openWarnings())
        std::fprintf(stderr, "mapolt-cli render: %s: %s\n", o.plan.c_str(), warning.c_str());
    if (!o.png.empty() && tooTall(*document, o))
        return tooLarge(o);
    DocumentChart chart(*document);
    chart.setDayWidth(o.dayWidth);
    chart.refresh();
    return o.png.empty() ? renderPdf(chart, o) : renderPng(chart, o);
}

const cli::CommandRegistration registration{
    {"render",
     "render PLAN --png OUT.png | --pdf OUT.pdf [--day-width W] [--rows FIRST:LAST] [--mono]",
     render}};

} // namespace
