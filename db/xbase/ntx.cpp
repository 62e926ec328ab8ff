#include "db/xbase/ntx.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <numeric>

#include "db/xbase/chunk_memory.h"
#include "db/xbase/dbf.h"
#include "db/xbase/xbase.h"

namespace xbase {
namespace {

constexpr int kHeaderFixed = 22;

// Eight bytes read as one number that orders as the bytes do.
uint64_t bigEndian64(const char* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
    return v;
}

// A key sought in a tree, held as numbers that order as its bytes do, eight bytes to a word (the
// last word's bytes past the key zero): a descent compares it with a few dozen keys of its pages,
// a word at a time, where memcmp would cost a call for each.
class SoughtKey {
public:
    SoughtKey(const char* key, size_t len) : full_(len / 8) {
        for (size_t w = 0; w < full_; ++w) words_[w] = bigEndian64(key + 8 * w);
        if (const size_t rest = len % 8; rest > 0) {
            char last[8] = {};
            std::memcpy(last, key + 8 * full_, rest);
            words_[full_] = bigEndian64(last);
            mask_ = ~uint64_t{0} << (8 * (8 - rest));
        }
    }
    // memcmp's order of the key's length of bytes at `p` against the key. Reads up to 7 bytes
    // past them, which a page's keys have room for (NtxIndex::kKeySlack).
    int compare(const char* p) const {
        for (size_t w = 0; w < full_; ++w)
            if (const uint64_t x = bigEndian64(p + 8 * w); x != words_[w])
                return x < words_[w] ? -1 : 1;
        if (mask_ == 0) return 0;
        const uint64_t x = bigEndian64(p + 8 * full_) & mask_;
        return x < words_[full_] ? -1 : (x > words_[full_] ? 1 : 0);
    }

private:
    size_t full_;
    uint64_t mask_ = 0;
    uint64_t words_[256 / 8];
};

int compareEntry(const char* a, uint32_t ra, const char* b, uint32_t rb, int len) {
    int c = std::memcmp(a, b, static_cast<size_t>(len));
    if (c != 0) return c;
    return ra < rb ? -1 : (ra > rb ? 1 : 0);
}

}  // namespace

int NtxIndex::maxItems(int keyLength) {
    int max = 1022 / (keyLength + 10) - 1;
    if (max > 2 && (max % 2) == 1) --max;
    return max;
}

NtxIndex::~NtxIndex() {
    dropNodes();
    if (budget_) budget_->leave(this);
}

void NtxIndex::markDirty(Node* x) {
    if (!x->dirty) {
        dirty_.push_back(x);
        if (UseOrder::contains(x)) order_.take(x);
    }
    x->dirty = true;
}

void NtxIndex::freeNode(Node* x) {
    if (UseOrder::contains(x)) order_.take(x);
    if (budget_) budget_->shrank(nodeBytes_);
    x->~Node();
    // A few are kept for the next pages read, which mostly follow a page given up.
    if (spare_.size() < kSpareNodes)
        spare_.push_back(x);
    else
        GiveChunkMemory(x, nodeBytes_);
}

void NtxIndex::dropNodes() {
    nodes_.forEach([this](Node*& x) {
        freeNode(x);
        x = nullptr;
    });
    nodes_.clear();
    dirty_.clear();
    for (void* p : spare_) GiveChunkMemory(p, nodeBytes_);
    spare_.clear();
}

NtxIndex::Node* NtxIndex::evictable() {
    for (CacheLink* l = order_.oldest(); l; l = order_.newer(l)) {
        if (l->used >= opStart_) continue;
        bool kept = false;
        if (keep_)
            for (const Cursor::Step& s : keep_->path) kept = kept || s.node == l;
        if (!kept) return static_cast<Node*>(l);
    }
    return nullptr;
}

uint64_t NtxIndex::oldestUse() {
    const Node* x = evictable();
    return x ? x->used : UINT64_MAX;
}

void NtxIndex::dropOldest() {
    Node* x = evictable();
    nodes_.slot(x->offset / kPage) = nullptr;
    freeNode(x);
}

Status NtxIndex::corrupt(const std::string& what) const {
    return Status(kErrIndex, path_ + ": damaged index (" + what + ")");
}

Status NtxIndex::open(Env* env, const std::string& path, std::unique_ptr<NtxIndex>* out,
                      CacheBudget* budget) {
    std::unique_ptr<NtxIndex> x(new NtxIndex);
    x->path_ = path;
    x->budget_ = budget;
    if (budget) budget->join(x.get());
    XBASE_TRY(env->open(path, OpenMode::ReadWrite, &x->file_));
    XBASE_TRY(x->reload());
    *out = std::move(x);
    return {};
}

Status NtxIndex::reload() {
    Op op(this, nullptr);
    dropNodes();
    counts_.clear();
    counted_ = false;
    headerDirty_ = false;
    XBASE_TRY(file_->size(&fileSize_));
    char h[kPage];
    size_t got = 0;
    XBASE_TRY(file_->read(0, kPage, h, &got));
    if (got < kPage) return corrupt("file shorter than its header");
    const uint16_t signature = get16(h);
    version_ = get16(h + 2);
    root_ = get32(h + 4);
    freeHead_ = get32(h + 8);
    itemSize_ = get16(h + 12);
    keyLength_ = get16(h + 14);
    max_ = get16(h + 18);
    if (signature != 6 && signature != 7) return corrupt("bad signature");
    if (keyLength_ < 1 || keyLength_ > 250 || itemSize_ != keyLength_ + 8)
        return corrupt("bad key size");
    if (max_ < 2 || (max_ + 2) * 2 + (max_ + 1) * itemSize_ > static_cast<int>(kPage))
        return corrupt("bad items per page");
    half_ = max_ / 2;  // what the tree's balance rests on is not taken from the file
    const size_t items = static_cast<size_t>(max_) + 1;
    const size_t align = static_cast<size_t>(kNodeAlign);
    nodeBytes_ = (sizeof(Node) + (2 * items + 1) * sizeof(uint32_t) + items * keyLength_ +
                  kKeySlack + align - 1) / align * align;
    const char* expr = h + kHeaderFixed;
    expression_.assign(expr, strnlen(expr, 256));
    if (fileSize_ % kPage != 0) fileSize_ = fileSize_ / kPage * kPage;
    if (!validPage(freeHead_)) {
        freeHead_ = 0;  // a broken free list is dropped, never followed
        headerDirty_ = true;
    }
    Node* root = nullptr;
    return load(root_, &root);
}

Status NtxIndex::readPage(uint32_t offset, Node** node) {
    if (cached(offset)) return corrupt("a free page is in use");
    if (offset == 0 || !validPage(offset))
        return corrupt("page offset " + std::to_string(offset) + " out of range");
    char p[kPage];
    size_t got = 0;
    XBASE_TRY(file_->read(offset, kPage, p, &got));
    if (got < kPage) return corrupt("short page");
    return decode(offset, p, node);
}

NtxIndex::Node* NtxIndex::newNode(uint32_t offset) {
    char* at = nullptr;
    if (spare_.empty()) {
        at = static_cast<char*>(TakeChunkMemory(nodeBytes_));
    } else {
        at = static_cast<char*>(spare_.back());
        spare_.pop_back();
    }
    Node* x = new (at) Node;
    const size_t items = static_cast<size_t>(max_) + 1;
    x->kids = reinterpret_cast<uint32_t*>(at + sizeof(Node));
    x->recs = x->kids + items + 1;
    x->keys = reinterpret_cast<char*>(x->recs + items);
    x->offset = offset;
    x->kids[0] = 0;
    if (budget_) budget_->grew(nodeBytes_);
    return x;
}

Status NtxIndex::decode(uint32_t offset, const char* p, Node** node) {
    const int n = get16(p);
    if (n > max_) return corrupt("page with too many items");
    Node* x = newNode(offset);
    x->n = n;
    const auto damaged = [&](const char* what) {
        freeNode(x);
        return corrupt(what);
    };
    for (int i = 0; i <= x->n; ++i) {
        const int at = get16(p + 2 + 2 * i);
        const int need = i < x->n ? itemSize_ : 4;
        if (at < 2 || at + need > static_cast<int>(kPage)) return damaged("bad item offset");
        const uint32_t kid = get32(p + at);
        if (kid != 0 && !validPage(kid)) return damaged("child page out of range");
        x->kids[i] = kid;
        if (i < x->n) {
            x->recs[i] = get32(p + at + 4);
            std::memcpy(x->keys + static_cast<size_t>(i) * keyLength_, p + at + 8,
                        static_cast<size_t>(keyLength_));
        }
    }
    if (x->n == 0 && x->kids[0] != 0) return damaged("a page without keys has a child");
    *node = x;
    nodes_.slot(offset / kPage) = x;
    if (budget_) {
        order_.use(x, budget_->tick());
        budget_->trim();
    }
    return {};
}

Status NtxIndex::descendFirst(Cursor* c, Node* node) {
    for (;;) {
        if (c->path.size() >= kMaxDepth) return corrupt("tree too deep or cyclic");
        c->path.push_back({node, 0});
        if (node->kids[0] == 0) break;
        XBASE_TRY(load(node->kids[0], &node));
    }
    if (node->n == 0) return corrupt("empty page below the root");
    return {};
}

Status NtxIndex::descendLast(Cursor* c, Node* node) {
    for (;;) {
        if (c->path.size() >= kMaxDepth) return corrupt("tree too deep or cyclic");
        if (node->kids[node->n] == 0) {
            if (node->n == 0) return corrupt("empty page below the root");
            c->path.push_back({node, node->n - 1});
            return {};
        }
        c->path.push_back({node, node->n});
        XBASE_TRY(load(node->kids[node->n], &node));
    }
}

Status NtxIndex::edge(Cursor* c, bool* found, bool first) {
    c->path.clear();
    Node* root = nullptr;
    XBASE_TRY(load(root_, &root));
    *found = root->n > 0;
    if (!*found) return {};
    Status s = first ? descendFirst(c, root) : descendLast(c, root);
    if (!s.ok()) c->path.clear();
    return s;
}

Status NtxIndex::first(Cursor* c, bool* found) {
    Op op(this, nullptr);
    return edge(c, found, true);
}

Status NtxIndex::last(Cursor* c, bool* found) {
    Op op(this, nullptr);
    return edge(c, found, false);
}

Status NtxIndex::next(Cursor* c, bool* moved) {
    Op op(this, c);
    *moved = true;
    Cursor::Step& s = c->path.back();
    if (s.node->kids[s.slot + 1] != 0) {
        Node* child = nullptr;
        XBASE_TRY(load(s.node->kids[s.slot + 1], &child));
        ++s.slot;
        return descendFirst(c, child);
    }
    if (s.slot + 1 < s.node->n) {
        ++s.slot;
        return {};
    }
    size_t depth = c->path.size() - 1;
    while (depth > 0) {
        --depth;
        if (c->path[depth].slot < c->path[depth].node->n) {
            c->path.resize(depth + 1);
            return {};
        }
    }
    *moved = false;
    return {};
}

Status NtxIndex::prev(Cursor* c, bool* moved) {
    Op op(this, c);
    *moved = true;
    Cursor::Step& s = c->path.back();
    if (s.node->kids[s.slot] != 0) {
        Node* child = nullptr;
        XBASE_TRY(load(s.node->kids[s.slot], &child));
        return descendLast(c, child);
    }
    if (s.slot > 0) {
        --s.slot;
        return {};
    }
    size_t depth = c->path.size() - 1;
    while (depth > 0) {
        --depth;
        if (c->path[depth].slot > 0) {
            c->path.resize(depth + 1);
            --c->path[depth].slot;
            return {};
        }
    }
    *moved = false;
    return {};
}

template <typename Less>
Status NtxIndex::lowerBound(Cursor* c, Less less) {
    c->path.clear();
    Node* node = nullptr;
    XBASE_TRY(load(root_, &node));
    size_t candidate = SIZE_MAX;  // depth of the nearest page holding an entry not less
    for (;;) {
        if (c->path.size() >= kMaxDepth) return corrupt("tree too deep or cyclic");
        int lo = 0, hi = node->n;
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (less(node, mid))
                lo = mid + 1;
            else
                hi = mid;
        }
        c->path.push_back({node, lo});
        if (lo < node->n) candidate = c->path.size() - 1;
        if (node->kids[lo] == 0) break;
        XBASE_TRY(load(node->kids[lo], &node));
    }
    if (candidate == SIZE_MAX)
        c->path.clear();
    else
        c->path.resize(candidate + 1);
    return {};
}

