#pragma once

#include <cstddef>
#include <vector>

namespace mapolt {

// The memory of one entity's records: slabs that double in size up to 2 MiB, and a list of
// the places freed records left. A large plan's records then lie side by side instead of
// among every other allocation of the heap, and the full-size slabs ask the kernel for huge
// pages, so walking a hundred thousand tasks and their usage does not miss the processor's
// address cache at every record.
class RecordArena {
  public:
    // Records of `recordSize` bytes, aligned to at most 16.
    explicit RecordArena(std::size_t recordSize);
    ~RecordArena();
    RecordArena(const RecordArena&) = delete;
    RecordArena& operator=(const RecordArena&) = delete;

    // Room for one record, uninitialised.
    void* allocate();
    // Gives back the room of a record already destroyed.
    void release(void* place);

    std::size_t slabCount() const { return slabs_.size(); }

  private:
    void addSlab();

    std::size_t recordSize_;
    std::size_t nextSlabBytes_;
    std::vector<void*> slabs_;
    // Freed places, each holding the next one in its first bytes.
    void* freed_ = nullptr;
    char* unused_ = nullptr;
    char* unusedEnd_ = nullptr;
};

} // namespace mapolt
