#pragma once

#include "model/preferences.h"

#include <QColor>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <map>

namespace mapolt {

inline constexpr char kDefaultTaskColour[] = "defaultTaskColour";
inline constexpr char kDefaultSuperTaskColour[] = "defaultSuperTaskColour";
inline constexpr char kNonWorkingColour[] = "nonWorkingColour";

// The user's preferences in the desktop's settings store (~/.config/Mapolt/Mapolt.conf),
// over defaults registered at start from the "UserDefaults" resource; the three colours are
// filled in here when the resource has none.
class AppPreferences final : public Preferences {
  public:
    AppPreferences();

    // Reads a property list of defaults (booleans, integers, strings); false when it is no
    // such list. Keys already registered are replaced.
    bool registerDefaults(const QString& plistPath);
    void registerDefault(const QString& key, const QVariant& value);

    bool boolForKey(std::string_view key) const override;
    long integerForKey(std::string_view key) const override;
    QVariant value(const QString& key) const;
    bool contains(const QString& key) const;
    QColor colourForKey(const QString& key) const;
    void setValue(const QString& key, const QVariant& value);

    QSettings& settings() { return settings_; }

  private:
    QVariant lookup(std::string_view key) const;

    QSettings settings_;
    std::map<QString, QVariant> defaults_;
};

} // namespace mapolt
