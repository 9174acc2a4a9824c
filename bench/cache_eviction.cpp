#include "cache_eviction.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <vector>

namespace mapolt::bench {

void evictCaches() {
    constexpr std::size_t kBytes = std::size_t{64} << 20;
    constexpr std::size_t kLine = 64;
    // Allocated once and kept, so it is not counted in any run's memory.
    static std::vector<char> buffer(kBytes);
    for (std::size_t i = 0; i < buffer.size(); i += kLine)
        ++buffer[i];
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
}

} // namespace mapolt::bench
