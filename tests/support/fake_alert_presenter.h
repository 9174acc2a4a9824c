#pragma once

#include "model/alert_presenter.h"

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

namespace mapolt::testing {

// Answers each alert with the next button title of `answers` (none left: no button).
struct FakeAlertPresenter : AlertPresenter {
    std::deque<std::string> answers;
    std::vector<Alert> shown;

    int runAlert(const Alert& alert) override {
        shown.push_back(alert);
        if (answers.empty())
            return -1;
        const auto it = std::find(alert.buttons.begin(), alert.buttons.end(), answers.front());
        answers.pop_front();
        return it == alert.buttons.end() ? -1 : static_cast<int>(it - alert.buttons.begin());
    }
};

} // namespace mapolt::testing
