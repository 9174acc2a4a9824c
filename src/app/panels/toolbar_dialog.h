#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;

namespace mapolt {

// Shows, hides and orders the toolbar's items; spaces and separators may appear more than
// once. The window saves the result when the dialog is accepted.
class ToolbarDialog final : public QDialog {
    Q_OBJECT

  public:
    ToolbarDialog(const QStringList& current, QWidget* parent = nullptr);
    // The shown items, in order.
    QStringList items() const;

  private:
    void fill(const QStringList& current);
    void move(int by);
    void addSpacer(const QString& identifier);

    QListWidget* list_;
};

} // namespace mapolt
