// Sorting fixed-width keys for a bulk index build: the order of records by (key bytes, record
// number), as the index keeps them. Keys are compared eight bytes at a time: a level sorts
// (8-byte digit, record) pairs held inline, and only runs that tie on a digit go on to the next
// eight bytes, so long keys with common beginnings cost little more than short ones.
#pragma once

#include <cstdint>
#include <vector>

namespace xbase {

// keys holds n keys of keyLength bytes, key i belonging to record i + 1; returns the record
// indices (0-based) in key order, ties in record order.
std::vector<uint32_t> sortKeys(const char* keys, int keyLength, uint32_t n);

}  // namespace xbase
