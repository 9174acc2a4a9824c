#pragma once

#include "model/entity_fwd.h"
#include "model/record.h"

namespace mapolt {

class Style final : public Record {
  public:
    static constexpr Entity kEntity = Entity::Style;
    Style() : Record(kEntity) {}

    Attribute<bool> horizLines;
    Attribute<bool> vertLines;
    Attribute<bool> nonWorking;
    Attribute<bool> startLine;
    Attribute<bool> rulerGradient;
    Attribute<bool> useTaskForRule;
    Attribute<bool> barShadow;
    Attribute<bool> barRounded;
    Attribute<bool> barOutline;
    Attribute<bool> taskGradient;
    Attribute<bool> superTaskGradient;
    Attribute<bool> labelShadow;
    Attribute<bool> barsAsResource;
    Attribute<std::int32_t> resourceCol;
    Attribute<float> coverOpacity;
    Attribute<bool> boldHeaders;

    ToOne<StyleElement> taskList;
    ToOne<StyleElement> taskLabels;
    ToOne<StyleElement> resourceLabels;
    ToOne<StyleElement> milestoneLabels;
    ToOne<StyleColours> colours;
    ToOne<StyleMargin> margins;
    ToOne<StyleShadow> shadowStyle;
    ToOne<Project> project;
};

// Text style of one kind of label.
class StyleElement final : public Record {
  public:
    static constexpr Entity kEntity = Entity::StyleElement;
    StyleElement() : Record(kEntity) {}

    Attribute<std::string> font;
    Attribute<double> size;
    Attribute<bool> bold;
    Attribute<std::int32_t> position;
    Attribute<bool> colourAsElem;

    ToOne<Style> styleAsTaskList;
    ToOne<Style> styleAsTaskLabels;
    ToOne<Style> styleAsResourceLabels;
    ToOne<Style> styleAsMilestoneLabels;
};

class StyleColours final : public Record {
  public:
    static constexpr Entity kEntity = Entity::StyleColours;
    StyleColours() : Record(kEntity) {}

    ToOne<Colour> background;
    ToOne<Colour> background2;
    ToOne<Colour> horizontal;
    ToOne<Colour> vertical;
    ToOne<Colour> nonWorking;
    ToOne<Colour> links;
    ToOne<Colour> outline;
    ToOne<Colour> ruler1;
    ToOne<Colour> ruler2;
    ToOne<Colour> superTask;
    ToOne<Colour> task;
    ToOne<Colour> superTask2;
    ToOne<Colour> task2;
    ToOne<Colour> startLine;
    ToOne<Colour> todayLine;
    ToOne<Colour> grid;
    ToOne<Style> style;
};

class StyleShadow final : public Record {
  public:
    static constexpr Entity kEntity = Entity::StyleShadow;
    StyleShadow() : Record(kEntity) {}

    Attribute<float> blur;
    Attribute<float> x;
    Attribute<float> y;

    ToOne<Colour> colour;
    ToOne<Style> style;
};

class StyleMargin final : public Record {
  public:
    static constexpr Entity kEntity = Entity::StyleMargin;
    StyleMargin() : Record(kEntity) {}

    Attribute<float> top;
    Attribute<float> bottom;
    Attribute<float> height;
    Attribute<float> left;
    Attribute<float> right;

    ToOne<Style> style;
};

// Never shared: each owner has its own colour record, so the owner ends are one-to-one.
class Colour final : public Record {
  public:
    static constexpr Entity kEntity = Entity::Colour;
    Colour() : Record(kEntity) {}

    Attribute<float> red;
    Attribute<float> green;
    Attribute<float> blue;
    Attribute<float> alpha;

    ToOne<ATask> task;
    ToOne<MileStone> milestone;
    ToOne<Resource> resource;
    ToOne<StyleShadow> shadowStyle;
    ToOne<StyleColours> backgroundSlot;
    ToOne<StyleColours> background2Slot;
    ToOne<StyleColours> horizontalSlot;
    ToOne<StyleColours> verticalSlot;
    ToOne<StyleColours> nonWorkingSlot;
    ToOne<StyleColours> linksSlot;
    ToOne<StyleColours> outlineSlot;
    ToOne<StyleColours> ruler1Slot;
    ToOne<StyleColours> ruler2Slot;
    ToOne<StyleColours> superTaskSlot;
    ToOne<StyleColours> taskSlot;
    ToOne<StyleColours> superTask2Slot;
    ToOne<StyleColours> task2Slot;
    ToOne<StyleColours> startLineSlot;
    ToOne<StyleColours> todayLineSlot;
    ToOne<StyleColours> gridSlot;
};

} // namespace mapolt
