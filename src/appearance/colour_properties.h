#pragma once

#include "appearance/colour_slots.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace mapolt {

// The colour wells of the appearance panel.
enum class ColourProperty : std::uint8_t {
    BackgroundColour,
    BackgroundColour2,
    HorizontalColour,
    VerticalColour,
    LinksColour,
    NonWorkingColour,
    OutlineColour,
    Ruler1Colour,
    Ruler2Colour,
    TaskColour,
    SuperTaskColour,
    TaskColour2,
    SuperTaskColour2,
    GridColour,
    ShadowColour,
    StartLineColour,
    TodayLineColour,
};
inline constexpr std::size_t kColourPropertyCount = 17;

struct ColourPropertyDesc {
    ColourProperty property;
    std::string_view name;
    // The slot of the style's colours; none for the shadow's colour.
    std::optional<ColourSlot> slot;
    // Editing the start or today line colour leaves the chosen preset shown.
    bool keepsPreset;
};

const std::array<ColourPropertyDesc, kColourPropertyCount>& colourProperties();
const ColourPropertyDesc& colourProperty(ColourProperty property);

} // namespace mapolt
