#include "app/panels/welcome_window.h"

#include "app/app_contol.h"
#include "chart/preview_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStandardItemModel>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace mapolt {

class WelcomeWindow::Strip final : public QWidget {
  public:
    explicit Strip(WelcomeWindow& window) : window_(window) {
        setFixedSize(static_cast<int>(PreviewView::kWidth), static_cast<int>(PreviewView::kHeight));
        setCursor(Qt::PointingHandCursor);
        // The strip takes the keyboard at start: arrows choose a style, Return creates it.
        setFocusPolicy(Qt::StrongFocus);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        window_.preview_->draw(painter);
    }
    void mousePressEvent(QMouseEvent* event) override {
        // The strip counts y upwards from its bottom edge.
        const QPointF at(event->position().x(), PreviewView::kHeight - event->position().y());
        if (window_.preview_->mouseDown(at))
            update();
    }
    void keyPressEvent(QKeyEvent* event) override {
        const int step = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0;
        if (step == 0) {
            QWidget::keyPressEvent(event);
            return;
        }
        window_.chooseStyle(std::clamp(window_.chosenStyle() + step, 0, 2));
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        mousePressEvent(event);
        window_.createNew();
    }

  private:
    WelcomeWindow& window_;
};

WelcomeWindow::WelcomeWindow(AppContol& app, QWidget* parent)
    : QDialog(parent), app_(app), preview_(std::make_unique<PreviewView>()) {
    setWindowTitle(tr("Welcome to Mapolt"));
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(tr("Choose a style for a new plan, or open one."));
    layout->addWidget(heading);
    strip_ = new Strip(*this);
    layout->addWidget(strip_, 0, Qt::AlignHCenter);

    auto* row = new QHBoxLayout;
    recent_ = new QComboBox;
    recent_->addItem(tr("Open Recent"));
    for (const QString& path : app_.recentDocuments()) {
        // The file's name without its extension, percent escapes read as UTF-8.
        const QString name = QUrl::fromPercentEncoding(QFileInfo(path).completeBaseName().toUtf8());
        recent_->addItem(name, path);
    }
    recent_->setEnabled(recent_->count() >= 2);
    connect(recent_, &QComboBox::activated, this, [this](int item) { openRecent(item); });
    row->addWidget(recent_);
    auto* other = new QPushButton(tr("Open Other…"));
    // Only Create New answers Return, wherever the focus is.
    other->setAutoDefault(false);
    connect(other, &QPushButton::clicked, this, &WelcomeWindow::openOther);
    row->addWidget(other);
    row->addStretch();
    auto* close = new QPushButton(tr("Close"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, [this] {
        rememberStartupChoice();
        reject();
    });
    row->addWidget(close);
    auto* create = new QPushButton(tr("Create New"));
    create->setDefault(true);
    connect(create, &QPushButton::clicked, this, &WelcomeWindow::createNew);
    row->addWidget(create);
    layout->addLayout(row);

    showAtStart_ = new QCheckBox(tr("Show this window at start"));
    const QVariant shown = app_.preferences().value(QStringLiteral("showStartup"));
    showAtStart_->setChecked(!shown.isValid() || shown.toBool());
    layout->addWidget(showAtStart_);
    strip_->setFocus();
}

WelcomeWindow::~WelcomeWindow() = default;

int WelcomeWindow::chosenStyle() const {
    return preview_->getSelect();
}

void WelcomeWindow::rememberStartupChoice() {
    const QVariant shown = app_.preferences().value(QStringLiteral("showStartup"));
    // Absent means shown; the key is written only once the user changed it.
    if (shown.isValid() || !showAtStart_->isChecked())
        app_.preferences().setValue(QStringLiteral("showStartup"), showAtStart_->isChecked());
}

void WelcomeWindow::chooseStyle(int index) {
    // The thumbnails lie side by side; a click at a thumbnail's centre chooses it.
    const double third = PreviewView::kWidth / 3.0;
    preview_->mouseDown(QPointF(third * index + third / 2.0, PreviewView::kHeight / 2.0));
    strip_->update();
}

void WelcomeWindow::createNew() {
    rememberStartupChoice();
    accept();
    app_.newDocument(preview_->getSelect());
}

void WelcomeWindow::openRecent(int item) {
    if (item <= 0)
        return;
    const QString path = recent_->itemData(item).toString();
    rememberStartupChoice();
    accept();
    app_.openRecent(path);
}

void WelcomeWindow::openOther() {
    rememberStartupChoice();
    accept();
    app_.openWithPanel();
}

} // namespace mapolt
