#pragma once

#include "model/style.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace mapolt {

class Store;

// A colour value as the panels and renderers see it; components from 0 to 1.
struct RGBAColour {
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float alpha = 1.0f;

    friend bool operator==(const RGBAColour&, const RGBAColour&) = default;
};

// The sixteen colour slots of a style, in the order the style file lists them.
enum class ColourSlot : std::uint8_t {
    Background,
    Background2,
    Horizontal,
    Vertical,
    NonWorking,
    Links,
    Outline,
    Ruler1,
    Ruler2,
    SuperTask,
    Task,
    SuperTask2,
    Task2,
    StartLine,
    TodayLine,
    Grid,
};
inline constexpr std::size_t kColourSlotCount = 16;

struct ColourSlotDesc {
    ColourSlot slot;
    std::string_view name;
    OneToOne<Colour> StyleColours::*member;
};

const std::array<ColourSlotDesc, kColourSlotCount>& colourSlots();
const ColourSlotDesc& colourSlot(ColourSlot slot);

RGBAColour rgbaOf(const Colour& colour);
// Rewrites the record's components in place with notifying writes.
void writeRGBA(Colour& colour, const RGBAColour& value);
Colour* insertColour(Store& store, const RGBAColour& value);

} // namespace mapolt
