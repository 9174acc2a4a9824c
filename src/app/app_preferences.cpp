#include "app/app_preferences.h"

#include <QFile>
#include <QXmlStreamReader>

// The library's resources are linked statically; they are registered by hand.
static void registerAppResources() {
    Q_INIT_RESOURCE(mapolt);
}

namespace mapolt {

AppPreferences::AppPreferences() : settings_(QStringLiteral("Mapolt"), QStringLiteral("Mapolt")) {
    registerAppResources();
    registerDefaults(QStringLiteral(":/UserDefaults.plist"));
    if (defaults_.count(kDefaultTaskColour) == 0)
        registerDefault(kDefaultTaskColour, QColor::fromRgbF(1.0f, 0.5f, 0.0f, 1.0f));
    if (defaults_.count(kDefaultSuperTaskColour) == 0)
        registerDefault(kDefaultSuperTaskColour, QColor::fromRgbF(0.0f, 0.0f, 1.0f, 1.0f));
    if (defaults_.count(kNonWorkingColour) == 0)
        registerDefault(kNonWorkingColour, QColor::fromRgbF(0.8f, 0.8f, 0.8f, 1.0f));
}

bool AppPreferences::registerDefaults(const QString& plistPath) {
    QFile file(plistPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QXmlStreamReader xml(&file);
    QString key;
    bool inDict = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = xml.name();
        if (name == QLatin1String("dict")) {
            inDict = true;
        } else if (!inDict) {
            continue;
        } else if (name == QLatin1String("key")) {
            key = xml.readElementText();
        } else if (!key.isEmpty()) {
            if (name == QLatin1String("true") || name == QLatin1String("false"))
                registerDefault(key, name == QLatin1String("true"));
            else if (name == QLatin1String("integer"))
                registerDefault(key, xml.readElementText().toLongLong());
            else if (name == QLatin1String("string"))
                registerDefault(key, xml.readElementText());
            key.clear();
        }
    }
    return !xml.hasError() && inDict;
}

void AppPreferences::registerDefault(const QString& key, const QVariant& value) {
    defaults_[key] = value;
}

QVariant AppPreferences::value(const QString& key) const {
    if (settings_.contains(key))
        return settings_.value(key);
    const auto found = defaults_.find(key);
    return found != defaults_.end() ? found->second : QVariant();
}

bool AppPreferences::contains(const QString& key) const {
    return settings_.contains(key) || defaults_.count(key) != 0;
}

QVariant AppPreferences::lookup(std::string_view key) const {
    return value(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())));
}

bool AppPreferences::boolForKey(std::string_view key) const {
    return lookup(key).toBool();
}

long AppPreferences::integerForKey(std::string_view key) const {
    return static_cast<long>(lookup(key).toLongLong());
}

QColor AppPreferences::colourForKey(const QString& key) const {
    return value(key).value<QColor>();
}

void AppPreferences::setValue(const QString& key, const QVariant& value) {
    settings_.setValue(key, value);
}

} // namespace mapolt
