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

    OneToOne<StyleElement> taskList;
    OneToOne<StyleElement> taskLabels;
    OneToOne<StyleElement> resourceLabels;
    OneToOne<StyleElement> milestoneLabels;
    OneToOne<StyleColours> colours;
    OneToOne<StyleMargin> margins;
    OneToOne<StyleShadow> shadowStyle;
    OneToOne<Project> project;
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

    OneToOne<Style> styleAsTaskList;
    OneToOne<Style> styleAsTaskLabels;
    OneToOne<Style> styleAsResourceLabels;
    OneToOne<Style> styleAsMilestoneLabels;
};

class StyleColours final : public Record {
  public:
    static constexpr Entity kEntity = Entity::StyleColours;
    StyleColours() : Record(kEntity) {}

    OneToOne<Colour> background;
    OneToOne<Colour> background2;
    OneToOne<Colour> horizontal;
    OneToOne<Colour> vertical;
    OneToOne<Colour> nonWorking;
    OneToOne<Colour> links;
    OneToOne<Colour> outline;
    OneToOne<Colour> ruler1;
    OneToOne<Colour> ruler2;
    OneToOne<Colour> superTask;
    OneToOne<Colour> task;
    OneToOne<Colour> superTask2;
    OneToOne<Colour> task2;
    OneToOne<Colour> startLine;
    OneToOne<Colour> todayLine;
    OneToOne<Colour> grid;
    OneToOne<Style> style;
};

class StyleShadow final : public Record {
  public:
    static constexpr Entity kEntity = Entity::StyleShadow;
    StyleShadow() : Record(kEntity) {}

    Attribute<float> blur;
    Attribute<float> x;
    Attribute<float> y;

    OneToOne<Colour> colour;
    OneToOne<Style> style;
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

    OneToOne<Style> style;
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

    OneToOne<ATask> task;
    OneToOne<MileStone> milestone;
    OneToOne<Resource> resource;
    OneToOne<StyleShadow> shadowStyle;
    OneToOne<StyleColours> backgroundSlot;
    OneToOne<StyleColours> background2Slot;
    OneToOne<StyleColours> horizontalSlot;
    OneToOne<StyleColours> verticalSlot;
    OneToOne<StyleColours> nonWorkingSlot;
    OneToOne<StyleColours> linksSlot;
    OneToOne<StyleColours> outlineSlot;
    OneToOne<StyleColours> ruler1Slot;
    OneToOne<StyleColours> ruler2Slot;
    OneToOne<StyleColours> superTaskSlot;
    OneToOne<StyleColours> taskSlot;
    OneToOne<StyleColours> superTask2Slot;
    OneToOne<StyleColours> task2Slot;
    OneToOne<StyleColours> startLineSlot;
    OneToOne<StyleColours> todayLineSlot;
    OneToOne<StyleColours> gridSlot;
};

} // namespace mapolt
