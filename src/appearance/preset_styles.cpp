#include "appearance/preset_styles.h"

#include "appearance/style_tree.h"
#include "interchange/json_import.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

namespace mapolt {

const std::array<PresetStyle, 3>& presetStyles() {
    static constexpr std::array<PresetStyle, 3> presets{{
        {"Clean", "clean"},
        {"School", "school"},
        {"Autumn", "Autumn"},
    }};
    return presets;
}

const PresetStyle* presetNamed(std::string_view displayName) {
    for (const PresetStyle& p : presetStyles())
        if (p.displayName == displayName)
            return &p;
    return nullptr;
}

const PresetStyle* presetForResource(std::string_view resourceName) {
    for (const PresetStyle& p : presetStyles())
        if (p.resourceName == resourceName)
            return &p;
    return nullptr;
}

std::filesystem::path resourceDirectory() {
    if (const char* dir = std::getenv("MAPOLT_RESOURCES"); dir != nullptr && *dir != '\0')
        return dir;
    // An installed program must not depend on the source tree it was built from.
    std::error_code ec;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        std::filesystem::path installed = installedResourceDirectory(executable);
        if (std::filesystem::is_directory(installed, ec))
            return installed;
    }
    return MAPOLT_RESOURCE_DIR;
}

std::filesystem::path installedResourceDirectory(const std::filesystem::path& executable) {
    return (executable.parent_path() / MAPOLT_INSTALLED_RESOURCES).lexically_normal();
}

std::filesystem::path presetPath(const PresetStyle& preset,
                                 const std::filesystem::path& directory) {
    std::string file(preset.resourceName);
    file += '.';
    file += kStyleFileExtension;
    return directory / file;
}

std::optional<std::string> readPresetText(const PresetStyle& preset,
                                          const std::filesystem::path& directory) {
    std::ifstream in(presetPath(preset, directory), std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        return std::nullopt;
    return std::move(text).str();
}

bool applyStyleText(Project& project, std::string_view text) {
    Style* old = ensureStyle(project);
    if (!JSONImport().setStyleFromJSON(text, project))
        return false;
    if (project.style() != old)
        deleteStyleTree(old);
    return true;
}

bool applyPresetStyle(Project& project, const PresetStyle& preset,
                      const std::filesystem::path& directory) {
    const std::optional<std::string> text = readPresetText(preset, directory);
    return text.has_value() && applyStyleText(project, *text);
}

} // namespace mapolt
