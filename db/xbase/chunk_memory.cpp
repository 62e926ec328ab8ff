#include "db/xbase/chunk_memory.h"

#include <sys/mman.h>

#include <cstdint>
#include <mutex>
#include <new>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace xbase {
namespace {

// A slab: the size of a huge page, and aligned to one so that the kernel can map it as one.
constexpr size_t kSlab = size_t{2} << 20;
// Pieces start on a cache line (index pages are laid out for one).
constexpr size_t kAlign = 64;
// While the pieces given back pass this many bytes, a piece none of them fits comes from the
// heap rather than from a new slab.
constexpr size_t kMostIdle = 4 * kSlab;

// Maps `bytes` (whole slabs) aligned to a slab, marked for huge pages: maps a slab more and
// gives back what lies outside the aligned stretch.
char* MapSlabs(size_t bytes) {
    void* mapped = ::mmap(nullptr, bytes + kSlab, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    char* const start = static_cast<char*>(mapped);
    char* const slabs =
        reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(start) + kSlab - 1) / kSlab * kSlab);
    if (slabs > start) ::munmap(start, static_cast<size_t>(slabs - start));
    char* const after = slabs + bytes;
    if (after < start + bytes + kSlab)
        ::munmap(after, static_cast<size_t>(start + bytes + kSlab - after));
    ::madvise(slabs, bytes, MADV_HUGEPAGE);  // a hint: without huge pages the memory still serves
    return slabs;
}

class ChunkMemory {
public:
    void* take(size_t bytes) {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<void*>& free = free_[bytes];
        if (!free.empty()) {
            void* piece = free.back();
            free.pop_back();
            idle_ -= bytes;
            return piece;
        }
        const size_t room = (bytes + kAlign - 1) / kAlign * kAlign;
        if (next_ == nullptr || static_cast<size_t>(end_ - next_) < room) {
            if (idle_ >= kMostIdle) return ::operator new (bytes, std::align_val_t{kAlign});
            newSlab();
        }
        void* piece = next_;
        next_ += room;
        return piece;
    }

    void give(void* piece, size_t bytes) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!slabs_.contains(reinterpret_cast<uintptr_t>(piece) / kSlab)) {
            ::operator delete (piece, std::align_val_t{kAlign});
            return;
        }
        free_[bytes].push_back(piece);
        idle_ += bytes;
    }

    size_t slabBytes() {
        std::lock_guard<std::mutex> lock(mutex_);
        return slabs_.size() * kSlab;
    }

private:
    // What is left of the slab before is not used again: at most a quarter of a slab.
    void newSlab() {
        char* const slab = MapSlabs(kSlab);
        slabs_.insert(reinterpret_cast<uintptr_t>(slab) / kSlab);
        next_ = slab;
        end_ = slab + kSlab;
    }

    std::mutex mutex_;
    char* next_ = nullptr;
    char* end_ = nullptr;
    std::unordered_set<uintptr_t> slabs_;                  // their addresses over kSlab
    std::unordered_map<size_t, std::vector<void*>> free_;  // by size
    size_t idle_ = 0;                                      // bytes of the pieces in free_
};

ChunkMemory& Memory() {
    static ChunkMemory* memory = new ChunkMemory;  // outlives every table, even static ones
    return *memory;
}

}  // namespace

void* TakeChunkMemory(size_t bytes) {
    if (bytes > kSlab / 4) return ::operator new (bytes, std::align_val_t{kAlign});
    return Memory().take(bytes);
}

void GiveChunkMemory(void* piece, size_t bytes) {
    Memory().give(piece, bytes);
}

size_t ChunkMemorySlabBytes() {
    return Memory().slabBytes();
}

BulkMemory::BulkMemory(size_t bytes) {
    if (bytes < kSlab) {
        data_ = static_cast<char*>(::operator new(bytes));
        return;
    }
    mapped_ = (bytes + kSlab - 1) / kSlab * kSlab;
    data_ = MapSlabs(mapped_);
}

BulkMemory::~BulkMemory() {
    if (mapped_ == 0)
        ::operator delete(data_);
    else
        ::munmap(data_, mapped_);
}

}  // namespace xbase
