#include "chart/chart_images.h"

#include "appearance/preset_styles.h"

#include <map>
#include <string>

namespace mapolt {

const QImage& chartImage(std::string_view name) {
    static std::map<std::string, QImage, std::less<>> images;
    const auto found = images.find(name);
    if (found != images.end())
        return found->second;
    const std::filesystem::path file = resourceDirectory() / (std::string(name) + ".xpm");
    QImage image(QString::fromStdString(file.string()));
    return images.emplace(std::string(name), std::move(image)).first->second;
}

} // namespace mapolt
