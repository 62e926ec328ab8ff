#include "db/xbase/key_sort.h"

#include <algorithm>
#include <cstring>

namespace xbase {
namespace {

// A level compares 24 key bytes held inline as three big-endian words, so integer order is
// byte order; that settles nearly every key this program indexes in one level.
constexpr size_t kDigits = 3;
constexpr size_t kLevel = 8 * kDigits;

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
    std::vector<Item> items(n);
    for (uint32_t i = 0; i < n; ++i) items[i].index = i;
    const size_t kl = static_cast<size_t>(keyLength);
    loadDigits(items.data(), items.data() + n, keys, kl, 0);
    sortLevel(items.data(), items.data() + n, keys, kl, 0);
    std::vector<uint32_t> order(n);
    for (uint32_t i = 0; i < n; ++i) order[i] = items[i].index;
    return order;
}

}  // namespace xbase
