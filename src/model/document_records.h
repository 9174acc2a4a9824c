#pragma once

#include "model/entity_fwd.h"
#include "model/record.h"

namespace mapolt {

class Baseline final : public Record {
  public:
    static constexpr Entity kEntity = Entity::Baseline;
    Baseline() : Record(kEntity) {}

    Attribute<Date> baselineDate;
    Attribute<Date> startDate;
    Attribute<Date> endDate;
    Attribute<float> totalElapsedTime;
    Attribute<float> totalTaskTime;
    Attribute<float> totalResourceTime;
    Attribute<float> cost;
    Attribute<float> unassignedResource;

    ToOne<Project> project;
};

class PrintSettings final : public Record {
  public:
    static constexpr Entity kEntity = Entity::PrintSettings;
    PrintSettings() : Record(kEntity) {}

    Attribute<bool> landscape;
    Attribute<float> scale;

    OneToOne<Project> project;
};

class ColumnStates final : public Record {
  public:
    static constexpr Entity kEntity = Entity::ColumnStates;
    ColumnStates() : Record(kEntity) {}

    Attribute<std::string> name;
    Attribute<std::int32_t> viewOrder;
    Attribute<bool> active;
    Attribute<float> width;

    ToOne<Project> project;
};

} // namespace mapolt
