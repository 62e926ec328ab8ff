// Memory for the pieces of table and index files the engine holds in memory (the chunks of
// dbf.h, the pages of ntx.h). A report reads megabytes of them into fresh memory; taken from the
// heap, every 4 KB of it costs the kernel a page fault and a cleared page on first touch. Here
// the memory comes in 2 MB slabs marked for huge pages (one fault per slab where the system
// grants them) and is handed out in pieces. A piece given back waits for the next piece of its
// size; the slabs are never returned to the system, and none is added while the pieces waiting
// pass 8 MB (the heap serves instead), so the slabs hold little more than the most the engine
// held at once: 8 MB of waiting pieces and a slab or two. Whether the kernel grants a huge page,
// and whether a fault may wait while it compacts memory for one, is the system's setting for
// transparent huge pages; without one a slab is faulted in ordinary pages. A bulk pass takes
// its large blocks in huge-page slabs too (BulkMemory), and gives them back when done.
#pragma once

#include <cstddef>

namespace xbase {

// A piece of `bytes` bytes, aligned to a cache line; throws std::bad_alloc when the system has
// no memory left. Pieces above a quarter of a slab come from the heap.
void* TakeChunkMemory(size_t bytes);

// Gives back a piece that TakeChunkMemory(bytes) returned.
void GiveChunkMemory(void* piece, size_t bytes);

// The bytes of the slabs taken from the system so far.
size_t ChunkMemorySlabBytes();

// A block for one bulk pass (the keys and sort items of an index build): from 2 MB up, mapped
// afresh in slabs marked for huge pages, so that its tens of megabytes cost tens of faults
// rather than thousands, and given back to the system when the block goes; smaller ones come
// from the heap. Throws std::bad_alloc when the system has no memory left.
class BulkMemory {
public:
    explicit BulkMemory(size_t bytes);
    ~BulkMemory();
    BulkMemory(const BulkMemory&) = delete;
    BulkMemory& operator=(const BulkMemory&) = delete;
    char* data() const { return data_; }

private:
    char* data_ = nullptr;
    size_t mapped_ = 0;  // 0 for a block from the heap
};

}  // namespace xbase
