#include "model/record_arena.h"

#include <algorithm>
#include <new>
#include <sanitizer/asan_interface.h>

namespace mapolt {

namespace {

constexpr std::size_t kFirstSlab = 16 * 1024;
// Large enough that slabs are few, small enough that the last one's unused room stays small
// beside a plan that filled the ones before.
constexpr std::size_t kLargestSlab = 256 * 1024;
constexpr std::align_val_t kRecordAlignment{16};

} // namespace

RecordArena::RecordArena(std::size_t recordSize)
    : recordSize_(std::max(recordSize, sizeof(void*))), nextSlabBytes_(kFirstSlab) {}

RecordArena::~RecordArena() {
    std::size_t bytes = kFirstSlab;
    for (void* slab : slabs_) {
        ASAN_UNPOISON_MEMORY_REGION(slab, bytes);
        ::operator delete(slab, bytes, kRecordAlignment);
        bytes = std::min(kLargestSlab, 2 * bytes);
    }
}

void* RecordArena::allocate() {
    void* place = freed_;
    if (place != nullptr) {
        ASAN_UNPOISON_MEMORY_REGION(place, recordSize_);
        freed_ = *static_cast<void**>(place);
    } else {
        if (static_cast<std::size_t>(unusedEnd_ - unused_) < recordSize_)
            addSlab();
        place = unused_;
        unused_ += recordSize_;
        ASAN_UNPOISON_MEMORY_REGION(place, recordSize_);
    }
    return place;
}

void RecordArena::release(void* place) {
    *static_cast<void**>(place) = freed_;
    freed_ = place;
    // A record used after it was freed then fails loudly in sanitized builds.
    ASAN_POISON_MEMORY_REGION(place, recordSize_);
}

void RecordArena::addSlab() {
    const std::size_t bytes = nextSlabBytes_;
    slabs_.reserve(slabs_.size() + 1); // so that keeping the slab cannot fail and leak it
    void* slab = ::operator new(bytes, kRecordAlignment);
    ASAN_POISON_MEMORY_REGION(slab, bytes);
    slabs_.push_back(slab);
    unused_ = static_cast<char*>(slab);
    unusedEnd_ = unused_ + bytes;
    // The destructor walks the same doubling to know each slab's size.
    nextSlabBytes_ = std::min(kLargestSlab, 2 * bytes);
}

} // namespace mapolt
