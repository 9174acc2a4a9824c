#pragma once

#include <QScrollArea>

#include <memory>

namespace mapolt {

class ChartContext;
class DocumentBridge;
class ProjectPrintView;
class TablePrintColumns;

// The print view's preview: every page as a sheet, laid out afresh when shown. Its page
// and scale controls come with printing.
class PrintPreview final : public QScrollArea {
    Q_OBJECT

  public:
    PrintPreview(DocumentBridge& bridge, ChartContext& context, QWidget* parent = nullptr);
    ~PrintPreview() override;

    ProjectPrintView& printView() { return *print_; }
    // calcSize: takes the print settings and lays the pages out again.
    void calcSize();

  private:
    class Canvas;
    std::unique_ptr<TablePrintColumns> columns_;
    std::unique_ptr<ProjectPrintView> print_;
    Canvas* canvas_;
};

} // namespace mapolt
