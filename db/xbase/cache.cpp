#include "db/xbase/cache.h"

#include <algorithm>

namespace xbase {

void CacheBudget::leave(CachePart* part) {
    parts_.erase(std::remove(parts_.begin(), parts_.end(), part), parts_.end());
}

void CacheBudget::trim() {
    while (used_ > limit_) {
        CachePart* pick = nullptr;
        uint64_t oldest = UINT64_MAX;
        for (CachePart* part : parts_)
            if (const uint64_t used = part->oldestUse(); used < oldest) {
                oldest = used;
                pick = part;
            }
        if (!pick) return;
        pick->dropOldest();
    }
}

}  // namespace xbase
