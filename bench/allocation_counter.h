#pragma once

#include <cstddef>

namespace mapolt::bench {

// Bytes currently allocated through operator new in this process.
std::size_t liveHeapBytes();
// Bytes ever allocated through operator new in this process.
std::size_t allocatedBytes();

} // namespace mapolt::bench
