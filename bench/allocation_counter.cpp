#include "allocation_counter.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> live{0};
std::atomic<std::size_t> total{0};
std::atomic<std::size_t> peak{0};
std::atomic<std::size_t> count{0};

void noteAllocation(std::size_t n) {
    const std::size_t now = live += n;
    total += n;
    ++count;
    for (std::size_t seen = peak.load(); now > seen && !peak.compare_exchange_weak(seen, now);) {
    }
}

// Each block carries its size in the header in front of it so delete can subtract it; an
// over-aligned block's header is as large as its alignment.
void* allocate(std::size_t n, std::size_t alignment = alignof(std::max_align_t)) {
    const std::size_t header = std::max(alignment, alignof(std::max_align_t));
    auto* base = static_cast<unsigned char*>(
        header == alignof(std::max_align_t)
            ? std::malloc(n + header)
            : std::aligned_alloc(header, (n + 2 * header - 1) / header * header));
    if (base == nullptr)
        throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(base + header - sizeof(std::size_t)) = n;
    noteAllocation(n);
    return base + header;
}

void release(void* p, std::size_t alignment = alignof(std::max_align_t)) noexcept {
    if (p == nullptr)
        return;
    const std::size_t header = std::max(alignment, alignof(std::max_align_t));
    auto* block = static_cast<unsigned char*>(p);
    live -= *reinterpret_cast<std::size_t*>(block - sizeof(std::size_t));
    std::free(block - header);
}

} // namespace

void* operator new(std::size_t n) {
    return allocate(n);
}
void* operator new[](std::size_t n) {
    return allocate(n);
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}
void* operator new(std::size_t n, std::align_val_t a) {
    return allocate(n, static_cast<std::size_t>(a));
}
void operator delete(void* p, std::align_val_t a) noexcept {
    release(p, static_cast<std::size_t>(a));
}
void operator delete(void* p, std::size_t, std::align_val_t a) noexcept {
    release(p, static_cast<std::size_t>(a));
}

std::size_t mapolt::bench::liveHeapBytes() {
    return live.load();
}

std::size_t mapolt::bench::allocatedBytes() {
    return total.load();
}

std::size_t mapolt::bench::allocationCount() {
    return count.load();
}

std::size_t mapolt::bench::peakHeapBytes() {
    return peak.load();
}

void mapolt::bench::resetPeakHeapBytes() {
    peak.store(live.load());
}
