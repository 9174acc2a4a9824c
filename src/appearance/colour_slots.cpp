#include "appearance/colour_slots.h"

#include "model/store.h"

namespace mapolt {

const std::array<ColourSlotDesc, kColourSlotCount>& colourSlots() {
    using S = ColourSlot;
    using C = StyleColours;
    static const std::array<ColourSlotDesc, kColourSlotCount> slots{{
        {S::Background, "background", &C::background},
        {S::Background2, "background2", &C::background2},
        {S::Horizontal, "horizontal", &C::horizontal},
        {S::Vertical, "vertical", &C::vertical},
        {S::NonWorking, "nonWorking", &C::nonWorking},
        {S::Links, "links", &C::links},
        {S::Outline, "outline", &C::outline},
        {S::Ruler1, "ruler1", &C::ruler1},
        {S::Ruler2, "ruler2", &C::ruler2},
        {S::SuperTask, "superTask", &C::superTask},
        {S::Task, "task", &C::task},
        {S::SuperTask2, "superTask2", &C::superTask2},
        {S::Task2, "task2", &C::task2},
        {S::StartLine, "startLine", &C::startLine},
        {S::TodayLine, "todayLine", &C::todayLine},
        {S::Grid, "grid", &C::grid},
    }};
    return slots;
}

const ColourSlotDesc& colourSlot(ColourSlot slot) {
    return colourSlots()[static_cast<std::size_t>(slot)];
}

RGBAColour rgbaOf(const Colour& colour) {
    return RGBAColour{colour.red(), colour.green(), colour.blue(), colour.alpha()};
}

void writeRGBA(Colour& colour, const RGBAColour& value) {
    colour.set(&Colour::red, value.red);
    colour.set(&Colour::green, value.green);
    colour.set(&Colour::blue, value.blue);
    colour.set(&Colour::alpha, value.alpha);
}

Colour* insertColour(Store& store, const RGBAColour& value) {
    auto* colour = store.insert<Colour>();
    writeRGBA(*colour, value);
    return colour;
}

} // namespace mapolt