Status NtxIndex::seek(std::string_view key, Cursor* c, int* result) {
    Op op(this, nullptr);
    const size_t len = std::min(key.size(), static_cast<size_t>(keyLength_));
    const SoughtKey sought(key.data(), len);
    XBASE_TRY(lowerBound(c, [&](const Node* x, int i) {
        return sought.compare(x->key(i, keyLength_)) < 0;
    }));
    if (!c->valid()) {
        *result = kEof;
        return {};
    }
    const Cursor::Step& s = c->path.back();
    *result = sought.compare(s.node->key(s.slot, keyLength_)) == 0 ? kFound : kAfter;
    return {};
}

Status NtxIndex::find(std::string_view key, uint32_t rec, Cursor* c, bool* found) {
    Op op(this, nullptr);
    *found = false;
    const SoughtKey sought(key.data(), std::min(key.size(), static_cast<size_t>(keyLength_)));
    XBASE_TRY(lowerBound(c, [&](const Node* x, int i) {
        const int order = sought.compare(x->key(i, keyLength_));
        return order != 0 ? order < 0 : x->recs[i] < rec;
    }));
    if (c->valid() && this->rec(*c) == rec && this->key(*c) == key) {
        *found = true;
        return {};
    }
    // Files from other writers may keep duplicates in insertion order: scan the run.
    int result = kEof;
    XBASE_TRY(seek(key, c, &result));
    bool moved = result == kFound;
    while (moved && this->key(*c) == key) {
        if (this->rec(*c) == rec) {
            *found = true;
            return {};
        }
        XBASE_TRY(next(c, &moved));
    }
    c->path.clear();
    return {};
}

