#include "model/record_set.h"

#include <algorithm>

namespace mapolt {

std::ptrdiff_t RecordSet::slotOf(const Record* r) const {
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
    if (r == nullptr || (!index_ && contains(r)))
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
    if (count_ <= kIndexThreshold) {
        index_.reset();
        slots_.shrink_to_fit();
    } else {
        rebuildIndex();
    }
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
