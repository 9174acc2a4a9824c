#pragma once

#include "model/entity_fwd.h"
#include "model/record.h"

namespace mapolt {

// One row of the outline: a task, a summary task or (without a name) a blank row.
class ATask final : public Record {
  public:
    static constexpr Entity kEntity = Entity::ATask;
    ATask() : Record(kEntity) {}

    // Renaming restarts completion, marks the duration invalid, gives a newly named task
    // 8 hours and takes the work away from a task whose name is cleared.
    void setName(std::optional<std::string> v);
    bool isBlank() const { return name.absent(); }

    Attribute<std::string> name;
    Attribute<float> hours;
    Attribute<float> elapsedTime;
    Attribute<float> daysFromStart;
    Attribute<float> daysTillEnd;
    Attribute<float> endDisplayDays;
    Attribute<float> percComp;
    Attribute<bool> lockedStart;
    Attribute<bool> lockedLength;
    Attribute<bool> adjustElapsed;
    Attribute<bool> adjustHours;
    Attribute<std::int32_t> viewOrder;
    Attribute<std::int32_t> uid;
    Attribute<bool> invalid;
    Attribute<bool> isExpanded;
    Attribute<bool> isCritical;
    Attribute<bool> isRoot;
    Attribute<float> cost;
    Attribute<float> baseStart;
    Attribute<float> baseHours;
    Attribute<float> baseElapsed;
    Attribute<bool> showCover;
    Attribute<bool> superGrouped;
    Attribute<float> leftMargin;
    Attribute<float> rightMargin;
    Attribute<float> mileText;
    Attribute<std::string> resText;

    ToOne<ATask> superTask;
    ToMany<ATask> subTasks;
    OneToOne<ATask> nextSibling;
    OneToOne<ATask> prevSibling;
    ToMany<DepLink> dependTasks;
    ToMany<DepLink> dependeeTasks;
    ToMany<ATaskResource> resources;
    ToMany<MileStone> milestone;
    OneToOne<Colour> colour;
    ToOne<Project> project;
};

// Finish-to-start: dependeeTask starts daysBetween days after dependTask ends.
class DepLink final : public Record {
  public:
    static constexpr Entity kEntity = Entity::DepLink;
    DepLink() : Record(kEntity) {}

    Attribute<bool> sticky;
    Attribute<double> daysBetween;

    ToOne<ATask> dependTask;
    ToOne<ATask> dependeeTask;
};

class MileStone final : public Record {
  public:
    static constexpr Entity kEntity = Entity::MileStone;
    MileStone() : Record(kEntity) {}

    void setName(std::optional<std::string> v);

    Attribute<std::string> name;
    Attribute<bool> useFixedDate;
    Attribute<Date> fixedDate;

    OneToOne<Colour> colour;
    ToMany<ATask> tasks;
    ToOne<Project> project;
};

} // namespace mapolt
