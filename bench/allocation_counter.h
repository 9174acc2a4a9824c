#pragma once

#include <cstddef>

namespace mapolt::bench {

// Bytes currently allocated through operator new in this process.
std::size_t liveHeapBytes();
// Bytes ever allocated through operator new in this process.
std::size_t allocatedBytes();
// Allocations ever made through operator new in this process.
std::size_t allocationCount();
// The most bytes allocated at once since the last reset.
std::size_t peakHeapBytes();
void resetPeakHeapBytes();

} // namespace mapolt::bench