std::string_view NtxIndex::key(const Cursor& c) const {
    const Cursor::Step& s = c.path.back();
    return {s.node->key(s.slot, keyLength_), static_cast<size_t>(keyLength_)};
}

uint32_t NtxIndex::rec(const Cursor& c) const {
    const Cursor::Step& s = c.path.back();
    return s.node->recs[s.slot];
}

double NtxIndex::position(const Cursor& c) const {
    double pos = 0.0;
    for (size_t i = c.path.size(); i-- > 0;) {
        const Cursor::Step& s = c.path[i];
        const bool hasRight = s.node->kids[s.node->n] != 0;
        const int k = s.node->n + (hasRight ? 1 : 0);
        if (i + 1 == c.path.size()) pos = hasRight ? 1.0 : 0.5;
        if (k > 0) pos = (pos + s.slot) / k;
    }
    return std::clamp(pos, 0.0, 1.0);
}

Status NtxIndex::allocate(Node** node) {
    uint32_t offset = 0;
    if (freeHead_ != 0) {
        offset = freeHead_;
        uint32_t next = 0;
        if (Node* x = cached(offset); x && x->free) {
            next = x->nextFree;
        } else {
            char p[kPage];
            size_t got = 0;
            XBASE_TRY(file_->read(offset, kPage, p, &got));
            const int at = got == kPage ? get16(p + 2) : 0;
            if (at >= 2 && at + 4 <= static_cast<int>(kPage)) next = get32(p + at);
        }
        if (!validPage(next)) next = 0;  // a broken free list is dropped, never followed
        freeHead_ = next;
    } else {
        offset = static_cast<uint32_t>(fileSize_);
        fileSize_ += kPage;
    }
    Node*& slot = nodes_.slot(offset / kPage);
    if (!slot) slot = newNode(offset);
    Node* x = slot;
    x->n = 0;
    x->kids[0] = 0;
    x->free = false;
    markDirty(x);
    headerDirty_ = true;
    *node = x;
    return {};
}

