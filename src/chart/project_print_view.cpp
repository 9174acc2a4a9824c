#include "chart/project_print_view.h"

#include "chart/chart_schedule.h"
#include "chart/print_columns.h"
#include "document/kestil_planner_document.h"
#include "model/entities.h"
#include "model/task_helper.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace mapolt {

namespace {

constexpr float kIndentPerLevel = 8.0f;

void drawTruncated(QPainter& painter, const QRectF& box, const QString& text, const QFont& font) {
    if (box.width() <= 0)
        return;
    const QFontMetricsF metrics(font, painter.device());
    painter.setFont(font);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     metrics.elidedText(text, Qt::ElideRight, box.width()));
}

} // namespace

ProjectPrintView::ProjectPrintView(ChartContext& context, const PrintColumnSource& columns)
    : BaseProjectView(context), columns_(&columns) {
    tCell_.setPrintOffset(0.0f);
    mCell_.setPrintOffset(0.0f);
}

PaperLayout ProjectPrintView::paper() const {
    if (!landscape_)
        return paper_;
    PaperLayout turned = paper_;
    std::swap(turned.width, turned.height);
    return turned;
}

void ProjectPrintView::takePrintSettings() {
    const Project* p = context_->project();
    const PrintSettings* settings = p != nullptr ? p->printSettings() : nullptr;
    if (settings == nullptr)
        return;
    landscape_ = settings->landscape();
    if (settings->scale() > 0.0f)
        sc_ = settings->scale() / 100.0;
}

double ProjectPrintView::calculatePrintWidth() const {
    const PaperLayout p = paper();
    return (p.width - p.left - p.right) / sc_;
}

int ProjectPrintView::calculateRowsPerPage() const {
    const PaperLayout p = paper();
    const double rows =
        std::floor(((p.height - p.top - p.bottom) / sc_ - kBand) / context_->geometry().rowHeight);
    // A page always carries at least one row, however tall the rows or small the paper.
    return std::max(1, static_cast<int>(rows));
}

double ProjectPrintView::calculatePrintHeight() const {
    return calculateRowsPerPage() * static_cast<double>(context_->geometry().rowHeight);
}

double ProjectPrintView::calculatePrintHeightDiff() const {
    const PaperLayout p = paper();
    return ((p.height - p.top - p.bottom) / sc_ - calculatePrintHeight()) * sc_;
}

float ProjectPrintView::divider() const {
    const Project* p = context_->project();
    return p != nullptr ? p->dividerPosition() : 0.0f;
}

float ProjectPrintView::tableWidth() const {
    return context_->document().showingTable() ? divider() - 0.5f : -0.5f;
}

QRectF ProjectPrintView::calcPrinterSize() {
    const ChartGeometry& g = context_->geometry();
    ChartSchedule& schedule = context_->schedule();
    const std::vector<ATask*>& tasks = getTaskList();
    const double height = tasks.size() * static_cast<double>(g.rowHeight) + kBand;
    const float leftMargin = context_->document().leftMargin();
    double days = 0.0;
    for (ATask* t : tasks) {
        const double labels = std::max(context_->labelWidth(*t, ChartContext::Label::Right),
                                       context_->labelWidth(*t, ChartContext::Label::Milestone)) /
                              g.dayWidth;
        days = std::max(days, static_cast<double>(schedule.calcOffset(t) + t->elapsedTime()) +
                                  leftMargin / g.dayWidth + labels);
    }
    const double table = tableWidth();
    const double pw = calculatePrintWidth();
    const int k = taskLPerPage_ ? static_cast<int>((g.dayWidth * days) / (pw - table) + 1) : 1;
    projectBounds_ = QRectF(0, 0, g.dayWidth * days + k * table + 20.0, height);
    return projectBounds_;
}

int ProjectPrintView::noOfXPages() const {
    return static_cast<int>(projectBounds_.width() / calculatePrintWidth() + 1);
}

int ProjectPrintView::noOfYPages() const {
    // Only as many rows of pages as there are rows to print: a count that divides evenly
    // gets no trailing page with a header and nothing under it.
    const int r = calculateRowsPerPage();
    return std::max(1, (totalRows() + r - 1) / r);
}

QRectF ProjectPrintView::rectForPage(int page) const {
    const int nx = noOfXPages();
    const int c = (page - 1) % nx;
    const int r = (page - 1) / nx;
    const double pw = calculatePrintWidth();
    const double ph = calculatePrintHeight();
    const int rows = calculateRowsPerPage();
    const double rh = context_->geometry().rowHeight;
    const double width = c == nx - 1 ? projectBounds_.width() - pw * c : pw;
    const double height =
        r == noOfYPages() - 1 ? (totalRows() - rows * r) * rh + kBand : rows * rh + kBand;
    return QRectF(pw * c * sc_, ph * r * sc_, width * sc_, height * sc_);
}

