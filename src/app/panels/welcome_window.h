#pragma once

#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;

namespace mapolt {

class AppContol;
class PreviewView;

// The window at start: a new document in one of the three preset styles, a recent
// document, or another file. Each choice closes it.
class WelcomeWindow final : public QDialog {
    Q_OBJECT

  public:
    explicit WelcomeWindow(AppContol& app, QWidget* parent = nullptr);
    ~WelcomeWindow() override;

    QComboBox& recentPopup() { return *recent_; }
    int chosenStyle() const;
    void chooseStyle(int index);
    void createNew();
    void openRecent(int item);
    void openOther();

  private:
    class Strip;
    void rememberStartupChoice();

    AppContol& app_;
    std::unique_ptr<PreviewView> preview_;
    Strip* strip_;
    QComboBox* recent_;
    QCheckBox* showAtStart_;
};

} // namespace mapolt
