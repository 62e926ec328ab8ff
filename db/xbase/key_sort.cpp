#include "db/xbase/key_sort.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <thread>

namespace xbase {
namespace {

// A level compares 24 key bytes held inline as three big-endian words, so integer order is
// byte order; that settles nearly every key this program indexes in one level.
constexpr size_t kDigits = 3;
constexpr size_t kLevel = 8 * kDigits;
constexpr size_t kBuckets = 1 << 16;
constexpr uint32_t kThreadItems = 1 << 16;

struct Item {
    uint64_t digit[kDigits];
    uint32_t index;
};

bool sameDigits(const Item& a, const Item& b) {
    return a.digit[0] == b.digit[0] && a.digit[1] == b.digit[1] && a.digit[2] == b.digit[2];
}

void loadDigits(Item* begin, Item* end, const char* keys, size_t keyLength, size_t at) {
    for (Item* it = begin; it != end; ++it) {
        const char* k = keys + it->index * keyLength;
        for (size_t w = 0; w < kDigits; ++w) {
            const size_t from = at + 8 * w;
            uint64_t d = 0;
            if (from + 8 <= keyLength) {
                std::memcpy(&d, k + from, 8);
                d = __builtin_bswap64(d);
            } else {
                for (size_t b = 0; b < 8; ++b)
                    d = d << 8 | (from + b < keyLength ? static_cast<uint8_t>(k[from + b]) : 0);
            }
            it->digit[w] = d;
        }
    }
}

void sortLevel(Item* begin, Item* end, const char* keys, size_t keyLength, size_t at) {
    std::sort(begin, end, [](const Item& a, const Item& b) {
        for (size_t w = 0; w < kDigits; ++w)
            if (a.digit[w] != b.digit[w]) return a.digit[w] < b.digit[w];
        return a.index < b.index;
    });
    if (at + kLevel >= keyLength) return;
    for (Item* run = begin; run != end;) {
        Item* next = run + 1;
        while (next != end && sameDigits(*next, *run)) ++next;
        if (next - run > 1) {
            loadDigits(run, next, keys, keyLength, at + kLevel);
            sortLevel(run, next, keys, keyLength, at + kLevel);
        }
        run = next;
    }
}

}  // namespace

std::vector<uint32_t> sortKeys(const char* keys, int keyLength, uint32_t n) {
    // The items are first laid out by their first two key bytes (a counting pass, then each
    // item loaded straight into its bucket, in record order), so that the comparison sort runs
    // on small buckets that stay in the cache instead of on the whole array.
    const size_t kl = static_cast<size_t>(keyLength);
    const auto bucket = [&](uint32_t i) {
        const auto* k = reinterpret_cast<const uint8_t*>(keys + i * kl);
        return kl > 1 ? static_cast<size_t>(k[0]) << 8 | k[1] : static_cast<size_t>(k[0]) << 8;
    };
    std::vector<uint32_t> start(kBuckets + 1, 0);
    for (uint32_t i = 0; i < n; ++i) ++start[bucket(i) + 1];
    for (size_t b = 0; b < kBuckets; ++b) start[b + 1] += start[b];
    std::vector<Item> items(n);
    std::vector<uint32_t> next(start.begin(), start.end() - 1);
    for (uint32_t i = 0; i < n; ++i) {
        Item* item = &items[next[bucket(i)]++];
        item->index = i;
        loadDigits(item, item + 1, keys, kl, 0);
    }
    const auto sortBuckets = [&](size_t from, size_t to) {
        for (size_t b = from; b < to; ++b)
            if (start[b + 1] - start[b] > 1)
                sortLevel(items.data() + start[b], items.data() + start[b + 1], keys, kl, 0);
    };
    // Where the machine has a second core and the work is worth a thread, the buckets holding
    // the second half of the items are sorted on a thread of their own.
    // A thread that cannot be started leaves all the buckets to this one.
    size_t split = kBuckets;
    std::thread second;
    if (n >= kThreadItems && std::thread::hardware_concurrency() >= 2) {
        const auto half = std::upper_bound(start.begin(), start.end(), n / 2);
        try {
            second =
                std::thread(sortBuckets, static_cast<size_t>(half - start.begin()) - 1, kBuckets);
            split = static_cast<size_t>(half - start.begin()) - 1;
        } catch (const std::system_error&) {
        }
    }
    sortBuckets(0, split);
    if (second.joinable()) second.join();
    std::vector<uint32_t> order(n);
    for (uint32_t i = 0; i < n; ++i) order[i] = items[i].index;
    return order;
}

}  // namespace xbase