double ProjectPrintView::isValidPC(double scale) const {
    if (!taskLPerPage_)
        return scale;
    const double paperWidth = paper().width;
    const double table = divider() - 0.5;
    if (table - 2.0 > 0.4 * (paperWidth / scale))
        return 0.6 * paperWidth / table;
    return scale;
}

void ProjectPrintView::drawRuler(QPainter& painter, float shift, float y, float s, float width,
                                 float h) {
    const ChartGeometry& g = context_->geometry();
    const Project* p = context_->project();
    painter.save();
    painter.translate(shift, y);
    painter.setClipRect(QRectF(s, 0, width, h), Qt::IntersectClip);
    dr_.setStyle(context_->document().styleObject());
    dr_.setDayWidth(g.dayWidth);
    dr_.setOriginOffset(
        DayRuler::originOffsetFor(p != nullptr ? p->startDate() : Date{}, g.leftDayMargin));
    dr_.drawHashMarksAndLabelsInRect(painter, QRectF(0, 0, width, kBand));
    painter.restore();
}

void ProjectPrintView::drawRectRegion(QPainter& painter, const QRectF& page) {
    tCell_.reset();
    const ChartGeometry& g = context_->geometry();
    const float x = static_cast<float>(page.x() / sc_);
    const float y = static_cast<float>(page.y() / sc_);
    const float w = static_cast<float>(page.width() / sc_) - 1.0f;
    const float h = static_cast<float>(page.height() / sc_) - 1.0f;
    const float table = tableWidth();
    const float pw = static_cast<float>(calculatePrintWidth());

    painter.save();
    painter.scale(sc_, sc_);
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRectF(x, y, w, h),
                     context_->style().colour(ColourSlot::Background, QColor(255, 255, 255)));
    painter.restore();

    float s = 0.0f;
    float shift = table;
    if (taskLPerPage_) {
        const int column = static_cast<int>(x / pw);
        s = static_cast<float>(column) * (pw - table);
        shift = table * static_cast<float>(1 + column);
    }
    drawRuler(painter, shift, y, s, x + w - table, h);

    // Whole rows only: the page's height less its band, less the pixel kept for the frame.
    const int firstRow = std::max(0, static_cast<int>(y / g.rowHeight));
    const int lastRow = std::min(
        static_cast<int>(std::floor((y + h + 1.0f - kBand) / g.rowHeight + 0.001f)), totalRows());
    painter.save();
    painter.translate(shift, kBand);
    const QRectF chart(s, y, x + w - table, h - kBand);
    painter.setClipRect(chart, Qt::IntersectClip);
    drawGridLines(painter, chart);
    drawColumnLines(painter, chart);
    drawTasks(painter, firstRow, lastRow);
    painter.restore();

    drawHeaderAndTable(painter, QRectF(x, y, w, h), firstRow, lastRow);
    painter.restore();
}

void ProjectPrintView::drawHeaderAndTable(QPainter& painter, const QRectF& rect, int firstRow,
                                          int lastRow) {
    const ChartStyle s = context_->style();
    const QColor outline = s.colour(ColourSlot::Outline);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(outline, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect);
    if (!context_->document().showingTable()) {
        painter.restore();
        return;
    }
    const float div = divider();
    const bool leftOfPage = div <= rect.x();
    if (leftOfPage && !taskLPerPage_) {
        painter.restore();
        return;
    }
    if (taskLPerPage_ || leftOfPage)
        painter.translate(rect.x(), 0);
    const float y = static_cast<float>(rect.y());
    printHeaders(painter, y);
    painter.save();
    painter.translate(0, kBand);
    drawTaskText(painter, firstRow, lastRow);
    painter.restore();

    painter.setPen(QPen(outline, 1.0));
    painter.drawLine(QPointF(div, y + 1), QPointF(div, y + rect.height()));
    float x0 = 0.0f;
    for (const PrintColumn& c : columns_->activeColumns()) {
        x0 += c.width;
        if (x0 < div)
            painter.drawLine(QPointF(x0, y + 1), QPointF(x0, y + rect.height()));
    }
    painter.drawLine(QPointF(0, y + 29), QPointF(rect.x() + rect.width(), y + 29));
    painter.restore();
}

