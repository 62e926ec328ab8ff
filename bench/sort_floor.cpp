#include "bench/sort_floor.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "bench/stopwatch.h"

namespace bench {
namespace {

// A pair held by value, its key zero-padded to `Capacity` bytes so that whole-array compares
// give the same order as compares over the key's own length.
template <size_t Capacity>
struct Pair {
    char key[Capacity];
    uint32_t rec;
};

template <size_t Capacity>
double sortPairs(const std::string& keys, size_t keyLength) {
    const size_t n = keys.size() / keyLength;
    std::vector<Pair<Capacity>> pairs(n);
    for (size_t i = 0; i < n; ++i) {
        std::memset(pairs[i].key, 0, Capacity);
        std::memcpy(pairs[i].key, keys.data() + i * keyLength, keyLength);
        pairs[i].rec = static_cast<uint32_t>(i + 1);
    }
    auto less = [](const Pair<Capacity>& a, const Pair<Capacity>& b) {
        const int c = std::memcmp(a.key, b.key, Capacity);
        return c != 0 ? c < 0 : a.rec < b.rec;
    };
    Stopwatch watch;
    std::sort(pairs.begin(), pairs.end(), less);
    const double seconds = watch.seconds();
    if (!std::is_sorted(pairs.begin(), pairs.end(), less))
        throw std::logic_error("the reference sort left pairs out of order");
    return seconds;
}

}  // namespace

double sortSeconds(const std::string& keys, int keyLength) {
    const auto k = static_cast<size_t>(keyLength);
    if (k <= 8) return sortPairs<8>(keys, k);
    if (k <= 16) return sortPairs<16>(keys, k);
    if (k <= 24) return sortPairs<24>(keys, k);
    if (k <= 32) return sortPairs<32>(keys, k);
    if (k <= 40) return sortPairs<40>(keys, k);
    if (k <= 64) return sortPairs<64>(keys, k);
    if (k <= 256) return sortPairs<256>(keys, k);
    throw std::logic_error("key too long for the reference sort");
}

}  // namespace bench
