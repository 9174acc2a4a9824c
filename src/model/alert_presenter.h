#pragma once

#include <string>
#include <vector>

namespace mapolt {

enum class AlertStyle { Warning, Informational, Critical };

// A modal question or message; `buttons` in the order shown, the first one the default.
struct Alert {
    AlertStyle style = AlertStyle::Warning;
    std::string message;
    std::string informativeText;
    std::vector<std::string> buttons;
};

// Asks the user; the app shows a dialog, tests answer from a script.
class AlertPresenter {
  public:
    virtual ~AlertPresenter() = default;
    // Index of the button the user chose in `alert.buttons` (0 for a single "OK").
    virtual int runAlert(const Alert& alert) = 0;
};

} // namespace mapolt
