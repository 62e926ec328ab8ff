// Places in key order for NtxIndex: the subtree counts gathered from the file, and the place of
// an entry and the entry at a place computed from them (see the opening note of ntx.h).
#include <algorithm>

#include "db/xbase/dbf.h"
#include "db/xbase/ntx.h"
#include "db/xbase/xbase.h"

namespace xbase {
namespace {

constexpr uint16_t kNotLeaf = 0xFFFF;
constexpr size_t kChunk = 1 << 20;

}  // namespace

Status NtxIndex::gatherCounts() {
    if (counted_) return {};
    // One pass over the file in large pieces: for each page not held in memory, its item count
    // when it is a leaf, or its bytes when it has children (a few in a hundred pages).
    const size_t pages = static_cast<size_t>(fileSize_ / kPage);
    std::vector<uint16_t> leafItems(pages, kNotLeaf);
    std::vector<std::string> branches(pages);
    std::string chunk(kChunk, '\0');
    for (uint64_t at = kPage; at < fileSize_; at += kChunk) {
        size_t got = 0;
        XBASE_TRY(file_->read(at, static_cast<size_t>(std::min<uint64_t>(kChunk, fileSize_ - at)),
                              chunk.data(), &got));
        for (size_t off = 0; off + kPage <= got; off += kPage) {
            const uint64_t offset = at + off;
            if (cached(static_cast<uint32_t>(offset))) continue;
            const char* p = chunk.data() + off;
            const int n = get16(p);
            if (n > max_) continue;  // damaged: reported by load() should the tree reach it
            bool leaf = true;
            for (int i = 0; i <= n && leaf; ++i) {
                const int item = get16(p + 2 + 2 * i);
                leaf = item >= 2 && item + 4 <= static_cast<int>(kPage) && get32(p + item) == 0;
            }
            const size_t page = static_cast<size_t>(offset / kPage);
            if (leaf)
                leafItems[page] = static_cast<uint16_t>(n);
            else
                branches[page].assign(p, kPage);
        }
    }
    std::vector<bool> seen(pages, false);
    Status s = countSubtree(root_, 0, leafItems, &branches, &seen);
    if (!s.ok()) {
        counts_.clear();
        return s;
    }
    counted_ = true;
    return {};
}

Status NtxIndex::countSubtree(uint32_t offset, size_t depth, const std::vector<uint16_t>& leafItems,
                              std::vector<std::string>* branches, std::vector<bool>* seen) {
    if (depth >= kMaxDepth) return corrupt("tree too deep or cyclic");
    if (offset == 0 || !validPage(offset))
        return corrupt("page offset " + std::to_string(offset) + " out of range");
    const size_t page = offset / kPage;
    if (page >= seen->size()) seen->resize(page + 1, false);
    if ((*seen)[page]) return corrupt("a page is reached twice (cycle)");
    (*seen)[page] = true;
    Node* x = cached(offset);
    if (!x && page < leafItems.size() && leafItems[page] != kNotLeaf) {
        countOf(offset) = leafItems[page];
        return {};
    }
    if (!x && page < branches->size() && !(*branches)[page].empty()) {
        XBASE_TRY(decode(offset, (*branches)[page].data(), &x));
        std::string().swap((*branches)[page]);
    }
    if (!x) XBASE_TRY(load(offset, &x));  // neither leaf nor branch: load() says what is wrong
    if (x->free) return corrupt("a free page is in use");
    uint32_t total = static_cast<uint32_t>(x->n);
    for (int i = 0; i <= x->n; ++i) {
        if (x->kids[i] == 0) continue;
        XBASE_TRY(countSubtree(x->kids[i], depth + 1, leafItems, branches, seen));
        total += countOf(x->kids[i]);
    }
    countOf(offset) = total;
    return {};
}

Status NtxIndex::place(const Cursor& c, uint32_t* before) {
    XBASE_TRY(gatherCounts());
    uint32_t sum = 0;
    for (size_t d = 0; d < c.path.size(); ++d) {
        const Cursor::Step& s = c.path[d];
        // Above the last page the path takes child `slot`; on the last page the entry's own left
        // subtree lies before it too.
        const int kids = d + 1 < c.path.size() ? s.slot : s.slot + 1;
        for (int i = 0; i < kids; ++i) sum += kidCount(s.node, i);
        sum += static_cast<uint32_t>(s.slot);
    }
    *before = sum;
    return {};
}

Status NtxIndex::seekPlace(uint32_t before, Cursor* c, bool* found) {
    *found = false;
    c->path.clear();
    XBASE_TRY(gatherCounts());
    Node* node = nullptr;
    XBASE_TRY(load(root_, &node));
    if (before >= countOf(root_)) return {};
    for (;;) {
        if (c->path.size() >= kMaxDepth) return corrupt("tree too deep or cyclic");
        int i = 0;
        for (;; ++i) {
            const uint32_t below = kidCount(node, i);
            if (before < below) break;
            before -= below;
            if (i == node->n) {
                c->path.clear();
                return corrupt("page counts disagree with the tree");
            }
            if (before == 0) {
                c->path.push_back({node, i});
                *found = true;
                return {};
            }
            --before;
        }
        c->path.push_back({node, i});
        Status s = load(node->kids[i], &node);
        if (!s.ok()) {
            c->path.clear();
            return s;
        }
    }
}

}  // namespace xbase
