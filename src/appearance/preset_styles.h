#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace mapolt {

class Project;

// A style shipped with the application, as the user sees it and as its file is named.
struct PresetStyle {
    std::string_view displayName;
    std::string_view resourceName;
};

inline constexpr std::string_view kStyleFileExtension = "zqstyle";

// In the order of their thumbnails.
const std::array<PresetStyle, 3>& presetStyles();
const PresetStyle* presetNamed(std::string_view displayName);
const PresetStyle* presetForResource(std::string_view resourceName);

// The application's resources: $MAPOLT_RESOURCES when set, else the installed folder
// beside the running program when there is one, else the folder the build was configured
// with.
std::filesystem::path resourceDirectory();
// Where the program `executable` finds its resources once installed (PREFIX/share/mapolt
// for PREFIX/bin/mapolt).
std::filesystem::path installedResourceDirectory(const std::filesystem::path& executable);
std::filesystem::path presetPath(const PresetStyle& preset,
                                 const std::filesystem::path& directory = resourceDirectory());
// The preset file's text; none when it is missing or unreadable.
std::optional<std::string>
readPresetText(const PresetStyle& preset,
               const std::filesystem::path& directory = resourceDirectory());

// Replaces the project's style with the style file `text` and deletes the old tree.
// False, with the project's style unchanged, when the text is no style file.
bool applyStyleText(Project& project, std::string_view text);
bool applyPresetStyle(Project& project, const PresetStyle& preset,
                      const std::filesystem::path& directory = resourceDirectory());

} // namespace mapolt
