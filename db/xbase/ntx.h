// One index tag in a Clipper-layout .ntx file: a B-tree of fixed-width keys with record numbers.
//
// Layout: 1024-byte pages; page 0 is the header (signature 6, an update counter, root page
// offset, free-list head, item size = key size + 8, key size, decimals, max items per page,
// half of it, the key expression text). A page holds its item count, max + 1 slot offsets
// (a permutation, read through) and the items: left-child page offset, record number, key.
// The slot after the last key carries only the right-most child. Page addresses are byte
// offsets. It is a true B-tree: interior items are real entries, and in-order traversal gives
// key order. Freed pages form a list through the first item's child pointer.
//
// Invariants kept by this engine: entries are ordered by (key bytes, record number), so an
// entry is found in O(log n) however many duplicates share its key; every page but the root
// holds between half and max items; all leaves are at one depth. Files written by other
// tools are read as they are (duplicates in any order); nothing read from the file is trusted
// further than its bounds: page offsets past the end, cycles and bad counts give kErrIndex.
//
// Decoded pages stay in memory, under the context's cache budget (cache.h) when the index has
// one: a clean page may go when the budget is spent, least recently used first, unless it is on
// the path of the cursor the table keeps (keep()) or was used by the operation under way.
// Changed pages stay until commit() writes them.
//
// Places in key order: once an entry's place is first asked for (or the tree surveyed), the
// index gathers, for every page of the tree, the number of entries in the subtree below it
// (counts_, by page number), reading the file once front to back. From then on every insert,
// removal, split, borrowing and merge keeps the counts of the pages it touches and of their
// ancestors exact, so that counts_[p] equals the entries under page p for every page p of the tree
// whenever counted_ is set; pages outside the tree (free ones, ones never reached) have no
// meaningful count. The place of an entry is then the sum, down its path, of the entries and
// subtrees left of the path, and the entry at a place is found by the same sums: O(tree depth x
// items per page), never a walk. reload() drops the counts with the pages. The file format is
// untouched: the counts live only in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "db/xbase/cache.h"
#include "db/xbase/env.h"

namespace xbase {

class NtxIndex final : private CachePart {
public:
    struct Node;
    // The path from the root to the current entry: for each page above the last, the child
    // taken; on the last page, the entry's slot.
    struct Cursor {
        struct Step {
            Node* node;
            int slot;
        };
        std::vector<Step> path;
        bool valid() const { return !path.empty(); }
    };

    // The decoded pages count against `budget`; without one they stay until reload() or the end.
    static Status open(Env* env, const std::string& path, std::unique_ptr<NtxIndex>* out,
                       CacheBudget* budget = nullptr);
    // Writes a complete index file at `path` from order.size() entries in (key, record) order:
    // entry i is record order[i] + 1 with key keys + i x keyLength.
    static Status build(Env* env, const std::string& path, const std::string& expression,
                        int keyLength, const char* keys, const std::vector<uint32_t>& order);
    static int maxItems(int keyLength);
    static constexpr uint32_t kPage = 1024;
    static constexpr size_t kMaxDepth = 32;

    ~NtxIndex() override;
    NtxIndex(const NtxIndex&) = delete;
    NtxIndex& operator=(const NtxIndex&) = delete;
    // The cursor whose pages stay in memory between operations (the table's); nullptr for none.
    // Only compared with, never followed, so it may be stale.
    void keep(const Cursor* cursor) { keep_ = cursor; }
    const std::string& expression() const { return expression_; }
    int keyLength() const { return keyLength_; }
    File* file() { return file_.get(); }
    const std::string& path() const { return path_; }

    // Each sets *found (or *moved) to false when there is no such entry; the cursor is then
    // left unchanged (next/prev) or emptied (first/last).
    Status first(Cursor* c, bool* found);
    Status last(Cursor* c, bool* found);
    Status next(Cursor* c, bool* moved);
    Status prev(Cursor* c, bool* moved);
    // First entry whose key, compared over key.size() bytes, is not less than `key`:
    // kFound when it matches, kAfter when greater, kEof when none.
    Status seek(std::string_view key, Cursor* c, int* result);
    // The entry (key, rec) exactly.
    Status find(std::string_view key, uint32_t rec, Cursor* c, bool* found);
    std::string_view key(const Cursor& c) const;
    uint32_t rec(const Cursor& c) const;
    double position(const Cursor& c) const;
    // The number of entries before the cursor's entry in key order (0 for the first).
    Status place(const Cursor& c, uint32_t* before);
    // The cursor on the entry with `before` entries before it; *found false (cursor emptied)
    // when there are no more than `before` entries.
    Status seekPlace(uint32_t before, Cursor* c, bool* found);

