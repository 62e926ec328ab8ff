#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "db/xbase/chunk_memory.h"

using namespace xbase;

namespace {

// The sizes a table's chunks take (a small header and 4 KB or 64 KB), and one too large for a
// slab's pieces; every piece starts on a cache line.
constexpr size_t kSmall = 40 + (size_t{1} << 12);
constexpr size_t kLarge = 40 + (size_t{1} << 16);
constexpr size_t kHuge = size_t{1} << 20;

// Pieces of two sizes taken in turn over several slabs, each filled to its last byte, keep
// their contents: no piece overlaps another, however the slabs are carved. A piece given back
// is the next one of its size, never one of another size.
TEST(ChunkMemory, PiecesOverSeveralSlabsNeverOverlapAndComeBackOnlyAtTheirSize) {
    std::vector<std::pair<unsigned char*, size_t>> pieces;
    for (int i = 0; i < 200; ++i) {
        for (const size_t bytes : {kSmall, kLarge, kHuge}) {
            if (bytes == kHuge && i % 50 != 0) continue;
            auto* piece = static_cast<unsigned char*>(TakeChunkMemory(bytes));
            ASSERT_EQ(reinterpret_cast<uintptr_t>(piece) % 64, 0u);
            std::memset(piece, static_cast<int>(pieces.size() % 251), bytes);
            pieces.emplace_back(piece, bytes);
        }
    }
    for (size_t k = 0; k < pieces.size(); ++k) {
        const auto [piece, bytes] = pieces[k];
        const unsigned char fill = static_cast<unsigned char>(k % 251);
        EXPECT_TRUE(piece[0] == fill && piece[bytes / 2] == fill && piece[bytes - 1] == fill)
            << "piece " << k << " of " << bytes << " bytes was written over";
    }

    std::set<void*> givenSmall;
    for (size_t k = 0; k < pieces.size(); k += 2) {
        GiveChunkMemory(pieces[k].first, pieces[k].second);
        if (pieces[k].second == kSmall) givenSmall.insert(pieces[k].first);
    }
    std::vector<void*> again;
    for (size_t n = 0; n < givenSmall.size(); ++n) again.push_back(TakeChunkMemory(kSmall));
    EXPECT_EQ(std::set<void*>(again.begin(), again.end()), givenSmall);
    for (void* piece : again) GiveChunkMemory(piece, kSmall);
    for (size_t k = 1; k < pieces.size(); k += 2)
        GiveChunkMemory(pieces[k].first, pieces[k].second);
}

// Pieces of one size given back, over 8 MB of them, keep pieces of another size from adding
// slabs: those come from the heap, and go back to it.
TEST(ChunkMemory, PiecesWaitingAtOneSizeKeepAnotherFromAddingSlabs) {
    constexpr size_t kWaiting = 40 + (size_t{1} << 13);
    constexpr size_t kOther = kWaiting + 64;
    std::vector<void*> waiting;
    for (size_t held = 0; held < (size_t{9} << 20); held += kWaiting)
        waiting.push_back(TakeChunkMemory(kWaiting));
    for (void* piece : waiting) GiveChunkMemory(piece, kWaiting);
    const size_t slabs = ChunkMemorySlabBytes();
    std::vector<void*> others;
    for (size_t held = 0; held < (size_t{6} << 20); held += kOther) {
        others.push_back(TakeChunkMemory(kOther));
        std::memset(others.back(), 1, kOther);
    }
    EXPECT_EQ(ChunkMemorySlabBytes(), slabs);
    for (void* piece : others) GiveChunkMemory(piece, kOther);
}

// Bulk blocks from the heap, of exactly a slab and over several slabs (not a whole number of
// them), each filled to its last byte, keep their contents: none overlaps another.
TEST(BulkMemory, BlocksOfAnySizeKeepEveryByteWritten) {
    const size_t sizes[] = {100, size_t{2} << 20, (size_t{5} << 20) + 123};
    std::vector<std::unique_ptr<BulkMemory>> blocks;
    for (size_t i = 0; i < std::size(sizes); ++i) {
        blocks.push_back(std::make_unique<BulkMemory>(sizes[i]));
        std::memset(blocks[i]->data(), static_cast<int>('a' + i), sizes[i]);
    }
    for (size_t i = 0; i < std::size(sizes); ++i) {
        const char* data = blocks[i]->data();
        EXPECT_TRUE(std::all_of(data, data + sizes[i],
                                [&](char c) { return c == static_cast<char>('a' + i); }))
            << "block of " << sizes[i] << " bytes was written over";
    }
}

}  // namespace