void NtxIndex::release(Node* node) {
    node->free = true;
    node->nextFree = freeHead_;
    freeHead_ = node->offset;
    headerDirty_ = true;
    markDirty(node);
}

namespace {

// Removes the item at `slot` and the child at `kid`.
void eraseItem(NtxIndex::Node* x, int slot, int kid, int keyLength) {
    const size_t kl = static_cast<size_t>(keyLength);
    std::memmove(x->keys + slot * kl, x->keys + (slot + 1) * kl, (x->n - slot - 1) * kl);
    std::memmove(x->recs + slot, x->recs + slot + 1, (x->n - slot - 1) * sizeof(uint32_t));
    std::memmove(x->kids + kid, x->kids + kid + 1, (x->n - kid) * sizeof(uint32_t));
    --x->n;
}

// Inserts an item (key, rec) at `slot` and the child `child` at `kid` (slot or slot + 1); the
// key must not lie in `x`.
void insertItem(NtxIndex::Node* x, int slot, const char* key, uint32_t rec, int kid, uint32_t child,
                int keyLength) {
    const size_t kl = static_cast<size_t>(keyLength);
    std::memmove(x->keys + (slot + 1) * kl, x->keys + slot * kl, (x->n - slot) * kl);
    std::memcpy(x->keys + slot * kl, key, kl);
    std::memmove(x->recs + slot + 1, x->recs + slot, (x->n - slot) * sizeof(uint32_t));
    x->recs[slot] = rec;
    std::memmove(x->kids + kid + 1, x->kids + kid, (x->n + 1 - kid) * sizeof(uint32_t));
    x->kids[kid] = child;
    ++x->n;
}

// Item `to` of `x` becomes item `from` of `y`, key and record.
void copyItem(NtxIndex::Node* x, int to, const NtxIndex::Node* y, int from, int keyLength) {
    const size_t kl = static_cast<size_t>(keyLength);
    std::memcpy(x->keys + to * kl, y->keys + from * kl, kl);
    x->recs[to] = y->recs[from];
}

}  // namespace

