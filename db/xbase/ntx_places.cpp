// Places in key order for NtxIndex: the subtree counts gathered from the file, and the place of
// an entry and the entry at a place computed from them (see the opening note of ntx.h).
#include <algorithm>

#include "db/xbase/dbf.h"
#include "db/xbase/ntx.h"
#include "db/xbase/xbase.h"

namespace xbase {
namespace {

constexpr size_t kChunk = 1 << 20;

}  // namespace

// Where the pages not held in memory are read from while counting: a view of the file, or what
// one pass over the file in pieces kept of each page.
struct NtxIndex::PageScan {
    const char* view = nullptr;
    uint64_t viewSize = 0;
    static constexpr uint32_t kUnknown = 0xFFFFFFFF;
    static constexpr uint32_t kBranch = 0x80000000;
    // Without a view, by page number: a leaf's item count, kBranch + the index of its bytes in
    // `branches`, or kUnknown (damaged, or not read).
    std::vector<uint32_t> pages;
    std::string branches;  // whole pages back to back
    std::vector<bool> seen;
};

// The item count of page bytes `p` when it is a leaf (its first child pointer is 0, as
// everywhere in this engine); -1 for a page with children or a damaged one.
int NtxIndex::leafItems(const char* p) const {
    const int n = get16(p);
    const int first = get16(p + 2);
    if (n > max_ || first < 2 || first + 4 > static_cast<int>(kPage)) return -1;
    return get32(p + first) == 0 ? n : -1;
}

Status NtxIndex::gatherCounts() {
    if (counted_) return {};
    PageScan scan;
    const size_t pages = static_cast<size_t>(fileSize_ / kPage);
    scan.seen.assign(pages, false);
    std::unique_ptr<FileView> view;
    if (file_->view(&view).ok()) {
        scan.view = view->data();
        scan.viewSize = std::min<uint64_t>(view->size(), fileSize_);
    } else {
        // One pass over the file in pieces: for each page not held in memory, its item count
        // when it is a leaf, or its bytes when it has children (a few in a hundred pages).
        scan.pages.assign(pages, PageScan::kUnknown);
        std::string chunk(kChunk, '\0');
        for (uint64_t at = kPage; at < fileSize_; at += kChunk) {
            size_t got = 0;
            XBASE_TRY(file_->read(at,
                                  static_cast<size_t>(std::min<uint64_t>(kChunk, fileSize_ - at)),
                                  chunk.data(), &got));
            for (size_t off = 0; off + kPage <= got; off += kPage) {
                const uint64_t offset = at + off;
                const char* p = chunk.data() + off;
                if (cached(static_cast<uint32_t>(offset)) || get16(p) > max_) continue;
                uint32_t& info = scan.pages[static_cast<size_t>(offset / kPage)];
                if (const int n = leafItems(p); n >= 0) {
                    info = static_cast<uint32_t>(n);
                } else {
                    info = PageScan::kBranch | static_cast<uint32_t>(scan.branches.size() / kPage);
                    scan.branches.append(p, kPage);
                }
            }
        }
    }
    counts_.assign(pages, 0);
    Status s = countSubtree(root_, 0, &scan);
    if (!s.ok()) {
        counts_.clear();
        return s;
    }
    counted_ = true;
    return {};
}

Status NtxIndex::countSubtree(uint32_t offset, size_t depth, PageScan* scan) {
    if (depth >= kMaxDepth) return corrupt("tree too deep or cyclic");
    if (offset == 0 || !validPage(offset))
        return corrupt("page offset " + std::to_string(offset) + " out of range");
    const size_t page = offset / kPage;
    if (page >= scan->seen.size()) scan->seen.resize(page + 1, false);
    if (scan->seen[page]) return corrupt("a page is reached twice (cycle)");
    scan->seen[page] = true;
    Node* x = cached(offset);
    if (!x) {
        const char* p = nullptr;
        if (scan->view) {
            if (offset + uint64_t{kPage} <= scan->viewSize) p = scan->view + offset;
        } else if (page < scan->pages.size() && scan->pages[page] != PageScan::kUnknown) {
            const uint32_t info = scan->pages[page];
            if (!(info & PageScan::kBranch)) {
                countOf(offset) = info;
                return {};
            }
            p = scan->branches.data() + (info & ~PageScan::kBranch) * kPage;
        }
        if (p) {
            if (const int n = leafItems(p); n >= 0) {
                countOf(offset) = static_cast<uint32_t>(n);
                return {};
            }
            XBASE_TRY(decode(offset, p, &x));
        }
    }
    if (!x) XBASE_TRY(load(offset, &x));  // not read or damaged: load() says what is wrong
    if (x->free) return corrupt("a free page is in use");
    if (scan->view)  // the children's first bytes are fetched together, not one after another
        for (int i = 0; i <= x->n; ++i)
            if (x->kids[i] != 0 && x->kids[i] + uint64_t{kPage} <= scan->viewSize)
                __builtin_prefetch(scan->view + x->kids[i]);
    uint32_t total = static_cast<uint32_t>(x->n);
    for (int i = 0; i <= x->n; ++i) {
        if (x->kids[i] == 0) continue;
        XBASE_TRY(countSubtree(x->kids[i], depth + 1, scan));
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
