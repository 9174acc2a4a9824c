#include "appearance/colour_properties.h"

namespace mapolt {

const std::array<ColourPropertyDesc, kColourPropertyCount>& colourProperties() {
    using P = ColourProperty;
    using S = ColourSlot;
    static const std::array<ColourPropertyDesc, kColourPropertyCount> properties{{
        {P::BackgroundColour, "backgroundColour", S::Background, false},
        {P::BackgroundColour2, "backgroundColour2", S::Background2, false},
        {P::HorizontalColour, "horizontalColour", S::Horizontal, false},
        {P::VerticalColour, "verticalColour", S::Vertical, false},
        {P::LinksColour, "linksColour", S::Links, false},
        {P::NonWorkingColour, "nonWorkingColour", S::NonWorking, false},
        {P::OutlineColour, "outlineColour", S::Outline, false},
        {P::Ruler1Colour, "ruler1Colour", S::Ruler1, false},
        {P::Ruler2Colour, "ruler2Colour", S::Ruler2, false},
        {P::TaskColour, "taskColour", S::Task, false},
        {P::SuperTaskColour, "superTaskColour", S::SuperTask, false},
        {P::TaskColour2, "taskColour2", S::Task2, false},
        {P::SuperTaskColour2, "superTaskColour2", S::SuperTask2, false},
        {P::GridColour, "gridColour", S::Grid, false},
        {P::ShadowColour, "shadowColour", std::nullopt, false},
        {P::StartLineColour, "startLineColour", S::StartLine, true},
        {P::TodayLineColour, "todayLineColour", S::TodayLine, true},
    }};
    return properties;
}

const ColourPropertyDesc& colourProperty(ColourProperty property) {
    return colourProperties()[static_cast<std::size_t>(property)];
}

} // namespace mapolt