    // What one pass over the tree finds: its entries and the least and greatest record number
    // among them (both 0 when there are none).
    struct Survey {
        uint64_t entries = 0;
        uint32_t lowRec = 0;
        uint32_t highRec = 0;
    };
    // Reads the file front to back in large pieces and walks the tree from what it read,
    // gathering the counts place() uses (afresh) and the survey: O(pages), decoding only the
    // pages with children, the page changes held in memory taken over the file. kErrIndex for a
    // tree that is damaged: a page out of range or reached twice, bad slots, a free page in use.
    Status survey(Survey* out);

    // Cursors are invalid after a change.
    Status insert(std::string_view key, uint32_t rec);
    Status remove(std::string_view key, uint32_t rec);
    // Writes changed pages and the header.
    Status commit();
    // Drops every page in memory, changed or not, and reads the header again.
    Status reload();
    size_t dirtyPages() const { return dirty_.size(); }

    // Walks the whole tree checking its structure and key order; calls `entry` for each entry
    // in order. Returns false (after reporting) when the structure is too broken to go on.
    bool check(const std::function<void(const std::string&)>& problem,
               const std::function<void(std::string_view key, uint32_t rec)>& entry);

private:
    NtxIndex() = default;
    // Marks the start of a public operation (nested ones belong to the outer one): pages used
    // from here on, and those on `uses`, the cursor it goes on from, stay until it ends.
    class Op;
    // The least recently used page that may go: clean, not on the kept cursor's path, not used
    // by the operation under way; nullptr for none.
    Node* evictable();
    uint64_t oldestUse() override;
    void dropOldest() override;
    void used(Node* x);
    void markDirty(Node* x);
    void freeNode(Node* x);
    void dropNodes();
    // The page at `offset`: the one held in memory, else read and decoded by readPage().
    Status load(uint32_t offset, Node** node);
    Status readPage(uint32_t offset, Node** node);
    // Decodes page bytes `p` read at `offset` into a node held in memory.
    Status decode(uint32_t offset, const char* p, Node** node);
    // Fills counts_ for the whole tree (see the opening note), when not yet counted_.
    Status gatherCounts();
    struct PageScan;
    Status countSubtree(uint32_t offset, size_t depth, PageScan* scan);
    int leafItems(const char* page, uint32_t* low, uint32_t* high) const;
    uint32_t& countOf(uint32_t offset) {
        const size_t page = offset / kPage;
        if (counts_.size() <= page) counts_.resize(page + 1, 0);
        return counts_[page];
    }
    // The entries under child `i` of `x` (none below a leaf).
    uint32_t kidCount(const Node* x, int i);
    Status edge(Cursor* c, bool* found, bool first);
    // Positions c on the first entry for which less(page, slot) is false; empty when none.
    template <typename Less>
    Status lowerBound(Cursor* c, Less less);
    Status descendFirst(Cursor* c, Node* node);
    Status descendLast(Cursor* c, Node* node);
    Status allocate(Node** node);
    void release(Node* node);
    Status fixUnderflow(std::vector<Cursor::Step>& path, size_t level);
    Status corrupt(const std::string& what) const;
    // 0 (none), or the offset of a whole page after the header inside the file.
    bool validPage(uint32_t offset) const {
        return offset == 0 || (offset % 1024 == 0 && uint64_t{offset} + 1024 <= fileSize_);
    }
    Status checkNode(uint32_t offset, int depth, int* leafDepth, std::vector<bool>* seen,
                     std::string* last, bool* haveLast,
                     const std::function<void(const std::string&)>& problem,
                     const std::function<void(std::string_view, uint32_t)>& entry, bool* ok);

