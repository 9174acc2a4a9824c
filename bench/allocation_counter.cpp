#include "allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> live{0};
std::atomic<std::size_t> total{0};
std::atomic<std::size_t> peak{0};
std::atomic<std::size_t> count{0};

// Each block carries its size in front so delete can subtract it.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* allocate(std::size_t n) {
    auto* base = static_cast<unsigned char*>(std::malloc(n + kHeader));
    if (base == nullptr)
        throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(base) = n;
    const std::size_t now = live += n;
    total += n;
    ++count;
    for (std::size_t seen = peak.load(); now > seen && !peak.compare_exchange_weak(seen, now);) {
    }
    return base + kHeader;
}

void release(void* p) noexcept {
    if (p == nullptr)
        return;
    auto* base = static_cast<unsigned char*>(p) - kHeader;
    live -= *reinterpret_cast<std::size_t*>(base);
    std::free(base);
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
