#include "model/notification_center.h"

#include <algorithm>
#include <memory>

namespace mapolt {

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

NotificationCenter::Token NotificationCenter::addObserver(std::string_view name, const void* sender,
                                                          Handler handler, const Store* store) {
    const Token token = nextToken_++;
    entries_.push_back(
        {token, std::string(name), sender, store, std::make_shared<Handler>(std::move(handler))});
    return token;
}

void NotificationCenter::removeObserver(Token token) {
    std::erase_if(entries_, [&](const Entry& e) { return e.token == token; });
}

void NotificationCenter::post(std::string_view name, const void* sender, const Store* store) {
    std::vector<std::pair<Token, std::shared_ptr<Handler>>> targets;
    for (const Entry& e : entries_)
        if (e.name == name && (e.sender == nullptr || e.sender == sender) &&
            (e.store == nullptr || store == nullptr || e.store == store))
            targets.emplace_back(e.token, e.handler);
    const Notification n{name, sender, store};
    for (const auto& target : targets) {
        // Skip observers removed by an earlier handler of this same post.
        const bool live = std::any_of(entries_.begin(), entries_.end(),
                                      [&](const Entry& e) { return e.token == target.first; });
        if (live)
            (*target.second)(n);
    }
}

} // namespace mapolt
