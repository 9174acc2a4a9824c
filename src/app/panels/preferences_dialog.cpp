#include "app/panels/preferences_dialog.h"

#include "app/app_preferences.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace mapolt {

PreferencesDialog::PreferencesDialog(AppPreferences& preferences, QWidget* parent)
    : QDialog(parent), preferences_(preferences) {
    setWindowTitle(tr("Preferences"));
    auto* layout = new QVBoxLayout(this);

    auto* colourBox = new QGroupBox(tr("Colours"));
    auto* colourForm = new QFormLayout(colourBox);
    const std::pair<const char*, QString> colourKeys[] = {
        {kDefaultTaskColour, tr("New tasks:")},
        {kDefaultSuperTaskColour, tr("New summary tasks:")},
        {kNonWorkingColour, tr("Non-working days:")},
    };
    colours_.reserve(std::size(colourKeys));
    for (const auto& [key, label] : colourKeys) {
        auto* button = new QPushButton;
        button->setObjectName(QLatin1String(key));
        colours_.push_back({QLatin1String(key), button, preferences_.colourForKey(key)});
        colourForm->addRow(label, button);
    }
    for (std::size_t i = 0; i < colours_.size(); ++i) {
        showColour(colours_[i]);
        connect(colours_[i].button, &QPushButton::clicked, this, [this, i] {
            ColourChoice& c = colours_[i];
            const QColor chosen = QColorDialog::getColor(c.colour, this, tr("Choose a Colour"),
                                                         QColorDialog::ShowAlphaChannel);
            if (chosen.isValid()) {
                c.colour = chosen;
                showColour(c);
            }
        });
    }
    layout->addWidget(colourBox);

    auto* taskBox = new QGroupBox(tr("New tasks and links"));
    auto* taskLayout = new QVBoxLayout(taskBox);
    const std::pair<std::string_view, QString> switchKeys[] = {
        {kAutoAdjustElapsed, tr("Lengths follow the work through the calendars")},
        {kAutoAdjustHours, tr("Work follows the length when a bar is stretched")},
        {kAutoLockStart, tr("Lock the start of new tasks")},
        {kDepsSticky, tr("New links keep their lag (sticky)")},
        {kIsSnapped, tr("Snap dragged bars to half days, days or weeks")},
        {kMonoPrinting, tr("Print in black and white")},
        {kShowStartup, tr("Show the welcome window at start")},
    };
    for (const auto& [key, label] : switchKeys) {
        auto* box = new QCheckBox(label);
        const QString name = QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size()));
        box->setObjectName(name);
        const QVariant v = preferences_.value(name);
        box->setChecked(key == kShowStartup ? !v.isValid() || v.toBool() : v.toBool());
        switches_.push_back({name, box});
        taskLayout->addWidget(box);
    }
    auto* buttonsForm = new QFormLayout;
    modButtons_ = new QComboBox;
    modButtons_->setObjectName(QLatin1String(kModButtons.data()));
    modButtons_->addItems(
        {tr("Never"), tr("On the row under the pointer"), tr("On that row after the \".\" key")});
    modButtons_->setCurrentIndex(
        std::clamp(static_cast<int>(preferences_.integerForKey(kModButtons)), 0, 2));
    buttonsForm->addRow(tr("Edit buttons beside the bars:"), modButtons_);
    taskLayout->addLayout(buttonsForm);
    layout->addWidget(taskBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void PreferencesDialog::showColour(ColourChoice& choice) {
    QPixmap swatch(32, 16);
    swatch.fill(choice.colour);
    choice.button->setIcon(QIcon(swatch));
    choice.button->setText(choice.colour.name(QColor::HexArgb));
}

void PreferencesDialog::accept() {
    for (const ColourChoice& c : colours_)
        preferences_.setValue(c.key, c.colour);
    for (const SwitchChoice& s : switches_)
        preferences_.setValue(s.key, s.box->isChecked());
    preferences_.setValue(QLatin1String(kModButtons.data()), modButtons_->currentIndex());
    QDialog::accept();
}

} // namespace mapolt
