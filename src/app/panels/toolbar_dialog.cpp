#include "app/panels/toolbar_dialog.h"

#include "app/chart_window_controller.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace mapolt {

namespace {

constexpr int kIdentifierRole = Qt::UserRole;

bool isSpacer(const QString& id) {
    return id == QLatin1String("Flexible Space") || id == QLatin1String("Space") ||
           id == QLatin1String("Separator");
}

} // namespace

ToolbarDialog::ToolbarDialog(const QStringList& current, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Customize Toolbar"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Tick the items to show; order them with the buttons.")));
    auto* row = new QHBoxLayout;
    list_ = new QListWidget;
    list_->setDragDropMode(QAbstractItemView::InternalMove);
    row->addWidget(list_);
    auto* side = new QVBoxLayout;
    auto* up = new QPushButton(tr("Move Up"));
    auto* down = new QPushButton(tr("Move Down"));
    auto* space = new QPushButton(tr("Add Space"));
    auto* flexible = new QPushButton(tr("Add Flexible Space"));
    auto* separator = new QPushButton(tr("Add Separator"));
    auto* defaults = new QPushButton(tr("Restore Defaults"));
    for (QPushButton* b : {up, down, space, flexible, separator, defaults})
        side->addWidget(b);
    side->addStretch();
    row->addLayout(side);
    layout->addLayout(row);
    connect(up, &QPushButton::clicked, this, [this] { move(-1); });
    connect(down, &QPushButton::clicked, this, [this] { move(1); });
    connect(space, &QPushButton::clicked, this, [this] { addSpacer(QStringLiteral("Space")); });
    connect(flexible, &QPushButton::clicked, this,
            [this] { addSpacer(QStringLiteral("Flexible Space")); });
    connect(separator, &QPushButton::clicked, this,
            [this] { addSpacer(QStringLiteral("Separator")); });
    connect(defaults, &QPushButton::clicked, this,
            [this] { fill(ChartWindowController::defaultToolbarItems()); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    fill(current);
}

void ToolbarDialog::fill(const QStringList& current) {
    list_->clear();
    const auto add = [this](const QString& id, bool shown) {
        auto* item = new QListWidgetItem(ChartWindowController::toolbarItemLabel(id), list_);
        item->setData(kIdentifierRole, id);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(shown ? Qt::Checked : Qt::Unchecked);
    };
    const QStringList allowed = ChartWindowController::allowedToolbarItems();
    for (const QString& id : current)
        if (allowed.contains(id))
            add(id, true);
    for (const QString& id : allowed)
        if (!current.contains(id) && !isSpacer(id))
            add(id, false);
}

void ToolbarDialog::addSpacer(const QString& identifier) {
    auto* item = new QListWidgetItem(ChartWindowController::toolbarItemLabel(identifier));
    item->setData(kIdentifierRole, identifier);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
    list_->insertItem(std::max(0, list_->currentRow() + 1), item);
}

void ToolbarDialog::move(int by) {
    const int row = list_->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= list_->count())
        return;
    QListWidgetItem* item = list_->takeItem(row);
    list_->insertItem(to, item);
    list_->setCurrentRow(to);
}

QStringList ToolbarDialog::items() const {
    QStringList out;
    for (int i = 0; i < list_->count(); ++i)
        if (list_->item(i)->checkState() == Qt::Checked)
            out << list_->item(i)->data(kIdentifierRole).toString();
    return out;
}

} // namespace mapolt
