#include "db/xbase/key_sort.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>

#include "db/xbase/chunk_memory.h"

namespace xbase {
namespace {

// Items are laid out by their first two key bytes, so a bucket's items share them and a level
// compares the bytes after them, up to four big-endian words held inline (integer order is byte
// order): as few words as the key needs, so that short keys sort as small items and keys of up
// to 34 bytes settle in one level.
constexpr size_t kBucketBytes = 2;
constexpr size_t kMaxDigits = 4;
constexpr size_t kBuckets = 1 << 16;
constexpr uint32_t kThreadItems = 1 << 16;

template <size_t D>
struct Item {
    uint64_t digit[D];
    uint32_t index;
};

template <size_t D>
bool sameDigits(const Item<D>& a, const Item<D>& b) {
    for (size_t w = 0; w < D; ++w)
        if (a.digit[w] != b.digit[w]) return false;
    return true;
}

template <size_t D>
void loadDigits(Item<D>* it, const char* key, size_t keyLength, size_t at) {
    for (size_t w = 0; w < D; ++w) {
        const size_t from = at + 8 * w;
        uint64_t d = 0;
        if (from + 8 <= keyLength) {
            std::memcpy(&d, key + from, 8);
            d = __builtin_bswap64(d);
        } else {
            for (size_t b = 0; b < 8; ++b)
                d = d << 8 | (from + b < keyLength ? static_cast<uint8_t>(key[from + b]) : 0);
        }
        it->digit[w] = d;
    }
}

// Sorts items that agree on every key byte before `at`, by the D words from `at`, then by the
// bytes after them, then by record.
template <size_t D>
void sortLevel(Item<D>* begin, Item<D>* end, const char* keys, size_t keyLength, size_t at) {
    std::sort(begin, end, [](const Item<D>& a, const Item<D>& b) {
        for (size_t w = 0; w < D; ++w)
            if (a.digit[w] != b.digit[w]) return a.digit[w] < b.digit[w];
        return a.index < b.index;
    });
    const size_t next = at + 8 * D;
    if (next >= keyLength) return;
    for (Item<D>* run = begin; run != end;) {
        Item<D>* after = run + 1;
        while (after != end && sameDigits(*after, *run)) ++after;
        if (after - run > 1) {
            for (Item<D>* it = run; it != after; ++it)
                loadDigits(it, keys + it->index * keyLength, keyLength, next);
            sortLevel(run, after, keys, keyLength, next);
        }
        run = after;
    }
}

// Runs fn(0) and, on a second thread where the machine has a second core and `n` items are
// worth one, fn(1) at the same time; else fn(1) after fn(0) on this thread. A thread that cannot
// be started leaves all the work to this one.
template <typename Fn>
void onTwo(uint32_t n, Fn fn) {
    std::thread second;
    if (n >= kThreadItems && std::thread::hardware_concurrency() >= 2) {
        try {
            second = std::thread(fn, 1);
        } catch (const std::system_error&) {
        }
    }
    fn(0);
    if (second.joinable())
        second.join();
    else
        fn(1);
}

template <size_t D>
std::vector<uint32_t> sortWith(char* keys, size_t kl, uint32_t n) {
    // The items are first laid out by their first two key bytes (a counting pass, then each
    // item loaded straight into its bucket), so that the comparison sort runs on small buckets
    // that stay in the cache instead of on the whole array. Both passes split the records in
    // two halves, the second half's items of a bucket placed after the first half's.
    const auto bucket = [&](uint32_t i) {
        const auto* k = reinterpret_cast<const uint8_t*>(keys + i * kl);
        return kl > 1 ? static_cast<size_t>(k[0]) << 8 | k[1] : static_cast<size_t>(k[0]) << 8;
    };
    const uint32_t halves[3] = {0, n / 2, n};
    std::vector<uint32_t> next[2];
    onTwo(n, [&](int h) {
        next[h].assign(kBuckets, 0);
        for (uint32_t i = halves[h]; i < halves[h + 1]; ++i) ++next[h][bucket(i)];
    });
    std::vector<uint32_t> start(kBuckets + 1, 0);
    for (size_t b = 0; b < kBuckets; ++b) {
        const uint32_t first = next[0][b], second = next[1][b];
        next[0][b] = start[b];
        next[1][b] = start[b] + first;
        start[b + 1] = start[b] + first + second;
    }
    BulkMemory itemMemory(sizeof(Item<D>) * n);
    Item<D>* const items = reinterpret_cast<Item<D>*>(itemMemory.data());
    std::uninitialized_default_construct_n(items, n);  // every item is written before it is read
    onTwo(n, [&](int h) {
        std::vector<uint32_t>& at = next[h];
        for (uint32_t i = halves[h]; i < halves[h + 1]; ++i) {
            Item<D>* item = &items[at[bucket(i)]++];
            item->index = i;
            loadDigits(item, keys + i * kl, kl, kBucketBytes);
        }
    });
    // Each thread takes the next bucket not yet taken, so that neither waits for the other
    // while buckets remain, however unevenly the keys or the machine's other work fall.
    std::atomic<size_t> taken{0};
    onTwo(n, [&](int) {
        for (size_t b; (b = taken.fetch_add(1, std::memory_order_relaxed)) < kBuckets;)
            if (start[b + 1] - start[b] > 1)
                sortLevel(items + start[b], items + start[b + 1], keys, kl,
                          kBucketBytes);
    });
    std::vector<uint32_t> order(n);
    if (kl > kBucketBytes + 8 * D) {
        // The items hold only part of these keys: they are gathered from the records' keys.
        BulkMemory sorted(static_cast<size_t>(n) * kl);
        for (uint32_t i = 0; i < n; ++i) {
            order[i] = items[i].index;
            std::memcpy(sorted.data() + i * kl, keys + order[i] * kl, kl);
        }
        std::memcpy(keys, sorted.data(), static_cast<size_t>(n) * kl);
        return order;
    }
    // The bucket and the words hold each whole key: the keys are written back from the items in
    // their order, over the records' keys, which nothing reads any more; the buckets holding the
    // first half of the items on one thread, the rest on the other.
    const size_t split =
        static_cast<size_t>(std::upper_bound(start.begin(), start.end(), n / 2) - start.begin()) -
        1;
    onTwo(n, [&](int h) {
        char word[8 * D];
        for (size_t b = h == 0 ? 0 : split; b < (h == 0 ? split : kBuckets); ++b)
            for (uint32_t i = start[b]; i < start[b + 1]; ++i) {
                order[i] = items[i].index;
                char* key = keys + i * kl;
                key[0] = static_cast<char>(b >> 8);
                if (kl > 1) key[1] = static_cast<char>(b);
                for (size_t w = 0; w < D; ++w) {
                    const uint64_t d = __builtin_bswap64(items[i].digit[w]);
                    std::memcpy(word + 8 * w, &d, 8);
                }
                if (kl > kBucketBytes) std::memcpy(key + kBucketBytes, word, kl - kBucketBytes);
            }
    });
    return order;
}

}  // namespace

std::vector<uint32_t> sortKeys(char* keys, int keyLength, uint32_t n) {
    const size_t kl = static_cast<size_t>(keyLength);
    const size_t rest = kl > kBucketBytes ? kl - kBucketBytes : 0;
    switch (std::min(kMaxDigits, std::max<size_t>(1, (rest + 7) / 8))) {
        case 1:
            return sortWith<1>(keys, kl, n);
        case 2:
            return sortWith<2>(keys, kl, n);
        case 3:
            return sortWith<3>(keys, kl, n);
        default:
            return sortWith<kMaxDigits>(keys, kl, n);
    }
}

}  // namespace xbase
