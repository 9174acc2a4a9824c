#pragma once

#include "model/entity_fwd.h"
#include "model/record.h"

namespace mapolt {

class Resource final : public Record {
  public:
    static constexpr Entity kEntity = Entity::Resource;
    Resource() : Record(kEntity) {}

    // Also derives the initials and posts ProjectChanged.
    void setName(std::optional<std::string> v);
    // The first character of every piece between single blanks.
    static std::string initialsFor(const std::string& name);

    Attribute<std::string> name;
    Attribute<std::string> initials;
    Attribute<std::string> email;
    Attribute<float> hourlyRate;
    Attribute<std::int32_t> type;

    OneToOne<Colour> colour;
    OneToOne<Calandar> cal;
    ToMany<ATaskResource> taskResources;
    ToMany<AResourceUsage> resourceUsage;
};

class ATaskResource final : public Record {
  public:
    static constexpr Entity kEntity = Entity::ATaskResource;
    ATaskResource() : Record(kEntity) {}

    Attribute<float> perc;

    ToOne<ATask> task;
    ToOne<Resource> resource;
    ToMany<AResourceUsage> resourceUsage;
};

class AResourceUsage final : public Record {
  public:
    static constexpr Entity kEntity = Entity::AResourceUsage;
    AResourceUsage() : Record(kEntity) {}

    Attribute<float> daysFromStart;
    Attribute<float> hours;
    Attribute<float> usedHours;

    ToOne<ATaskResource> taskResource;
    ToOne<Resource> resource;
};

} // namespace mapolt
