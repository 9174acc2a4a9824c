#include "model/record_set.h"

#include "model/fields.h"
#include "model/record.h"

#include <algorithm>
#include <cassert>

namespace mapolt {

void RecordSet::keepSlotsInMembers(Entity member, std::uint16_t offset) {
    assert(slots_.empty() && offset != 0);
    memberEntity_ = member;
    slotKeeperOffset_ = offset;
}

std::uint32_t& RecordSet::slotKeptBy(const Record* r) const {
    // Records are never const in the store; the set only reads and writes its own slot.
    char* bytes = reinterpret_cast<char*>(const_cast<Record*>(r));
    return reinterpret_cast<MemberEndBase*>(bytes + slotKeeperOffset_)->slotInTarget_;
}

std::ptrdiff_t RecordSet::slotOf(const Record* r) const {
    if (membersKeepSlots()) {
        if (r->entity() != memberEntity_)
            return -1;
        // A slot left over from an earlier membership points past the end or at another
        // member: only a member's own slot holds it.
        const std::uint32_t slot = slotKeptBy(r);
        return slot < slots_.size() && slots_[slot] == r ? static_cast<std::ptrdiff_t>(slot) : -1;
    }
    if (index_) {
        return index_->find(r);
    }
    const auto it = std::find(slots_.begin(), slots_.end(), r);
    return it == slots_.end() ? -1 : it - slots_.begin();
}

bool RecordSet::contains(const Record* r) const {
    return r != nullptr && slotOf(r) >= 0;
}

bool RecordSet::insert(Record* r) {
    if (r == nullptr)
        return false;
    if (membersKeepSlots()) {
        if (r->entity() != memberEntity_ || slotOf(r) >= 0)
            return false;
        slots_.push_back(r);
        slotKeptBy(r) = static_cast<std::uint32_t>(slots_.size() - 1);
        ++count_;
        return true;
    }
    if (!index_ && contains(r))
        return false;
    slots_.push_back(r);
    // One probe both finds a member already there and adds a new one.
    if (index_ && !index_->insert(r, static_cast<std::uint32_t>(slots_.size() - 1))) {
        slots_.pop_back();
        return false;
    }
    ++count_;
    if (!index_ && count_ > kIndexThreshold)
        rebuildIndex();
    return true;
}

bool RecordSet::erase(Record* r) {
    if (r == nullptr)
        return false;
    const std::ptrdiff_t slot = index_ ? index_->erase(r) : slotOf(r);
    if (slot < 0)
        return false;
    slots_[static_cast<std::size_t>(slot)] = nullptr;
    --count_;
    if (slots_.size() > 2 * static_cast<std::size_t>(count_) + 8)
        compact();
    return true;
}

std::vector<Record*> RecordSet::members() const {
    std::vector<Record*> out;
    out.reserve(count_);
    for (Record* r : *this)
        out.push_back(r);
    return out;
}

void RecordSet::compact() {
    std::erase(slots_, nullptr);
    if (membersKeepSlots()) {
        for (std::uint32_t i = 0; i < slots_.size(); ++i)
            slotKeptBy(slots_[i]) = i;
    } else if (count_ > kIndexThreshold) {
        rebuildIndex();
    } else {
        index_.reset();
    }
    if (count_ <= kIndexThreshold)
        slots_.shrink_to_fit();
}

void RecordSet::rebuildIndex() {
    if (!index_)
        index_ = std::make_unique<RecordSlotIndex>(slots_.size());
    index_->clear();
    index_->reserve(slots_.size());
    for (std::uint32_t i = 0; i < slots_.size(); ++i)
        if (slots_[i] != nullptr)
            index_->insert(slots_[i], i);
}

} // namespace mapolt
