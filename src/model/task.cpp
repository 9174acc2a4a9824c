#include "model/task.h"

#include "model/notification_center.h"

namespace mapolt {

void ATask::setName(std::optional<std::string> v) {
    const bool empty = !v || v->empty();
    const Value before = name.absent() ? Value{} : Value{*name.optional()};
    if (empty) {
        set(&ATask::hours, std::nullopt);
        setPrimitive(&ATask::name, std::nullopt);
    } else {
        setPrimitive(&ATask::name, std::move(v));
    }
    if (hours.absent() && !empty)
        setPrimitive(&ATask::hours, 8.0f);
    setPrimitive(&ATask::percComp, 0.0f);
    setPrimitive(&ATask::invalid, true);
    didChange(&ATask::name, before);
}

void MileStone::setName(std::optional<std::string> v) {
    set(&MileStone::name, std::move(v));
    NotificationCenter::defaultCenter().post(kProjectChanged, this, &store());
}

} // namespace mapolt
