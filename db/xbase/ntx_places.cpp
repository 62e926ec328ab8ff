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

// What one pass over the file in pieces kept of each page, for the walk down the tree after it.
struct NtxIndex::PageScan {
    static constexpr uint32_t kUnknown = 0xFFFFFFFF;
    static constexpr uint32_t kBranch = 0x80000000;
    // By page number: a leaf's item count, kBranch + the index of its bytes in `branches`, or
    // kUnknown (damaged, held in memory, or not read).
    std::vector<uint32_t> pages;
    // By page number, for leaves: the least and greatest record number on the page.
    std::vector<uint32_t> low, high;
    std::string branches;  // whole pages back to back
    std::vector<bool> seen;
    Survey found;
    bool any = false;
    void entries(uint32_t lowRec, uint32_t highRec) {
        found.lowRec = any ? std::min(found.lowRec, lowRec) : lowRec;
        found.highRec = any ? std::max(found.highRec, highRec) : highRec;
        any = true;
    }
};

// The item count of page bytes `p` when it is a whole leaf: every slot inside the page and every
// child pointer 0; -1 for a page with children or a damaged one. Sets the range of its records.
int NtxIndex::leafItems(const char* p, uint32_t* low, uint32_t* high) const {
    const int n = get16(p);
    if (n > max_) return -1;
    uint32_t lo = 0xFFFFFFFF, hi = 0;
    for (int i = 0; i <= n; ++i) {
        const int at = get16(p + 2 + 2 * i);
        if (at < 2 || at + (i < n ? itemSize_ : 4) > static_cast<int>(kPage)) return -1;
        if (get32(p + at) != 0) return -1;
        if (i == n) break;
        const uint32_t rec = get32(p + at + 4);
        lo = std::min(lo, rec);
        hi = std::max(hi, rec);
    }
    *low = lo;
    *high = hi;
    return n;
}

Status NtxIndex::gatherCounts() {
    if (counted_) return {};
    Survey survey;
    return this->survey(&survey);
}

Status NtxIndex::survey(Survey* out) {
    Op op(this, nullptr);
    counted_ = false;
    PageScan scan;
    const size_t pages = static_cast<size_t>(fileSize_ / kPage);
    scan.seen.assign(pages, false);
    scan.pages.assign(pages, PageScan::kUnknown);
    scan.low.assign(pages, 0);
    scan.high.assign(pages, 0);
    // One pass over the file in large pieces: for each page not held in memory, its item count
    // and record range when it is a leaf, or its bytes when it has children (a few in a hundred).
    std::string chunk(std::min<uint64_t>(kChunk, fileSize_), '\0');
    for (uint64_t at = kPage; at < fileSize_; at += kChunk) {
        size_t got = 0;
        XBASE_TRY(file_->read(at, static_cast<size_t>(std::min<uint64_t>(kChunk, fileSize_ - at)),
                              chunk.data(), &got));
        for (size_t off = 0; off + kPage <= got; off += kPage) {
            const uint64_t offset = at + off;
            const char* p = chunk.data() + off;
            if (cached(static_cast<uint32_t>(offset)) || get16(p) > max_) continue;
            const size_t page = static_cast<size_t>(offset / kPage);
            if (const int n = leafItems(p, &scan.low[page], &scan.high[page]); n >= 0) {
                scan.pages[page] = static_cast<uint32_t>(n);
            } else {
                scan.pages[page] =
                    PageScan::kBranch | static_cast<uint32_t>(scan.branches.size() / kPage);
                scan.branches.append(p, kPage);
            }
        }
    }
    counts_.assign(pages, 0);
    Status s = countSubtree(root_, 0, &scan);
    if (!s.ok()) {
        counts_.clear();
        return s;
    }
    scan.found.entries = countOf(root_);
    if (scan.found.entries == 0) scan.found = {};
    *out = scan.found;
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
    if (x) used(x);  // kept while the pages below it are read
    if (!x && page < scan->pages.size() && scan->pages[page] != PageScan::kUnknown) {
        const uint32_t info = scan->pages[page];
        if (!(info & PageScan::kBranch)) {
            if (info == 0 && depth > 0) return corrupt("empty page below the root");
            countOf(offset) = info;
            if (info > 0) scan->entries(scan->low[page], scan->high[page]);
            return {};
        }
        XBASE_TRY(decode(offset, scan->branches.data() + (info & ~PageScan::kBranch) * kPage, &x));
    }
    if (!x) XBASE_TRY(load(offset, &x));  // not read or damaged: load() says what is wrong
    if (x->free) return corrupt("a free page is in use");
    if (x->n == 0 && depth > 0) return corrupt("empty page below the root");
    uint32_t total = static_cast<uint32_t>(x->n);
    for (int i = 0; i < x->n; ++i) scan->entries(x->recs[i], x->recs[i]);
    for (int i = 0; i <= x->n; ++i) {
        if (x->kids[i] == 0) continue;
        XBASE_TRY(countSubtree(x->kids[i], depth + 1, scan));
        total += countOf(x->kids[i]);
    }
    countOf(offset) = total;
    return {};
}

Status NtxIndex::place(const Cursor& c, uint32_t* before) {
    Op op(this, &c);
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
    Op op(this, nullptr);
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
