#pragma once

#include <cstddef>

namespace mapolt {

// Asks the processor for a line of memory ahead of a pass that will read it.
inline void prefetchLine(const void* address) {
#if defined(__x86_64__) || defined(__i386__)
    // GCC drops all but the first of several __builtin_prefetch calls on one object.
    asm volatile("prefetcht0 %0" : : "m"(*static_cast<const char*>(address)));
#else
    __builtin_prefetch(address);
#endif
}

// Asks for a whole object. Passes over large plans know which records come next; asking
// early lets the reads of several records overlap instead of waiting for each in turn.
template <class T> void prefetchObject(const T* object) {
    if (object == nullptr)
        return;
    const auto* bytes = reinterpret_cast<const char*>(object);
    for (std::size_t line = 0; line < sizeof(T); line += 64)
        prefetchLine(bytes + line);
}

} // namespace mapolt
