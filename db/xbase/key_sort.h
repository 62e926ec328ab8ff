// Sorting fixed-width keys for a bulk index build: the order of records by (key bytes, record
// number), as the index keeps them. Items are laid out by their first two key bytes; a level
// sorts items holding up to 32 more key bytes inline with their record, and only runs that tie
// on all of them go on to the next bytes, so sorting never chases keys through memory while
// comparing. The keys end up in key order, for the index to be written front to back.
#pragma once

#include <cstdint>
#include <vector>

namespace xbase {

// keys holds n keys of keyLength bytes, key i belonging to record i + 1; returns the record
// indices (0-based) in key order, ties in record order, and leaves the keys in that order.
std::vector<uint32_t> sortKeys(char* keys, int keyLength, uint32_t n);

}  // namespace xbase
