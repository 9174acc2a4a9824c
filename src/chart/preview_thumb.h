#pragma once

#include "appearance/preset_styles.h"
#include "model/store.h"

#include <QString>

#include <filesystem>
#include <string_view>

class QPainter;

namespace mapolt {

class Project;
class Style;

// A miniature chart of one preset style, about 121 by 131 points, drawn in its own
// coordinates with the origin at the bottom left and y pointing up.
class PreviewThumb {
  public:
    explicit PreviewThumb(std::string_view resourceName,
                          const std::filesystem::path& directory = resourceDirectory());
    PreviewThumb(const PreviewThumb&) = delete;
    PreviewThumb& operator=(const PreviewThumb&) = delete;

    // None when the preset file could not be read; the thumbnail then has no colours.
    const Style* style() const;
    void draw(QPainter& painter, const QString& displayName) const;

  private:
    Store store_;
    Project* project_;
    bool loaded_ = false;
};

} // namespace mapolt
