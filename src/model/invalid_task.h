#pragma once

#include <cstdint>

namespace mapolt {

class ATask;
class DepLink;

// One queued change for the propagation run. The run reads only the task; the other fields
// record how the entry came about. Entries left queued between commands name their task by
// serial as well, so a task deleted meanwhile is skipped instead of read.
struct InvalidTask {
    ATask* task = nullptr;
    DepLink* dep = nullptr;
    float bumpAmountStart = 0.0f;
    float bumpAmountEnd = 0.0f;
    bool root = false;
    bool subsMoved = false;
    std::uint64_t taskSerial = 0;
};

} // namespace mapolt
