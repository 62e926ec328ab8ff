// The memory the engine keeps of what it read: chunks of tables and decoded index pages, under
// one budget per context. Each cache (a part) keeps its pieces in order of use; when the pieces
// of all the parts pass the budget, the least recently used piece of any part goes first, until
// they are within it again or nothing more may go (a part keeps what it still works on: changed
// index pages, the pages under a table's cursor, the pages of the operation under way). Pieces
// are only ever memory: dropping one costs a read, never data.
//
// Using a piece only stamps it with the budget's tick: it keeps the place it took in the order
// until that place comes to the end, and only then moves to the front, as used when last
// stamped. A use thus touches the piece alone, never its neighbours in the order, and what goes
// first is the least recently used piece of those not used again since they took their place
// (a piece used again gets one more round at most before it is weighed by its last use).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace xbase {

// A piece's place in its part's order of use: `next` leads to the piece placed before it.
struct CacheLink {
    CacheLink* next = nullptr;
    CacheLink* prev = nullptr;
    uint64_t used = 0;    // the budget's tick at its last use
    uint64_t placed = 0;  // the tick it took its place in the order at
};

// Pieces in order of placing, in a ring through a head: the head's next is the piece placed
// last, its prev the one placed first. A piece is in at most one order.
class UseOrder {
public:
    UseOrder() { head_.next = head_.prev = &head_; }
    UseOrder(const UseOrder&) = delete;
    UseOrder& operator=(const UseOrder&) = delete;
    static bool contains(const CacheLink* l) { return l->next != nullptr; }
    // The least recently used piece, or nullptr: pieces used again since they were placed that
    // come to the end on the way move to the front first.
    CacheLink* oldest() { return settled(head_.prev); }
    // The piece after `l` towards the front that was not used again since it was placed (those
    // that were move to the front on the way), or nullptr. Walking from oldest() by newer()
    // meets each piece at most twice.
    CacheLink* newer(const CacheLink* l) { return settled(l->prev); }
    // Stamps `l` as used at `tick`; a piece not in the order is placed at the front.
    void use(CacheLink* l, uint64_t tick) {
        l->used = tick;
        if (!contains(l)) front(l);
    }
    void take(CacheLink* l) {
        l->prev->next = l->next;
        l->next->prev = l->prev;
        l->next = l->prev = nullptr;
    }

private:
    void front(CacheLink* l) {
        l->placed = l->used;
        l->prev = &head_;
        l->next = head_.next;
        head_.next->prev = l;
        head_.next = l;
    }
    // `l`, or the first piece from it towards the front still where its last use put it.
    CacheLink* settled(CacheLink* l) {
        while (l != &head_ && l->used != l->placed) {
            CacheLink* on = l->prev;
            take(l);
            front(l);
            l = on == &head_ ? l : on;  // the first piece stays first, now where it belongs
        }
        return l == &head_ ? nullptr : l;
    }

    CacheLink head_;
};

class CachePart {
public:
    virtual ~CachePart() = default;
    // The tick of the least recently used piece the part may give up; UINT64_MAX for none.
    virtual uint64_t oldestUse() = 0;
    // Gives that piece up, telling the budget.
    virtual void dropOldest() = 0;
};

class CacheBudget {
public:
    static constexpr size_t kDefaultBytes = size_t{64} << 20;
    explicit CacheBudget(size_t limit = kDefaultBytes) : limit_(limit) {}
    CacheBudget(const CacheBudget&) = delete;
    CacheBudget& operator=(const CacheBudget&) = delete;

    size_t limit() const { return limit_; }
    // A new limit, kept from now on.
    void setLimit(size_t bytes) {
        limit_ = bytes;
        trim();
    }
    size_t used() const { return used_; }
    uint64_t tick() { return ++tick_; }
    uint64_t now() const { return tick_; }

    void join(CachePart* part) { parts_.push_back(part); }
    void leave(CachePart* part);
    void grew(size_t bytes) { used_ += bytes; }
    void shrank(size_t bytes) { used_ -= bytes; }
    // Gives up least recently used pieces until within the limit, or none may go.
    void trim();

private:
    size_t limit_;
    size_t used_ = 0;
    uint64_t tick_ = 0;
    std::vector<CachePart*> parts_;
};

}  // namespace xbase
