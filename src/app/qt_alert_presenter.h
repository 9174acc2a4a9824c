#pragma once

#include "model/alert_presenter.h"

#include <QPointer>
#include <QWidget>

#include <functional>

namespace mapolt {

// Alerts as modal message boxes over a window. Tests replace the answer with a script.
class QtAlertPresenter final : public AlertPresenter {
  public:
    using Script = std::function<int(const Alert&)>;

    void setParent(QWidget* parent) { parent_ = parent; }
    int runAlert(const Alert& alert) override;

    // While set, every alert is answered by `script` instead of a dialog.
    static void setScript(Script script);

  private:
    QPointer<QWidget> parent_;
};

} // namespace mapolt
