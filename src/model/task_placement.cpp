#include "model/task_placement.h"

#include "model/task.h"

#include <array>
#include <bit>

namespace mapolt {

namespace {

using Field = Attribute<float> ATask::*;
constexpr Field kFields[TaskPlacement::kCount] = {&ATask::daysFromStart, &ATask::daysTillEnd,
                                                  &ATask::endDisplayDays, &ATask::elapsedTime};
constexpr const char* kNames[TaskPlacement::kCount] = {"daysFromStart", "daysTillEnd",
                                                       "endDisplayDays", "elapsedTime"};

const std::size_t* indexes() {
    static const auto table = [] {
        std::array<std::size_t, TaskPlacement::kCount> t{};
        for (std::size_t k = 0; k < TaskPlacement::kCount; ++k)
            t[k] = static_cast<std::size_t>(schemaOf(Entity::ATask).attributeIndex(kNames[k]));
        return t;
    }();
    return table.data();
}

} // namespace

bool TaskPlacement::same(const std::optional<float>& a, const std::optional<float>& b) {
    if (a.has_value() != b.has_value())
        return false;
    return !a || std::bit_cast<std::uint32_t>(*a) == std::bit_cast<std::uint32_t>(*b);
}

bool TaskPlacement::covers(const Record& r, std::size_t attribute) {
    if (r.entity() != Entity::ATask)
        return false;
    for (std::size_t k = 0; k < kCount; ++k)
        if (indexes()[k] == attribute)
            return true;
    return false;
}

std::size_t TaskPlacement::attributeAt(std::size_t k) {
    return indexes()[k];
}

TaskPlacement TaskPlacement::of(const Record& task) {
    TaskPlacement p;
    const auto& t = static_cast<const ATask&>(task);
    for (std::size_t k = 0; k < kCount; ++k)
        if (const std::optional<float>& v = (t.*kFields[k]).optional()) {
            p.values_[k] = *v;
            p.present_ |= static_cast<std::uint8_t>(1u << k);
        }
    return p;
}

TaskPlacement TaskPlacement::before(const Record& task, std::size_t attribute,
                                    const Value& before) {
    TaskPlacement p = of(task);
    for (std::size_t k = 0; k < kCount; ++k) {
        if (indexes()[k] != attribute)
            continue;
        const auto mask = static_cast<std::uint8_t>(1u << k);
        if (const float* v = std::get_if<float>(&before)) {
            p.values_[k] = *v;
            p.present_ |= mask;
        } else {
            p.values_[k] = 0.0f;
            p.present_ &= static_cast<std::uint8_t>(~mask);
        }
    }
    return p;
}

std::optional<float> TaskPlacement::value(std::size_t k) const {
    if ((present_ & (1u << k)) == 0)
        return std::nullopt;
    return values_[k];
}

bool TaskPlacement::matches(const Record& task) const {
    const auto& t = static_cast<const ATask&>(task);
    for (std::size_t k = 0; k < kCount; ++k)
        if (!same((t.*kFields[k]).optional(), value(k)))
            return false;
    return true;
}

} // namespace mapolt
