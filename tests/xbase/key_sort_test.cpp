#include "db/xbase/key_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <random>
#include <string>

// Keys that tie over one, two or more 8-byte words, against a plain stable sort, at lengths
// whose bytes after the first two fill their last word exactly or spill one byte into the
// next (the items then hold fewer words), and past what one level holds; the large counts are
// sorted on two threads where the machine has two cores. The keys are left in key order: rebuilt
// from the items where these hold whole keys, gathered from the records' keys where not.
TEST(KeySort, OrdersByKeyBytesThenRecordAndLeavesTheKeysInThatOrder) {
    std::mt19937 rng(3);
    for (int keyLength : {1, 2, 6, 10, 11, 18, 19, 26, 27, 33, 34, 35, 100}) {
        const uint32_t n = keyLength == 10 || keyLength == 34 || keyLength == 35 ? 150000 : 3000;
        std::string keys(static_cast<size_t>(n) * keyLength, ' ');
        for (uint32_t i = 0; i < n; ++i)
            for (int b = 0; b < keyLength; ++b)
                if (rng() % 4 == 0) keys[i * keyLength + b] = static_cast<char>('A' + rng() % 3);
        keys[0] = '\xE9';  // a byte above 127 sorts after ASCII
        keys[keys.size() - 1] = '\0';
        std::vector<uint32_t> expected(n);
        std::iota(expected.begin(), expected.end(), 0u);
        std::stable_sort(expected.begin(), expected.end(), [&](uint32_t a, uint32_t b) {
            return std::memcmp(&keys[a * keyLength], &keys[b * keyLength], keyLength) < 0;
        });
        std::string sorted;
        for (uint32_t i : expected) sorted.append(keys, i * keyLength, keyLength);
        EXPECT_EQ(xbase::sortKeys(keys.data(), keyLength, n), expected) << keyLength;
        EXPECT_TRUE(keys == sorted) << keyLength;
    }
    char none[1] = {};
    EXPECT_TRUE(xbase::sortKeys(none, 5, 0).empty());
}