Status NtxIndex::insert(std::string_view key, uint32_t rec) {
    Op op(this, nullptr);
    std::vector<Cursor::Step> path;
    Node* node = nullptr;
    XBASE_TRY(load(root_, &node));
    for (;;) {
        if (path.size() >= kMaxDepth) return corrupt("tree too deep or cyclic");
        int lo = 0, hi = node->n;
        while (lo < hi) {
            int mid = (lo + hi) / 2;
            if (compareEntry(node->key(mid, keyLength_), node->recs[mid], key.data(), rec,
                             keyLength_) <= 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        if (node->kids[lo] == 0) {
            insertItem(node, lo, key.data(), rec, lo, 0, keyLength_);
            markDirty(node);
            if (counted_) {
                for (const Cursor::Step& s : path) ++countOf(s.node->offset);
                ++countOf(node->offset);
            }
            break;
        }
        path.push_back({node, lo});
        XBASE_TRY(load(node->kids[lo], &node));
    }
    while (node->n > max_) {
        const int h = node->n / 2;
        Node* lower = nullptr;
        XBASE_TRY(allocate(&lower));
        const size_t kl = static_cast<size_t>(keyLength_);
        std::memcpy(lower->keys, node->keys, h * kl);
        std::memcpy(lower->recs, node->recs, h * sizeof(uint32_t));
        std::memcpy(lower->kids, node->kids, (h + 1) * sizeof(uint32_t));
        lower->n = h;
        const std::string upKey(node->key(h, keyLength_), kl);
        const uint32_t upRec = node->recs[h];
        const int rest = node->n - h - 1;
        std::memmove(node->keys, node->keys + (h + 1) * kl, rest * kl);
        std::memmove(node->recs, node->recs + h + 1, rest * sizeof(uint32_t));
        std::memmove(node->kids, node->kids + h + 1, (rest + 1) * sizeof(uint32_t));
        node->n = rest;
        markDirty(node);
        if (counted_) {
            uint32_t below = static_cast<uint32_t>(h);
            for (int i = 0; i <= h; ++i) below += kidCount(lower, i);
            countOf(lower->offset) = below;
            countOf(node->offset) -= below + 1;
        }
        if (path.empty()) {
            Node* root = nullptr;
            XBASE_TRY(allocate(&root));
            std::memcpy(root->keys, upKey.data(), kl);
            root->recs[0] = upRec;
            root->kids[0] = lower->offset;
            root->kids[1] = node->offset;
            root->n = 1;
            root_ = root->offset;
            headerDirty_ = true;
            if (counted_)
                countOf(root->offset) = countOf(lower->offset) + 1 + countOf(node->offset);
            break;
        }
        Node* parent = path.back().node;
        const int c = path.back().slot;
        path.pop_back();
        insertItem(parent, c, upKey.data(), upRec, c, lower->offset, keyLength_);
        markDirty(parent);
        node = parent;
    }
    return {};
}

Status NtxIndex::remove(std::string_view key, uint32_t rec) {
    Op op(this, nullptr);
    Cursor c;
    bool found = false;
    XBASE_TRY(find(key, rec, &c, &found));
    if (!found) return corrupt("record " + std::to_string(rec) + " is missing from the index");
    std::vector<Cursor::Step>& path = c.path;
    Node* node = path.back().node;
    const int s = path.back().slot;
    if (node->kids[s] != 0) {
        // An interior entry gives way to its predecessor, the last entry of its left subtree.
        Node* child = nullptr;
        XBASE_TRY(load(node->kids[s], &child));
        XBASE_TRY(descendLast(&c, child));
        Node* leaf = path.back().node;
        const int ls = path.back().slot;
        if (leaf->kids[ls + 1] != 0) return corrupt("inconsistent leaf");
        copyItem(node, s, leaf, ls, keyLength_);
        markDirty(node);
        eraseItem(leaf, ls, ls + 1, keyLength_);
        markDirty(leaf);
    } else {
        eraseItem(node, s, s + 1, keyLength_);
        markDirty(node);
    }
    if (counted_)
        for (const Cursor::Step& step : path) --countOf(step.node->offset);
    return fixUnderflow(path, path.size() - 1);
}

Status NtxIndex::fixUnderflow(std::vector<Cursor::Step>& path, size_t level) {
    const size_t kl = static_cast<size_t>(keyLength_);
    for (; level > 0; --level) {
        Node* x = path[level].node;
        if (x->n >= half_) return {};
        Node* p = path[level - 1].node;
        const int c = path[level - 1].slot;
        Node* left = nullptr;
        Node* right = nullptr;
        if (c > 0) XBASE_TRY(load(p->kids[c - 1], &left));
        if (c < p->n) XBASE_TRY(load(p->kids[c + 1], &right));
        if (left && left->n > half_) {
            if (counted_) {
                const uint32_t moved = 1 + kidCount(left, left->n);
                countOf(x->offset) += moved;
                countOf(left->offset) -= moved;
            }
            insertItem(x, 0, p->key(c - 1, keyLength_), p->recs[c - 1], 0, left->kids[left->n],
                       keyLength_);
            copyItem(p, c - 1, left, left->n - 1, keyLength_);
            eraseItem(left, left->n - 1, left->n, keyLength_);
            markDirty(x), markDirty(p), markDirty(left);
            return {};
        }
        if (right && right->n > half_) {
            if (counted_) {
                const uint32_t moved = 1 + kidCount(right, 0);
                countOf(x->offset) += moved;
                countOf(right->offset) -= moved;
            }
            insertItem(x, x->n, p->key(c, keyLength_), p->recs[c], x->n + 1, right->kids[0],
                       keyLength_);
            copyItem(p, c, right, 0, keyLength_);
            eraseItem(right, 0, 0, keyLength_);
            markDirty(x), markDirty(p), markDirty(right);
            return {};
        }
        // Merge with a sibling: a + separator + b into a; b's page is freed.
        Node* a = left ? left : x;
        Node* b = left ? x : right;
        const int sep = left ? c - 1 : c;
        if (!b) return {};  // a lone child: nothing to merge with
        if (counted_) countOf(a->offset) += 1 + countOf(b->offset);
        copyItem(a, a->n, p, sep, keyLength_);
        std::memcpy(a->keys + (a->n + 1) * kl, b->keys, b->n * kl);
        std::memcpy(a->recs + a->n + 1, b->recs, b->n * sizeof(uint32_t));
        std::memcpy(a->kids + a->n + 1, b->kids, (b->n + 1) * sizeof(uint32_t));
        a->n += 1 + b->n;
        eraseItem(p, sep, sep + 1, keyLength_);
        markDirty(a), markDirty(p);
        release(b);
    }
    Node* root = path[0].node;
    if (root->n == 0 && root->kids[0] != 0) {
        root_ = root->kids[0];
        release(root);
    }
    return {};
}

Status NtxIndex::commit() {
    // Pages go out in file order, neighbours together in one write.
    std::sort(dirty_.begin(), dirty_.end(),
              [](const Node* a, const Node* b) { return a->offset < b->offset; });
    std::string run;
    uint32_t runStart = 0;
    const int base = (max_ + 2) * 2;
    for (size_t d = 0; d < dirty_.size(); ++d) {
        Node* x = dirty_[d];
        if (run.empty()) runStart = x->offset;
        run.resize(run.size() + kPage, '\0');
        char* page = &run[run.size() - kPage];
        for (int i = 0; i <= max_; ++i)
            put16(page + 2 + 2 * i, static_cast<uint16_t>(base + i * itemSize_));
        if (x->free) {
            put32(page + base, x->nextFree);
        } else {
            put16(page, static_cast<uint16_t>(x->n));
            for (int i = 0; i <= x->n; ++i) {
                char* item = page + base + i * itemSize_;
                put32(item, x->kids[i]);
                if (i < x->n) {
                    put32(item + 4, x->recs[i]);
                    std::memcpy(item + 8, x->key(i, keyLength_), static_cast<size_t>(keyLength_));
                }
            }
        }
        x->dirty = false;
        if (budget_ && !x->free) order_.use(x, budget_->tick());
        const bool last = d + 1 == dirty_.size() || dirty_[d + 1]->offset != x->offset + kPage ||
                          run.size() >= (1 << 20);
        if (last) {
            XBASE_TRY(file_->write(runStart, run.data(), run.size()));
            run.clear();
        }
    }
    dirty_.clear();
    if (headerDirty_) {
        char h[12];
        put16(h, 6);
        put16(h + 2, ++version_);
        put32(h + 4, root_);
        put32(h + 8, freeHead_);
        XBASE_TRY(file_->write(0, h, sizeof h));
        headerDirty_ = false;
    }
    return {};
}

Status NtxIndex::build(Env* env, const std::string& path, const std::string& expression,
                       int keyLength, const char* keys, const std::vector<uint32_t>& order) {
    if (keyLength < 1 || keyLength > 250 || expression.size() > 255)
        return Status(kErrExpr, "key too long: " + expression);
    std::unique_ptr<File> file;
    XBASE_TRY(env->open(path, OpenMode::Create, &file));
    const int max = maxItems(keyLength);
    const int itemSize = keyLength + 8;
    const int base = (max + 2) * 2;
    std::string out;
    out.reserve(1 << 20);
    uint64_t written = kPage;
    uint32_t nextPage = kPage;
    // Each piece starts on its way to the disk as the next is laid out, so that the closing sync
    // waits for little more than the last.
    auto flush = [&]() -> Status {
        XBASE_TRY(file->write(written, out.data(), out.size()));
        file->startWriteback(written, out.size());
        written += out.size();
        out.clear();
        return {};
    };
    // Emits one page of `count` entries (places in key order) and their children.
    auto emit = [&](const uint32_t* entries, int count, const uint32_t* kids,
                    uint32_t* offset) -> Status {
        const size_t at = out.size();
        out.resize(at + kPage, '\0');
        char* page = &out[at];
        put16(page, static_cast<uint16_t>(count));
        for (int i = 0; i <= max; ++i)
            put16(page + 2 + 2 * i, static_cast<uint16_t>(base + i * itemSize));
        for (int i = 0; i <= count; ++i) {
            char* item = page + base + i * itemSize;
            put32(item, kids ? kids[i] : 0);
            if (i < count) {
                put32(item + 4, order[entries[i]] + 1);
                std::memcpy(item + 8, keys + static_cast<size_t>(entries[i]) * keyLength,
                            static_cast<size_t>(keyLength));
            }
        }
        *offset = nextPage;
        nextPage += kPage;
        if (out.size() >= (1 << 20)) XBASE_TRY(flush());
        return {};
    };
    std::vector<uint32_t> entries(order.size());
    std::iota(entries.begin(), entries.end(), 0u);
    std::vector<uint32_t> kids;
    uint32_t root = 0;
    for (;;) {
        const size_t m = entries.size();
        if (m <= static_cast<size_t>(max)) {
            XBASE_TRY(
                emit(entries.data(), static_cast<int>(m), kids.empty() ? nullptr : kids.data(), &root));
            break;
        }
        // Split m entries into p pages of nearly equal size with p - 1 separators between them.
        // Leaves keep room for an eighth more entries, so that entries added later in random
        // order seldom split a page; the levels above, changed only by splits, are filled.
        const size_t fill = kids.empty() ? static_cast<size_t>(max - max / 8) : max;
        const size_t p = (m + 1 + fill) / (fill + 1);
        const size_t inPages = m - (p - 1);
        std::vector<uint32_t> upEntries, upKids;
        upEntries.reserve(p - 1);
        upKids.reserve(p);
        size_t pos = 0, kidPos = 0;
        for (size_t j = 0; j < p; ++j) {
            const size_t size = inPages / p + (j < inPages % p ? 1 : 0);
            uint32_t offset = 0;
            XBASE_TRY(emit(entries.data() + pos, static_cast<int>(size),
                           kids.empty() ? nullptr : kids.data() + kidPos, &offset));
            pos += size;
            kidPos += size + 1;
            upKids.push_back(offset);
            if (j + 1 < p) upEntries.push_back(entries[pos++]);
        }
        entries = std::move(upEntries);
        kids = std::move(upKids);
    }
    XBASE_TRY(flush());
    char h[kPage] = {};
    put16(h, 6);
    put16(h + 2, 1);
    put32(h + 4, root);
    put16(h + 12, static_cast<uint16_t>(itemSize));
    put16(h + 14, static_cast<uint16_t>(keyLength));
    put16(h + 18, static_cast<uint16_t>(max));
    put16(h + 20, static_cast<uint16_t>(max / 2));
    std::memcpy(h + kHeaderFixed, expression.data(), expression.size());
    XBASE_TRY(file->write(0, h, kPage));
    return file->sync();
}

bool NtxIndex::check(const std::function<void(const std::string&)>& problem,
                     const std::function<void(std::string_view, uint32_t)>& entry) {
    Op op(this, nullptr);
    std::vector<bool> seen(static_cast<size_t>(fileSize_ / kPage), false);
    int leafDepth = -1;
    std::string last;
    bool haveLast = false, ok = true;
    Status s = checkNode(root_, 0, &leafDepth, &seen, &last, &haveLast, problem, entry, &ok);
    if (!s.ok()) {
        problem(s.message());
        return false;
    }
    return ok;
}

Status NtxIndex::checkNode(uint32_t offset, int depth, int* leafDepth, std::vector<bool>* seen,
                           std::string* last, bool* haveLast,
                           const std::function<void(const std::string&)>& problem,
                           const std::function<void(std::string_view, uint32_t)>& entry, bool* ok) {
    if (depth >= static_cast<int>(kMaxDepth)) return corrupt("tree too deep");
    const size_t page = offset / kPage;
    if (page < seen->size() && (*seen)[page]) return corrupt("a page is reached twice (cycle)");
    Node* x = nullptr;
    XBASE_TRY(load(offset, &x));
    (*seen)[page] = true;
    if (x->n == 0 && depth > 0) return corrupt("empty page below the root");
    const bool leaf = x->kids[0] == 0;
    if (leaf) {
        if (*leafDepth < 0) *leafDepth = depth;
        if (*leafDepth != depth) {
            problem(path_ + ": leaves at different depths");
            *ok = false;
        }
    }
    for (int i = 0; i <= x->n; ++i) {
        if ((x->kids[i] == 0) != leaf) return corrupt("page mixes leaf and branch items");
        if (!leaf)
            XBASE_TRY(checkNode(x->kids[i], depth + 1, leafDepth, seen, last, haveLast, problem,
                                entry, ok));
        if (i == x->n) break;
        std::string_view k(x->key(i, keyLength_), static_cast<size_t>(keyLength_));
        if (*haveLast && k < std::string_view(*last)) {
            problem(path_ + ": keys out of order at record " + std::to_string(x->recs[i]));
            *ok = false;
        }
        last->assign(k);
        *haveLast = true;
        entry(k, x->recs[i]);
    }
    return {};
}

}  // namespace xbase
