#pragma once

#include "chart/chart_style.h"
#include "document/text_measurer.h"

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QRectF>
#include <QString>

#include <optional>
#include <vector>

class QPainter;

namespace mapolt {

class ATask;
class ChartContext;

// Draws the content of one chart row in task space: a leaf bar, a summary bracket or the
// children of a grouped summary, with baseline, progress, labels and covers. It also
// measures left labels for the document's left margin.
class TaskCell : public TextMeasurer {
  public:
    // One resource of the resource label, in its own colour.
    struct ResourceRun {
        QString text;
        QColor colour;
    };

    explicit TaskCell(ChartContext& context) : context_(&context) {}

    void setPrintOffset(float offset) { printOffset_ = offset; }
    float printOffset() const { return printOffset_; }
    // Drops the cached shadow; every drawing pass starts with it.
    void reset() { shadow_.reset(); }

    void drawTaskCell(QPainter& painter, ATask* task, int row, bool mono = false);
    float calcLeftMargin(const ATask& task) override;

    // The bar colour rules; also sets the criticality used for the line width.
    QColor getColour(const ATask& task, bool isSuper, bool mono);
    // The plain resource label ("Ann (50% ), Bob") and its runs.
    void setUpResourceName(const ATask& task);
    const QString& resName() const { return resName_; }
    const std::vector<ResourceRun>& resNameAtt() const { return resNameAtt_; }

    // The rectangles of the last task drawn.
    const QRectF& taskRect() const { return taskRect_; }
    const QRectF& percRec() const { return percRec_; }
    const QRectF& baseRect() const { return baseRect_; }

    static float cornerRadius(float width);
    static QPainterPath taskPath(const QRectF& rect, bool rounded);
    static QPainterPath superTaskPath(const QRectF& rect, bool rounded);
    static QPainterPath pointedPath(const QRectF& rect);

  private:
    struct LabelAttributes {
        QFont font;
        std::optional<QColor> colour;
    };

    void drawTaskCellActual(QPainter& painter, ATask* task, int row, bool mono);
    std::optional<LabelAttributes> getAttribute(const StyleElement* element, int position,
                                                bool measuring) const;
    void drawBar(QPainter& painter, const QPainterPath& path, bool gradient, bool summary);
    void drawProgress(QPainter& painter, bool summary);
    void drawRightLabel(QPainter& painter, ATask& task);
    void drawLeftLabel(QPainter& painter, ATask& task);
    void drawCentreLabel(QPainter& painter, const ATask& task);
    void showCover(QPainter& painter, ATask& task, int row, bool mono);
    float drawResourceRuns(QPainter& painter, QPointF baseline, const QFont& font,
                           const ChartShadow* shadow);
    float resourceRunsWidth(const QFont& font) const;
    void drawText(QPainter& painter, QPointF baseline, const QString& text,
                  const LabelAttributes& attributes, const ChartShadow* shadow);
    const ChartShadow& cellShadow();
    ChartStyle style() const;

    ChartContext* context_;
    float printOffset_ = 0.0f;
    QRectF taskRect_;
    QRectF percRec_;
    QRectF baseRect_;
    QColor colour_;
    QString resName_;
    std::vector<ResourceRun> resNameAtt_;
    int crit_ = 0;
    std::optional<ChartShadow> shadow_;
    bool drawAsPoint_ = false;
};

} // namespace mapolt
