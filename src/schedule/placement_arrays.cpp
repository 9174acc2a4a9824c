#include "schedule/placement_arrays.h"

#include "model/entities.h"
#include "model/prefetch.h"
#include "model/store.h"

namespace mapolt {

PlacementArrays::PlacementArrays(const Store& store) {
    const std::size_t n = store.count(Entity::ATask);
    tasks.reserve(n);
    start.reserve(n);
    elapsed.reserve(n);
    locked.reserve(n);
    hasLinksIn_.reserve(n);
    super.reserve(n);
    firstLinkIn.reserve(n + 1);
    firstSub.reserve(n + 1);
    // Sized up front: what a doubling vector leaves spare would outlive the gathering.
    linksIn.reserve(store.count(Entity::DepLink));
    linkSticky.reserve(store.count(Entity::DepLink));
    subs.reserve(n);
    // Each record is read once, in the order the store keeps them. Partners are noted by
    // their serial's distance from the first task's and turned into positions afterwards,
    // from the arrays alone: a vector over the tasks' range of serials is far quicker than a
    // hash. Tasks come in serial order, so none lies below the first.
    std::uint64_t& low = lowSerial_;
    std::vector<std::uint32_t>& index = positionBySerial_;
    const auto offsetOf = [&low](const ATask* t) {
        return t != nullptr ? static_cast<std::uint32_t>(t->serial() - low) : kNone;
    };
    store.forEachLive<ATask>([&](ATask* t) {
        if (tasks.empty())
            low = t->serial();
        const std::uint32_t offset = offsetOf(t);
        if (offset >= index.size())
            index.resize(offset + std::size_t{1}, kNone);
        index[offset] = static_cast<std::uint32_t>(tasks.size());
        tasks.push_back(t);
        start.push_back(t->daysFromStart());
        elapsed.push_back(t->elapsedTime());
        locked.push_back(t->lockedStart());
        hasLinksIn_.push_back(!t->dependeeTasks.empty());
        super.push_back(offsetOf(t->superTask()));
        firstLinkIn.push_back(static_cast<std::uint32_t>(linksIn.size()));
        for (const DepLink* l : t->dependeeTasks) {
            linksIn.push_back({offsetOf(l->dependTask()), static_cast<float>(l->daysBetween())});
            linkSticky.push_back(l->sticky());
        }
        firstSub.push_back(static_cast<std::uint32_t>(subs.size()));
        for (const ATask* u : t->subTasks)
            subs.push_back(offsetOf(u));
    });
    firstLinkIn.push_back(static_cast<std::uint32_t>(linksIn.size()));
    firstSub.push_back(static_cast<std::uint32_t>(subs.size()));
    const auto position = [&index](std::uint32_t offset) {
        return offset < index.size() ? index[offset] : kNone;
    };
    for (std::uint32_t& p : super)
        p = position(p);
    for (LinkIn& l : linksIn)
        l.predecessor = position(l.predecessor);
    for (std::uint32_t& u : subs)
        u = position(u);
}

void PlacementArrays::reread(std::uint32_t i) {
    const ATask* t = tasks[i];
    start[i] = t->daysFromStart();
    elapsed[i] = t->elapsedTime();
    locked[i] = t->lockedStart();
}

void PlacementArrays::rereadAll() {
    // The records lie where no processor would guess; each is asked for a few tasks early.
    constexpr std::size_t kAhead = 8;
    for (std::uint32_t i = 0; i < tasks.size(); ++i) {
        if (i + kAhead < tasks.size())
            prefetchLine(&tasks[i + kAhead]->daysFromStart);
        reread(i);
    }
}

std::uint32_t PlacementArrays::positionOf(const ATask* t) const {
    if (tasks.empty() || t->serial() < lowSerial_)
        return kNone;
    const std::uint64_t offset = t->serial() - lowSerial_;
    return offset < positionBySerial_.size() ? positionBySerial_[offset] : kNone;
}

} // namespace mapolt
