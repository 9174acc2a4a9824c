#pragma once

#include "model/notification_center.h"

#include <string_view>
#include <vector>

namespace mapolt::testing {

// The senders of every post of one notification while it lives.
class NotificationRecorder {
  public:
    explicit NotificationRecorder(std::string_view name)
        : observer_(name, nullptr, [this](const Notification& n) { senders.push_back(n.object); }) {
    }

    std::size_t countFrom(const void* sender) const {
        std::size_t n = 0;
        for (const void* s : senders)
            n += s == sender ? 1 : 0;
        return n;
    }

    std::vector<const void*> senders;

  private:
    NotificationObserver observer_;
};

} // namespace mapolt::testing
