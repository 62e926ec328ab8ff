// The floor for building an index: how long a plain in-memory std::sort takes to order the
// same (key, record number) pairs an index tag holds, keys already evaluated.
#pragma once

#include <string>

namespace bench {

// `keys` holds one key of `keyLength` bytes per record, record 1 first. Returns seconds spent
// sorting only (not preparing the pairs); throws if the result is out of order.
double sortSeconds(const std::string& keys, int keyLength);

}  // namespace bench
