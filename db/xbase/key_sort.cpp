#include "db/xbase/key_sort.h"

#include <algorithm>
#include <cstring>

namespace xbase {
namespace {

struct Item {
    uint64_t digit;  // eight key bytes, big-endian, so integer order is byte order
    uint32_t index;
};

void loadDigits(Item* begin, Item* end, const char* keys, size_t keyLength, size_t at) {
    for (Item* it = begin; it != end; ++it) {
        const char* k = keys + it->index * keyLength + at;
        uint64_t d = 0;
        if (at + 8 <= keyLength) {
            std::memcpy(&d, k, 8);
            d = __builtin_bswap64(d);
        } else {
            for (size_t b = 0; b < 8; ++b)
                d = d << 8 | (at + b < keyLength ? static_cast<uint8_t>(k[b]) : 0);
        }
        it->digit = d;
    }
}

void sortLevel(Item* begin, Item* end, const char* keys, size_t keyLength, size_t at) {
    std::sort(begin, end, [](const Item& a, const Item& b) {
        return a.digit != b.digit ? a.digit < b.digit : a.index < b.index;
    });
    if (at + 8 >= keyLength) return;
    for (Item* run = begin; run != end;) {
        Item* next = run + 1;
        while (next != end && next->digit == run->digit) ++next;
        if (next - run > 1) {
            loadDigits(run, next, keys, keyLength, at + 8);
            sortLevel(run, next, keys, keyLength, at + 8);
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
