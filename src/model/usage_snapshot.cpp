#include "model/usage_snapshot.h"

#include "model/resource.h"
#include "model/store.h"
#include "model/word_pool.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <vector>

namespace mapolt {

namespace {

// Word 0: the count; word 1: flags; words 2-3: the resource every record shares (null when
// they differ); then each record's address, each record's resource when they differ, three
// value words per record and the presence bits, three per record.
constexpr std::size_t kHeader = 4;
constexpr std::uint32_t kMixedResources = 1;

using Field = Attribute<float> AResourceUsage::*;
constexpr Field kFields[3] = {&AResourceUsage::daysFromStart, &AResourceUsage::hours,
                              &AResourceUsage::usedHours};

struct Layout {
    std::size_t count;
    bool mixed;
    std::size_t records() const { return kHeader; }
    std::size_t resources() const { return records() + 2 * count; }
    std::size_t values() const { return resources() + (mixed ? 2 * count : 0); }
    std::size_t presence() const { return values() + 3 * count; }
    std::size_t total() const { return presence() + (3 * count + 31) / 32; }
};

void putPointer(std::uint32_t* at, const void* p) {
    std::memcpy(at, &p, sizeof p);
}
template <class T> T* getPointer(const std::uint32_t* at) {
    T* p = nullptr;
    std::memcpy(&p, at, sizeof p);
    return p;
}

Layout layoutOf(const std::uint32_t* words) {
    return {words[0], (words[1] & kMixedResources) != 0};
}

struct RelIndexes {
    std::size_t taskResource;
    std::size_t resource;
    std::size_t assignmentUsage;
    std::size_t attributes[3];
};

const RelIndexes& indexes() {
    static const RelIndexes r = [] {
        const EntitySchema& u = schemaOf(Entity::AResourceUsage);
        return RelIndexes{static_cast<std::size_t>(u.relationshipIndex("taskResource")),
                          static_cast<std::size_t>(u.relationshipIndex("resource")),
                          static_cast<std::size_t>(
                              schemaOf(Entity::ATaskResource).relationshipIndex("resourceUsage")),
                          {static_cast<std::size_t>(u.attributeIndex("daysFromStart")),
                           static_cast<std::size_t>(u.attributeIndex("hours")),
                           static_cast<std::size_t>(u.attributeIndex("usedHours"))}};
    }();
    return r;
}

// One record's value k as the snapshot holds it.
std::optional<float> valueAt(const std::uint32_t* words, const Layout& l, std::size_t j,
                             std::size_t k) {
    const std::size_t bit = 3 * j + k;
    if ((words[l.presence() + bit / 32] & (std::uint32_t{1} << (bit % 32))) == 0)
        return std::nullopt;
    return std::bit_cast<float>(words[l.values() + 3 * j + k]);
}

bool sameValue(const std::optional<float>& a, const std::optional<float>& b) {
    if (a.has_value() != b.has_value())
        return false;
    return !a || std::bit_cast<std::uint32_t>(*a) == std::bit_cast<std::uint32_t>(*b);
}

// The layout the assignment's usage takes, and the resource all its records share.
Layout layoutFor(const ATaskResource& assignment, Resource*& shared) {
    const std::size_t count = assignment.resourceUsage.size();
    shared = count == 0 ? nullptr : (*assignment.resourceUsage.begin())->resource();
    bool mixed = false;
    for (const AResourceUsage* u : assignment.resourceUsage)
        mixed = mixed || u->resource() != shared;
    return {count, mixed};
}

// Writes the usage into zeroed words laid out as `l`.
void fill(const ATaskResource& assignment, const Layout& l, Resource* shared,
          std::uint32_t* words) {
    words[0] = static_cast<std::uint32_t>(l.count);
    words[1] = l.mixed ? kMixedResources : 0;
    putPointer(&words[2], l.mixed ? nullptr : shared);
    std::size_t j = 0;
    for (AResourceUsage* u : assignment.resourceUsage) {
        putPointer(&words[l.records() + 2 * j], u);
        if (l.mixed)
            putPointer(&words[l.resources() + 2 * j], u->resource());
        for (std::size_t k = 0; k < 3; ++k) {
            const std::optional<float>& v = (u->*kFields[k]).optional();
            if (!v)
                continue;
            const std::size_t bit = 3 * j + k;
            words[l.presence() + bit / 32] |= std::uint32_t{1} << (bit % 32);
            words[l.values() + 3 * j + k] = std::bit_cast<std::uint32_t>(*v);
        }
        ++j;
    }
}

} // namespace

// Two passes over the set rather than a copy of it.
UsageSnapshot UsageSnapshot::of(const ATaskResource& assignment, WordPool& pool) {
    Resource* shared = nullptr;
    const Layout l = layoutFor(assignment, shared);
    std::uint32_t* words = pool.allocate(l.total());
    fill(assignment, l, shared, words);
    return UsageSnapshot(words, l.total());
}

void UsageSnapshot::exchange(Store& store, ATaskResource& assignment, WordPool& pool) {
    Resource* shared = nullptr;
    const Layout l = layoutFor(assignment, shared);
    std::vector<std::uint32_t> now(l.total());
    fill(assignment, l, shared, now.data());
    restore(store, assignment);
    if (now.size() > capacity_) {
        words_ = pool.allocate(now.size());
        capacity_ = now.size();
    }
    std::copy(now.begin(), now.end(), words_);
}

bool UsageSnapshot::matches(const ATaskResource& assignment) const {
    const std::size_t n = size();
    if (assignment.resourceUsage.size() != n)
        return false;
    if (n == 0)
        return true;
    const Layout l = layoutOf(words_);
    std::size_t j = 0;
    for (const AResourceUsage* u : assignment.resourceUsage) {
        if (u != getPointer<AResourceUsage>(&words_[l.records() + 2 * j]))
            return false;
        const Resource* r = getPointer<Resource>(&words_[l.mixed ? l.resources() + 2 * j : 2]);
        if (u->resource() != r)
            return false;
        for (std::size_t k = 0; k < 3; ++k)
            if (!sameValue((u->*kFields[k]).optional(), valueAt(words_, l, j, k)))
                return false;
        ++j;
    }
    return true;
}

void UsageSnapshot::restore(Store& store, ATaskResource& assignment) const {
    const RelIndexes& rel = indexes();
    const std::size_t n = size();
    const Layout l = words_ ? layoutOf(words_) : Layout{0, false};
    std::vector<Record*> target(n);
    for (std::size_t j = 0; j < n; ++j)
        target[j] = getPointer<Record>(&words_[l.records() + 2 * j]);
    std::vector<Record*> sortedTarget = target;
    std::sort(sortedTarget.begin(), sortedTarget.end());

    for (Record* u : assignment.resourceUsage.members()) {
        if (std::binary_search(sortedTarget.begin(), sortedTarget.end(), u))
            continue;
        store.setToOne(*u, rel.taskResource, nullptr);
        store.setToOne(*u, rel.resource, nullptr);
        store.setDeleted(*u, true);
    }
    for (std::size_t j = 0; j < n; ++j) {
        auto* u = static_cast<AResourceUsage*>(target[j]);
        store.setDeleted(*u, false);
        for (std::size_t k = 0; k < 3; ++k) {
            std::optional<float>& slot = FieldAccess::raw(u->*kFields[k]);
            const std::optional<float> v = valueAt(words_, l, j, k);
            if (sameValue(slot, v))
                continue;
            slot = v;
            store.touch(*u, rel.attributes[k]);
            store.notify(*u, rel.attributes[k]);
        }
        store.setToOne(*u, rel.resource,
                       getPointer<Record>(&words_[l.mixed ? l.resources() + 2 * j : 2]));
        store.setToOne(*u, rel.taskResource, &assignment);
    }
    // Records that came back were appended; the snapshot's order is the one the next
    // rewrite reuses them in.
    if (assignment.resourceUsage.members() != target) {
        for (Record* u : target)
            store.writeToMany(assignment, rel.assignmentUsage, u, false);
        for (Record* u : target)
            store.writeToMany(assignment, rel.assignmentUsage, u, true);
    }
}

} // namespace mapolt
