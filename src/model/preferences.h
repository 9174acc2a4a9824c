#pragma once

#include <map>
#include <string>
#include <string_view>
#include <variant>

namespace mapolt {

inline constexpr std::string_view kAutoAdjustElapsed = "AutoAdjustElapsed";
inline constexpr std::string_view kAutoAdjustHours = "AutoAdjustHours";
inline constexpr std::string_view kAutoLockStart = "AutoLockStart";
inline constexpr std::string_view kDepsSticky = "DepsSticky";
inline constexpr std::string_view kIsSnapped = "isSnapped";
inline constexpr std::string_view kModButtons = "modButtons";
inline constexpr std::string_view kMonoPrinting = "monoPrinting";
inline constexpr std::string_view kShowStartup = "showStartup";

// The per-user settings the core reads. The desktop app backs it with its settings store;
// the CLI and tests use MemoryPreferences.
class Preferences {
  public:
    virtual ~Preferences() = default;
    virtual bool boolForKey(std::string_view key) const = 0;
    virtual long integerForKey(std::string_view key) const = 0;
};

// Registered defaults under explicit values; an unknown key reads NO / 0.
class MemoryPreferences : public Preferences {
  public:
    using Setting = std::variant<bool, long>;

    MemoryPreferences();
    void registerDefault(std::string_view key, Setting value);
    void set(std::string_view key, Setting value);
    bool boolForKey(std::string_view key) const override;
    long integerForKey(std::string_view key) const override;

  private:
    const Setting* find(std::string_view key) const;
    std::map<std::string, Setting, std::less<>> defaults_;
    std::map<std::string, Setting, std::less<>> values_;
};

} // namespace mapolt
