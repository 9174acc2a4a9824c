#pragma once

#include "chart/document_chart.h"
#include "document/kestil_planner_document.h"
#include "model/entities.h"
#include "model/preferences.h"

#include <QColor>
#include <QImage>

#include <functional>
#include <memory>
#include <string>

class QPainter;

namespace mapolt::testing {

// A document dated Monday 2 March 2026 with a plain style (white background, bars 12 high
// with 4 above and 3 below, so rows are 19 high), its chart, and terse task builders.
struct ChartFixture {
    MemoryPreferences preferences;
    KestilPlannerDocument document{preferences};
    std::unique_ptr<DocumentChart> chart;

    ChartFixture();
    Project* project() { return document.project(); }
    Style* style() { return document.style(); }
    Store& store() { return document.store(); }
    ChartContext& context() { return chart->context(); }
    BaseProjectView& view() { return chart->view(); }

    // A task of fixed length `days` starting `start` days after the project start.
    ATask* task(const std::string& name, float start, float days, ATask* parent = nullptr);
    DepLink* link(ATask* from, ATask* to, double lag = 0.0);
    Resource* resource(const std::string& name, std::optional<QColor> colour = std::nullopt);
    ATaskResource* assign(ATask* task, Resource* r, float perc = 100.0f);
    void setColour(ColourSlot slot, QColor colour);

    // Rebuilds rows and geometry; then fixes day width and left day margin when given.
    void refresh();
    void setGeometry(float dayWidth, float leftDayMargin);

    // A white image of the size with the painter handed to `draw`.
    static QImage paint(int width, int height, const std::function<void(QPainter&)>& draw);
    QImage drawChart(int width, int height);

  private:
    int nextViewOrder_ = 0;
};

// Exact colour comparison of a pixel.
QColor pixel(const QImage& image, int x, int y);

} // namespace mapolt::testing
