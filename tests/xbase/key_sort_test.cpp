#include "db/xbase/key_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <random>
#include <string>

// Keys that tie over one, two or more 8-byte digits, against a plain stable sort; the large
// count is sorted on two threads where the machine has two cores.
TEST(KeySort, OrdersByKeyBytesThenRecord) {
    std::mt19937 rng(3);
    for (int keyLength : {1, 6, 8, 9, 16, 33, 100}) {
        const uint32_t n = keyLength == 9 ? 150000 : 3000;
        std::string keys(static_cast<size_t>(n) * keyLength, ' ');
        for (uint32_t i = 0; i < n; ++i)
            for (int b = 0; b < keyLength; ++b)
                if (rng() % 4 == 0) keys[i * keyLength + b] = static_cast<char>('A' + rng() % 3);
        keys[0] = '\xE9';  // a byte above 127 sorts after ASCII
        std::vector<uint32_t> expected(n);
        std::iota(expected.begin(), expected.end(), 0u);
        std::stable_sort(expected.begin(), expected.end(), [&](uint32_t a, uint32_t b) {
            return std::memcmp(&keys[a * keyLength], &keys[b * keyLength], keyLength) < 0;
        });
        EXPECT_EQ(xbase::sortKeys(keys.data(), keyLength, n), expected) << keyLength;
    }
    EXPECT_TRUE(xbase::sortKeys("", 5, 0).empty());
}
