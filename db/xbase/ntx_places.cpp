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

// What the pass over the file learnt of each page not held in memory.
struct NtxIndex::PageScan {
    static constexpr uint32_t kUnknown = 0xFFFFFFFF;
    static constexpr uint32_t kBranch = 0x80000000;
    // By page number: a leaf's item count, kBranch + the index of its bytes in `branches`, or
    // kUnknown (damaged, or not read).
    std::vector<uint32_t> pages;
    std::string branches;  // whole pages back to back
    std::vector<bool> seen;
};

Status NtxIndex::gatherCounts() {
    if (counted_) return {};
    // One pass over the file: for each page not held in memory, its item count when it is a
    // leaf, or its bytes when it has children (a few in a hundred pages). A page is a leaf when
    // its first child pointer is 0, as everywhere in this engine.
    PageScan scan;
    const size_t pages = static_cast<size_t>(fileSize_ / kPage);
    scan.pages.assign(pages, PageScan::kUnknown);
    scan.seen.assign(pages, false);
    const auto takePages = [&](uint64_t at, const char* bytes, uint64_t length) {
        for (uint64_t off = 0; off + kPage <= length; off += kPage) {
            const uint64_t offset = at + off;
            if (cached(static_cast<uint32_t>(offset))) continue;
            const char* p = bytes + off;
            const int n = get16(p);
            const int first = get16(p + 2);
            if (n > max_ || first < 2 || first + 4 > static_cast<int>(kPage))
                continue;  // damaged: reported by load() should the tree reach it
            uint32_t& info = scan.pages[static_cast<size_t>(offset / kPage)];
            if (get32(p + first) == 0) {
                info = static_cast<uint32_t>(n);
            } else {
                info = PageScan::kBranch | static_cast<uint32_t>(scan.branches.size() / kPage);
                scan.branches.append(p, kPage);
            }
        }
    };
    std::unique_ptr<FileView> view;
    if (file_->view(&view).ok()) {
        const uint64_t length = std::min<uint64_t>(view->size(), fileSize_);
        if (length > kPage) takePages(kPage, view->data() + kPage, length - kPage);
        view.reset();
    } else {
        std::string chunk(kChunk, '\0');
        for (uint64_t at = kPage; at < fileSize_; at += kChunk) {
            size_t got = 0;
            XBASE_TRY(file_->read(at,
                                  static_cast<size_t>(std::min<uint64_t>(kChunk, fileSize_ - at)),
                                  chunk.data(), &got));
            takePages(at, chunk.data(), got);
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
    const uint32_t info = page < scan->pages.size() ? scan->pages[page] : PageScan::kUnknown;
    if (!x && info != PageScan::kUnknown && !(info & PageScan::kBranch)) {
        countOf(offset) = info;
        return {};
    }
    if (!x && info != PageScan::kUnknown)
        XBASE_TRY(decode(offset, scan->branches.data() + (info & ~PageScan::kBranch) * kPage, &x));
    if (!x) XBASE_TRY(load(offset, &x));  // neither leaf nor branch: load() says what is wrong
    if (x->free) return corrupt("a free page is in use");
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
