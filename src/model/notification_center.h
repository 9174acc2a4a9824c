#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace mapolt {

inline constexpr std::string_view kProjectChanged = "ProjectChanged";
inline constexpr std::string_view kRecalcProject = "RecalcProject";
inline constexpr std::string_view kProjectValuesChanged = "ProjectValuesChanged";
inline constexpr std::string_view kResourceChanged = "ResourceChanged";
inline constexpr std::string_view kColsChanged = "ColsChanged";
inline constexpr std::string_view kOutlineHasRedisplayed = "OutlineHasRedisplayed";

class Store;

// `store` is the document the change belongs to; none for a change of no one document.
struct Notification {
    std::string_view name;
    const void* object;
    const Store* store = nullptr;
};

// The process-wide notification centre. Delivery is synchronous, on the posting thread, in
// the order observers were added; an observer may add or remove observers while handling.
// An observer bound to a document's store hears only that document's posts and those of no
// document, so one document's edits never make another recompute.
class NotificationCenter {
  public:
    using Token = std::uint64_t;
    using Handler = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();

    // A null sender observes the name from every sender; a null store, every document.
    Token addObserver(std::string_view name, const void* sender, Handler handler,
                      const Store* store = nullptr);
    void removeObserver(Token token);
    void post(std::string_view name, const void* sender, const Store* store = nullptr);

  private:
    struct Entry {
        Token token;
        std::string name;
        const void* sender;
        const Store* store;
        std::shared_ptr<Handler> handler;
    };
    std::vector<Entry> entries_;
    Token nextToken_ = 1;
};

// Removes its observer when it goes out of scope.
class NotificationObserver {
  public:
    NotificationObserver() = default;
    NotificationObserver(std::string_view name, const void* sender,
                         NotificationCenter::Handler handler, const Store* store = nullptr)
        : token_(NotificationCenter::defaultCenter().addObserver(name, sender, std::move(handler),
                                                                 store)) {}
    ~NotificationObserver() { reset(); }
    NotificationObserver(NotificationObserver&& o) noexcept : token_(o.token_) { o.token_ = 0; }
    NotificationObserver& operator=(NotificationObserver&& o) noexcept {
        if (this != &o) {
            reset();
            token_ = o.token_;
            o.token_ = 0;
        }
        return *this;
    }
    void reset() {
        if (token_ != 0)
            NotificationCenter::defaultCenter().removeObserver(token_);
        token_ = 0;
    }

  private:
    NotificationCenter::Token token_ = 0;
};

} // namespace mapolt
