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
    if (r == nullptr || contains(r))
        return false;
    slots_.push_back(r);
    ++count_;
    if (index_) {
        index_->insert(r, static_cast<std::uint32_t>(slots_.size() - 1));
    } else if (count_ > kIndexThreshold) {
        rebuildIndex();
    }
    return true;
}

bool RecordSet::erase(Record* r) {
    const std::ptrdiff_t slot = r == nullptr ? -1 : slotOf(r);
    if (slot < 0)
        return false;
    slots_[static_cast<std::size_t>(slot)] = nullptr;
    if (index_)
        index_->erase(r);
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