    std::unique_ptr<File> file_;
    std::string path_;
    std::string expression_;
    int keyLength_ = 0;
    int itemSize_ = 0;
    int max_ = 0;
    int half_ = 0;
    uint16_t version_ = 0;
    uint32_t root_ = 0;
    uint32_t freeHead_ = 0;
    uint64_t fileSize_ = 0;
    bool headerDirty_ = false;
    // Decoded pages by page number, null until read (or dropped); each node and its item arrays
    // are one allocation of nodeBytes_. The slots come in blocks, each made when a page in it is
    // first read: an index of a million records has a hundred thousand pages or more, of which
    // a small report reads a few hundred.
    class NodeSlots {
    public:
        Node* at(size_t page) const {
            const size_t b = page / kBlock;
            return b < blocks_.size() && blocks_[b] ? blocks_[b][page % kBlock] : nullptr;
        }
        // The slot of `page`, made empty when its block was not.
        Node*& slot(size_t page) {
            const size_t b = page / kBlock;
            if (b >= blocks_.size()) blocks_.resize(b + 1);
            if (!blocks_[b]) blocks_[b] = std::make_unique<Node*[]>(kBlock);
            return blocks_[b][page % kBlock];
        }
        // Calls visit(slot) for every slot that holds a node.
        template <class Visit>
        void forEach(Visit&& visit) {
            for (const std::unique_ptr<Node*[]>& block : blocks_)
                if (block)
                    for (size_t i = 0; i < kBlock; ++i)
                        if (block[i]) visit(block[i]);
        }
        void clear() { blocks_.clear(); }

    private:
        static constexpr size_t kBlock = 512;
        std::vector<std::unique_ptr<Node*[]>> blocks_;
    };
    NodeSlots nodes_;
    Node* cached(uint32_t offset) const { return nodes_.at(offset / 1024); }
    // A node for the page at `offset` with room for max + 1 items, no items and no child.
    Node* newNode(uint32_t offset);
    // Nodes start on a cache line, so that a node's own fields are one line to fetch.
    static constexpr std::align_val_t kNodeAlign{64};
    // Bytes after a node's last key that may be read (never used): keys are compared by words.
    static constexpr size_t kKeySlack = 7;
    size_t nodeBytes_ = 0;  // a node with its arrays and slack, rounded up to kNodeAlign
    static constexpr size_t kSpareNodes = 64;
    std::vector<void*> spare_;  // allocations of nodes given up, for reuse
    CacheBudget* budget_ = nullptr;
    UseOrder order_;  // the clean pages in use order; changed and free ones are not in it
    const Cursor* keep_ = nullptr;
    uint64_t opStart_ = UINT64_MAX;  // the tick the operation under way began at
    int opDepth_ = 0;
    std::vector<Node*> dirty_;
    std::vector<uint32_t> counts_;  // by page number, while counted_
    bool counted_ = false;
};

// A decoded page. Its arrays, in the same allocation right after it, have room for max + 1 items
// (one more than a page holds, for the moment before a split) and max + 2 children.
// What a descent reads of the node itself comes first, within its first cache line.
struct NtxIndex::Node : CacheLink {
    int n = 0;
    bool free = false;
    bool dirty = false;
    char* keys = nullptr;      // n x key length
    uint32_t* recs = nullptr;  // n
    uint32_t* kids = nullptr;  // n + 1; all zero in a leaf
    uint32_t offset = 0;
    uint32_t nextFree = 0;  // while free

    bool leaf() const { return kids[0] == 0; }
    const char* key(int i, int len) const { return keys + static_cast<size_t>(i) * len; }
};

class NtxIndex::Op {
public:
    Op(NtxIndex* x, const Cursor* uses) : x_(x) {
        if (x->opDepth_++ > 0 || !x->budget_) return;
        x->opStart_ = x->budget_->tick();
        if (uses)
            for (const Cursor::Step& s : uses->path) x->used(s.node);
    }
    ~Op() {
        if (--x_->opDepth_ == 0) x_->opStart_ = UINT64_MAX;
    }
    Op(const Op&) = delete;
    Op& operator=(const Op&) = delete;

private:
    NtxIndex* x_;
};

inline void NtxIndex::used(Node* x) {
    if (budget_) x->used = budget_->now();
}

inline Status NtxIndex::load(uint32_t offset, Node** node) {
    if (Node* x = cached(offset); x && !x->free) {
        used(x);
        *node = x;
        return {};
    }
    return readPage(offset, node);
}

inline uint32_t NtxIndex::kidCount(const Node* x, int i) {
    return x->kids[i] ? countOf(x->kids[i]) : 0;
}

}  // namespace xbase
