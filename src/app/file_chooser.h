#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace mapolt {

// The open, save and folder panels. Tests answer them from a script instead.
class FileChooser {
  public:
    enum class Kind { Open, Save, Folder };
    // The chosen path, or empty when the user cancelled.
    static QString choose(QWidget* parent, Kind kind, const QString& title, const QString& filter,
                          const QString& suggestedName = {});
    using Script = std::function<QString(Kind, const QString& title)>;
    static void setScript(Script script);
};

// The plan files' filter for the panels.
inline const QString kPlanFileFilter = QStringLiteral("Mapolt plans (*.mapolt);;All files (*)");

} // namespace mapolt
