#include "app/print_preview.h"

#include "app/document_bridge.h"
#include "chart/project_print_view.h"
#include "chart/table_print_columns.h"
#include "document/kestil_planner_document.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace mapolt {

class PrintPreview::Canvas final : public QWidget {
  public:
    explicit Canvas(ProjectPrintView& print) : print_(print) {}

  protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        print_.drawPreview(painter, QRectF(event->rect()));
    }

  private:
    ProjectPrintView& print_;
};

PrintPreview::PrintPreview(DocumentBridge& bridge, ChartContext& context, QWidget* parent)
    : QScrollArea(parent),
      columns_(std::make_unique<TablePrintColumns>(bridge.document().columnController())),
      print_(std::make_unique<ProjectPrintView>(context, *columns_)), canvas_(new Canvas(*print_)) {
    setWidget(canvas_);
    setWidgetResizable(false);
    setBackgroundRole(QPalette::Dark);
}

PrintPreview::~PrintPreview() = default;

void PrintPreview::calcSize() {
    print_->takePrintSettings();
    const QSizeF size = print_->calcSize();
    canvas_->resize(static_cast<int>(std::ceil(size.width())),
                    static_cast<int>(std::ceil(size.height())));
    canvas_->update();
}

} // namespace mapolt
