#include "app/qt_alert_presenter.h"

#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace mapolt {

namespace {

QtAlertPresenter::Script& script() {
    static QtAlertPresenter::Script instance;
    return instance;
}

QMessageBox::Icon iconOf(AlertStyle style) {
    switch (style) {
    case AlertStyle::Warning:
        return QMessageBox::Warning;
    case AlertStyle::Informational:
        return QMessageBox::Information;
    case AlertStyle::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void QtAlertPresenter::setScript(Script s) {
    script() = std::move(s);
}

int QtAlertPresenter::runAlert(const Alert& alert) {
    if (script())
        return script()(alert);
    QMessageBox box(iconOf(alert.style), QStringLiteral("Mapolt"),
                    QString::fromStdString(alert.message), QMessageBox::NoButton, parent_);
    box.setInformativeText(QString::fromStdString(alert.informativeText));
    std::vector<QAbstractButton*> buttons;
    for (std::size_t i = 0; i < alert.buttons.size(); ++i) {
        const QString title = QString::fromStdString(alert.buttons[i]);
        // The first button is the default; a "Cancel" answers Escape.
        const auto role =
            title == QLatin1String("Cancel") ? QMessageBox::RejectRole : QMessageBox::AcceptRole;
        QPushButton* b = box.addButton(title, role);
        if (i == 0)
            box.setDefaultButton(b);
        buttons.push_back(b);
    }
    if (buttons.empty())
        buttons.push_back(box.addButton(QMessageBox::Ok));
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i])
            return static_cast<int>(i);
    // Closed without a button: the last one, which is the cancelling one where there is one.
    return static_cast<int>(buttons.size()) - 1;
}

} // namespace mapolt