void ProjectPrintView::printHeaders(QPainter& painter, float y) {
    const ChartStyle s = context_->style();
    QFont font = ChartStyle::fontOf(s.taskList());
    font.setBold(s.flag(&Style::boldHeaders));
    const float div = divider();
    const float rh = context_->geometry().rowHeight;
    painter.setPen(QColor(0, 0, 0));
    float x0 = 0.0f;
    for (const PrintColumn& c : columns_->activeColumns()) {
        if (x0 < div)
            drawTruncated(painter, QRectF(3 + x0, y + 7, std::min(c.width - 3, div - x0), rh),
                          qText(c.description), font);
        x0 += c.width;
    }
}

void ProjectPrintView::drawTaskText(QPainter& painter, int firstRow, int lastRow) {
    const ChartStyle s = context_->style();
    const QFont font = ChartStyle::fontOf(s.taskList());
    QFont bold = font;
    bold.setBold(true);
    const float div = divider();
    const float rh = context_->geometry().rowHeight;
    const std::vector<PrintColumn> columns = columns_->activeColumns();
    painter.setPen(QColor(0, 0, 0));
    for (int row = firstRow; row < lastRow; ++row) {
        ATask* task = context_->rows().task(row);
        const float top = static_cast<float>(row) * rh + 2.5f;
        float x0 = 0.0f;
        for (const PrintColumn& c : columns) {
            if (x0 >= div)
                break;
            const float w0 = std::min(c.width, div - x0);
            const QString text = qText(columns_->stringValueForItem(c, *task));
            if (c.coreDataKey == "name") {
                const float indent =
                    kIndentPerLevel * static_cast<float>(TaskHelper::depthOf(task));
                drawTruncated(painter, QRectF(3 + indent + x0, top, w0 - 3 - indent, rh), text,
                              task->subTasks.empty() ? font : bold);
            } else {
                drawTruncated(painter, QRectF(3 + x0, top, w0 - 3, rh), text, font);
            }
            x0 += c.width;
        }
    }
}

void ProjectPrintView::drawPreview(QPainter& painter, const QRectF& dirty) {
    calcPrinterSize();
    const PaperLayout p = paper();
    const int nx = noOfXPages();
    const int ny = noOfYPages();
    const double leftover = calculatePrintHeightDiff();
    painter.save();
    painter.scale(screenScale_, screenScale_);
    painter.fillRect(QRectF(0, 0, nx * p.width, ny * p.height), greyColour(0.5f));
    for (int c = 0; c < nx; ++c) {
        for (int r = 0; r < ny; ++r) {
            const int page = r * nx + c + 1;
            const QRectF sheet(c * p.width, r * p.height, p.width - 2, p.height - 2);
            if (!sheet.intersects(dirty))
                continue;
            painter.fillRect(sheet, QColor(255, 255, 255));
            const QRectF area = rectForPage(page);
            painter.save();
            painter.translate(p.left + c * (p.left + p.right),
                              p.top + r * (p.top + p.bottom + leftover));
            painter.setClipRect(area, Qt::IntersectClip);
            drawRectRegion(painter, area);
            painter.restore();
        }
    }
    painter.restore();
}

QSizeF ProjectPrintView::calcSize() {
    calcPrinterSize();
    const PaperLayout p = paper();
    return QSizeF(noOfXPages() * p.width * screenScale_, noOfYPages() * p.height * screenScale_);
}

bool ProjectPrintView::writePDF(const std::filesystem::path& path, std::string& error) {
    calcPrinterSize();
    const PaperLayout p = paper();
    QPdfWriter writer(QString::fromStdString(path.string()));
    writer.setResolution(72);
    writer.setPageSize(QPageSize(QSizeF(p.width, p.height), QPageSize::Point));
    writer.setPageMargins(QMarginsF(p.left, p.top, p.right, p.bottom), QPageLayout::Point);
    writer.setCreator(QStringLiteral("Mapolt"));
    QPainter painter;
    if (!painter.begin(&writer)) {
        error = "The PDF file \"" + path.string() + "\" could not be written.";
        return false;
    }
    const int pages = knowsPageRange();
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            writer.newPage();
        const QRectF area = rectForPage(page);
        painter.save();
        painter.setClipRect(QRectF(QPointF(0, 0), area.size()));
        painter.translate(-area.x(), -area.y());
        drawRectRegion(painter, area);
        painter.restore();
    }
    if (!painter.end()) {
        error = "The PDF file \"" + path.string() + "\" could not be written.";
        return false;
    }
    return true;
}

} // namespace mapolt
