#include "appearance/style_tree.h"

#include "appearance/colour_slots.h"
#include "model/store.h"

#include <optional>
#include <string>

namespace mapolt {

namespace {

constexpr RGBAColour kWhite{1.0f, 1.0f, 1.0f, 1.0f};
constexpr RGBAColour kBlack{0.0f, 0.0f, 0.0f, 1.0f};
constexpr RGBAColour kLightGrey{0.8f, 0.8f, 0.8f, 1.0f};
constexpr RGBAColour kRed{1.0f, 0.0f, 0.0f, 1.0f};

struct SlotDefault {
    ColourSlot slot;
    RGBAColour colour;
};

// background2, superTask2 and task2 are panel-only slots and start empty.
constexpr SlotDefault kSlotDefaults[] = {
    {ColourSlot::Background, kWhite},
    {ColourSlot::Horizontal, kLightGrey},
    {ColourSlot::Vertical, kLightGrey},
    {ColourSlot::NonWorking, kLightGrey},
    {ColourSlot::Links, kBlack},
    {ColourSlot::Outline, kBlack},
    {ColourSlot::Ruler1, {0.72f, 0.72f, 0.72f, 1.0f}},
    {ColourSlot::Ruler2, kWhite},
    {ColourSlot::SuperTask, {0.0f, 0.0f, 1.0f, 1.0f}},
    {ColourSlot::Task, {1.0f, 0.5f, 0.0f, 1.0f}},
    {ColourSlot::StartLine, kRed},
    {ColourSlot::TodayLine, kRed},
    {ColourSlot::Grid, kLightGrey},
};

// Fonts and margins keep a chart without a preset readable: the margins give the row
// height of 19 points a new document starts with.
constexpr const char* kDefaultFont = "DejaVu Sans";

StyleElement* insertElement(Store& store, double size, std::optional<std::int32_t> position) {
    auto* e = store.insert<StyleElement>();
    e->set(&StyleElement::font, std::string(kDefaultFont));
    e->set(&StyleElement::size, size);
    if (position)
        e->set(&StyleElement::position, *position);
    return e;
}

bool ownedOutsideStyles(const Colour& c) {
    return c.task() != nullptr || c.milestone() != nullptr || c.resource() != nullptr;
}

void deleteColour(Store& store, Colour* c) {
    if (c != nullptr && !ownedOutsideStyles(*c))
        store.deleteRecord(c);
}

} // namespace

Style* createDefaultStyle(Store& store) {
    auto* style = store.insert<Style>();
    style->set(&Style::taskList, insertElement(store, 11.0, std::nullopt));
    style->set(&Style::taskLabels, insertElement(store, 10.0, 1));
    style->set(&Style::resourceLabels, insertElement(store, 9.0, 3));
    style->set(&Style::milestoneLabels, insertElement(store, 10.0, std::nullopt));

    auto* colours = store.insert<StyleColours>();
    for (const SlotDefault& d : kSlotDefaults)
        colours->set(colourSlot(d.slot).member, insertColour(store, d.colour));
    style->set(&Style::colours, colours);

    auto* shadow = store.insert<StyleShadow>();
    shadow->set(&StyleShadow::colour, insertColour(store, kBlack));
    style->set(&Style::shadowStyle, shadow);

    auto* margins = store.insert<StyleMargin>();
    margins->set(&StyleMargin::top, 3.0f);
    margins->set(&StyleMargin::bottom, 3.0f);
    margins->set(&StyleMargin::height, 13.0f);
    margins->set(&StyleMargin::left, 4.0f);
    margins->set(&StyleMargin::right, 4.0f);
    style->set(&Style::margins, margins);
    return style;
}

Style* ensureStyle(Project& project) {
    if (Style* s = project.style())
        return s;
    UndoRegistrationPause pause(project.store().undoManager());
    Style* s = createDefaultStyle(project.store());
    project.set(&Project::style, s);
    return s;
}

void deleteStyleTree(Style* style) {
    if (style == nullptr || style->isDeleted())
        return;
    Store& store = style->store();
    if (StyleColours* colours = style->colours()) {
        for (const ColourSlotDesc& d : colourSlots())
            deleteColour(store, (colours->*d.member)());
        store.deleteRecord(colours);
    }
    if (StyleShadow* shadow = style->shadowStyle()) {
        deleteColour(store, shadow->colour());
        store.deleteRecord(shadow);
    }
    // One element may fill several roles; deleting it twice is harmless.
    for (StyleElement* e : {style->taskList(), style->taskLabels(), style->resourceLabels(),
                            style->milestoneLabels()})
        store.deleteRecord(e);
    store.deleteRecord(style->margins());
    store.deleteRecord(style);
}

} // namespace mapolt
