#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mapolt {

inline constexpr std::string_view kProjectMPBoardType = "ProjectMPBoardType";
inline constexpr std::string_view kPlainTextType = "text/plain;charset=utf-8";

// The system clipboard as the core sees it: typed byte strings. The app binds the desktop
// clipboard; tests and the CLI use MemoryPasteboard.
class Pasteboard {
  public:
    virtual ~Pasteboard() = default;
    // Replaces everything on the pasteboard with these representations, in order.
    virtual void setContents(std::vector<std::pair<std::string, std::string>> items) = 0;
    virtual std::optional<std::string> dataForType(std::string_view type) const = 0;
};

class MemoryPasteboard final : public Pasteboard {
  public:
    void setContents(std::vector<std::pair<std::string, std::string>> items) override {
        items_ = std::move(items);
    }
    std::optional<std::string> dataForType(std::string_view type) const override {
        for (const auto& [t, bytes] : items_)
            if (t == type)
                return bytes;
        return std::nullopt;
    }
    const std::vector<std::pair<std::string, std::string>>& items() const { return items_; }

  private:
    std::vector<std::pair<std::string, std::string>> items_;
};

} // namespace mapolt
