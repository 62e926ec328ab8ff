// What both sides of the benchmark hand back besides their times, so that their answers can
// be compared, and the error that ends a run when either side fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace bench {

// The memory each side may keep of what it read, the same for both: SQLite's page cache and the
// engine's cache budget.
inline constexpr size_t kCacheBytes = size_t{2048} << 20;

class BenchFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a run of seeks found: per key the record number, 0 when the seek ran off the end.
struct SeekResults {
    std::vector<uint32_t> recs;
    size_t exact = 0;  // seeks that found an equal key
};

// An order-sensitive digest of a walk.
struct WalkDigest {
    size_t count = 0;
    uint64_t hash = 0;
    void add(uint64_t rec) {
        ++count;
        hash = hash * 1000003 + rec;
    }
    bool operator==(const WalkDigest&) const = default;
};

}  // namespace bench
