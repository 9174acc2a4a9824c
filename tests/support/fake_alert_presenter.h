#pragma once

#include "model/alert_presenter.h"

#include <deque>
#include <string>
#include <vector>

namespace mapolt::testing {

// Answers alerts by button title from a script and keeps every alert it was shown.
class FakeAlertPresenter : public AlertPresenter {
  public:
    void answerWith(std::string button) { answers_.push_back(std::move(button)); }
    int runAlert(const Alert& alert) override {
        shown.push_back(alert);
        if (answers_.empty())
            return -1;
        const std::string button = answers_.front();
        answers_.pop_front();
        for (std::size_t i = 0; i < alert.buttons.size(); ++i)
            if (alert.buttons[i] == button)
                return static_cast<int>(i);
        return -1;
    }

    std::vector<Alert> shown;

  private:
    std::deque<std::string> answers_;
};

} // namespace mapolt::testing
