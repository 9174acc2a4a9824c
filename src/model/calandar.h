#pragma once

#include "model/entity_fwd.h"
#include "model/record.h"

namespace mapolt {

class Calandar final : public Record {
  public:
    static constexpr Entity kEntity = Entity::Calandar;
    Calandar() : Record(kEntity) {}

    Attribute<std::string> name;
    Attribute<bool> isBase;
    Attribute<bool> isRoot;

    ToOne<Calandar> superCalandar;
    ToMany<Calandar> subCalandars;
    OneToOne<Resource> resource;
    ToMany<Week> weekWork;
    ToMany<Day> workingDays;
    OneToOne<Project> project;
};

// Working hours of one weekday (viewOrder 0 = Sunday ... 6 = Saturday).
class Week final : public Record {
  public:
    static constexpr Entity kEntity = Entity::Week;
    Week() : Record(kEntity) {}

    Attribute<std::int32_t> viewOrder;
    Attribute<std::string> day;
    Attribute<double> hours;

    ToOne<Calandar> cal;
};

// Working hours of one date, overriding the weekly pattern.
class Day final : public Record {
  public:
    static constexpr Entity kEntity = Entity::Day;
    Day() : Record(kEntity) {}

    Attribute<Date> date;
    Attribute<float> hours;
    Attribute<std::string> reason;

    ToOne<Calandar> cal;
};

} // namespace mapolt
