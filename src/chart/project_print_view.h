#pragma once

#include "chart/base_project_view.h"
#include "chart/day_ruler.h"

#include <QRectF>
#include <QSizeF>

#include <filesystem>
#include <string>

class QPainter;

namespace mapolt {

class PrintColumnSource;

// Paper size and margins in points, portrait.
struct PaperLayout {
    static constexpr double kDefaultMargin = 56.692913; // 2 cm
    double width = 595.0;
    double height = 842.0;
    double left = kDefaultMargin;
    double right = kDefaultMargin;
    double top = kDefaultMargin;
    double bottom = kDefaultMargin;
};

// The chart for paper: the task table at the left of each page, the ruler across the top,
// the chart cut into pages across first, then down. Also lays the pages out as a preview.
class ProjectPrintView : public BaseProjectView {
  public:
    static constexpr float kBand = 30.0f;

    ProjectPrintView(ChartContext& context, const PrintColumnSource& columns);

    bool isMono() const override { return mono_; }
    void setMono(bool mono) { mono_ = mono; }
    void setPaper(const PaperLayout& paper) { paper_ = paper; }
    // The paper as printed: width and height swap in landscape.
    PaperLayout paper() const;
    void setScale(double scale) { sc_ = scale; }
    double scale() const { return sc_; }
    void setScreenScale(double scale) { screenScale_ = scale; }
    void setLandscape(bool landscape) { landscape_ = landscape; }
    void setTaskListPerPage(bool perPage) { taskLPerPage_ = perPage; }
    // Takes orientation and scale from the project's print settings, when it has them.
    void takePrintSettings();

    double calculatePrintWidth() const;
    int calculateRowsPerPage() const;
    double calculatePrintHeight() const;
    double calculatePrintHeightDiff() const;
    // The table width T that the chart is shifted by.
    float tableWidth() const;

    QRectF calcPrinterSize();
    int noOfXPages() const;
    int noOfYPages() const;
    int knowsPageRange() const { return noOfXPages() * noOfYPages(); }
    QRectF rectForPage(int page) const;
    double isValidPC(double scale) const;

    // One page, `pageRect` in printed units as rectForPage answers it.
    void drawRectRegion(QPainter& painter, const QRectF& pageRect);
    // The preview: every page as a white sheet on grey, at the screen scale.
    void drawPreview(QPainter& painter, const QRectF& dirty);
    QSizeF calcSize();

    // Prints every page into a PDF file; false with `error` naming the file on failure.
    bool writePDF(const std::filesystem::path& path, std::string& error);

  private:
    void drawRuler(QPainter& painter, float shift, float y, float s, float width, float h);
    void drawHeaderAndTable(QPainter& painter, const QRectF& rect, int firstRow, int lastRow);
    void printHeaders(QPainter& painter, float y);
    void drawTaskText(QPainter& painter, int firstRow, int lastRow);
    float divider() const;

    const PrintColumnSource* columns_;
    DayRuler dr_;
    PaperLayout paper_;
    double sc_ = 1.0;
    double screenScale_ = 1.0;
    QRectF projectBounds_;
    bool landscape_ = false;
    bool taskLPerPage_ = false;
    bool mono_ = false;
};

} // namespace mapolt
