#pragma once

#include "model/notification_center.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace mapolt::testing {

// The senders of every post of one notification while it lives.
struct NotificationRecorder {
    std::vector<const void*> senders;
    NotificationObserver observer;

    explicit NotificationRecorder(std::string_view name)
        : observer(name, nullptr, [this](const Notification& n) { senders.push_back(n.object); }) {}
    std::size_t countFrom(const void* sender) const {
        return static_cast<std::size_t>(std::count(senders.begin(), senders.end(), sender));
    }
};

} // namespace mapolt::testing
