#pragma once

#include "model/entity_fwd.h"
#include "model/record.h"

namespace mapolt {

class Project final : public Record {
  public:
    static constexpr Entity kEntity = Entity::Project;
    Project() : Record(kEntity) {}

    Attribute<std::string> name;
    Attribute<Date> startDate;
    Attribute<std::int32_t> uid;
    Attribute<float> dayWidth;
    Attribute<bool> showDivider;
    Attribute<float> dividerPosition;

    OneToOne<Style> style;
    OneToOne<PrintSettings> printSettings;
    OneToOne<Calandar> cal;
    ToMany<MileStone> milestones;
    ToMany<ATask> tasks;
    ToMany<Baseline> baselines;
    ToMany<ColumnStates> columnStates;

    // The divider shows unless it was explicitly turned off.
    bool showsDivider() const { return showDivider.optional().value_or(true); }
};

} // namespace mapolt
