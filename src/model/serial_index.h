#pragma once

#include "model/record.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace mapolt {

// A number for each record a pass over the plan meets, held in a vector by serial. Records
// are numbered densely, so the vector stays within a few bytes per record, and a walk over a
// large plan reads it far quicker than a hash set of pointers.
class SerialIndex {
  public:
    static constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

    explicit SerialIndex(std::uint32_t absent = kNone) : absent_(absent) {}

    // `absent` for a record never set, and for none.
    std::uint32_t find(const Record* r) const {
        if (r == nullptr || r->serial() >= slots_.size())
            return absent_;
        return slots_[static_cast<std::size_t>(r->serial())];
    }

    // The slot of the record, `absent` until set.
    std::uint32_t& operator[](const Record* r) {
        const auto serial = static_cast<std::size_t>(r->serial());
        if (serial >= slots_.size())
            slots_.resize(std::max(2 * slots_.size(), serial + 1), absent_);
        return slots_[serial];
    }

    // Every number set, in the order of their records' serials, which is the store's order.
    template <class F> void forEachSet(const F& f) const {
        for (const std::uint32_t v : slots_)
            if (v != absent_)
                f(v);
    }

  private:
    std::uint32_t absent_;
    std::vector<std::uint32_t> slots_;
};

} // namespace mapolt
