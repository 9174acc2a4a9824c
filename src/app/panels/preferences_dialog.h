#pragma once

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace mapolt {

class AppPreferences;

// Every preference of the application, written when the dialog is accepted.
class PreferencesDialog final : public QDialog {
    Q_OBJECT

  public:
    explicit PreferencesDialog(AppPreferences& preferences, QWidget* parent = nullptr);

    void accept() override;

  private:
    struct ColourChoice {
        QString key;
        QPushButton* button;
        QColor colour;
    };
    struct SwitchChoice {
        QString key;
        QCheckBox* box;
    };
    void showColour(ColourChoice& choice);

    AppPreferences& preferences_;
    std::vector<ColourChoice> colours_;
    std::vector<SwitchChoice> switches_;
    QComboBox* modButtons_;
};

} // namespace mapolt
