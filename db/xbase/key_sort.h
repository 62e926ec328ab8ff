// Sorting fixed-width keys for a bulk index build: the order of records by (key bytes, record
// number), as the index keeps them. A level sorts items holding 24 key bytes inline with their
// record, and only runs that tie on all 24 go on to the next 24 bytes, so sorting never chases
// keys through memory while comparing.
#pragma once

#include <cstdint>
#include <vector>

namespace xbase {

// keys holds n keys of keyLength bytes, key i belonging to record i + 1; returns the record
// indices (0-based) in key order, ties in record order.
std::vector<uint32_t> sortKeys(const char* keys, int keyLength, uint32_t n);

}  // namespace xbase
