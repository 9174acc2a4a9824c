#include "model/preferences.h"

namespace mapolt {

// New tasks follow their work through the calendars; nothing is locked or sticky unless
// the user asks for it.
MemoryPreferences::MemoryPreferences() {
    registerDefault(kAutoAdjustElapsed, true);
    registerDefault(kAutoAdjustHours, false);
    registerDefault(kAutoLockStart, false);
    registerDefault(kDepsSticky, false);
    registerDefault(kIsSnapped, true);
    registerDefault(kModButtons, 1L);
    registerDefault(kMonoPrinting, false);
}

void MemoryPreferences::registerDefault(std::string_view key, Setting value) {
    defaults_.insert_or_assign(std::string(key), value);
}

void MemoryPreferences::set(std::string_view key, Setting value) {
    values_.insert_or_assign(std::string(key), value);
}

const MemoryPreferences::Setting* MemoryPreferences::find(std::string_view key) const {
    if (const auto it = values_.find(key); it != values_.end())
        return &it->second;
    if (const auto it = defaults_.find(key); it != defaults_.end())
        return &it->second;
    return nullptr;
}

bool MemoryPreferences::boolForKey(std::string_view key) const {
    const Setting* s = find(key);
    if (s == nullptr)
        return false;
    if (const bool* b = std::get_if<bool>(s))
        return *b;
    return std::get<long>(*s) != 0;
}

long MemoryPreferences::integerForKey(std::string_view key) const {
    const Setting* s = find(key);
    if (s == nullptr)
        return 0;
    if (const long* l = std::get_if<long>(s))
        return *l;
    return std::get<bool>(*s) ? 1 : 0;
}

} // namespace mapolt
