// Fuzz target for the index reader; the input is an .ntx file. Whatever the file holds, walks,
// seeks, finds, inserts and removes end with a result or an error. When the index's own check
// passes, the reader must also be right: the walks forward and backward give the check's
// entries, seeks land where a search of that list says, positions never go backward, and after
// inserting and removing entries and reopening, the tree passes the check with the expected
// entries; every entry's place is its position in the walk, and the entry at each place is the
// walk's, and a survey of the pages counts the walk's entries and their range of records. A walk
// longer than the file could hold must be caught by the check.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "db/xbase/ntx.h"
#include "db/xbase/xbase.h"
#include "tests/fuzz/fuzz_require.h"
#include "tests/fuzz/mem_env.h"

using namespace xbase;

namespace {

const std::string kNtx = "/data/T.ntx";
constexpr size_t kMaxSeeks = 40;
constexpr size_t kMaxRemoves = 24;

struct Entry {
    std::string key;
    uint32_t rec;
    bool operator<(const Entry& o) const { return key != o.key ? key < o.key : rec < o.rec; }
    bool operator==(const Entry& o) const = default;
};

struct Walk {
    std::vector<Entry> entries;
    std::vector<double> positions;
    std::vector<int64_t> places;  // -1 where place() failed
    bool complete = false;  // ended without an error or hitting the cap
};

Walk walk(NtxIndex* x, size_t cap, bool forward) {
    Walk w;
    NtxIndex::Cursor c;
    bool more = false;
    if (!(forward ? x->first(&c, &more) : x->last(&c, &more)).ok()) return w;
    while (more) {
        if (w.entries.size() >= cap) return w;
        w.entries.push_back({std::string(x->key(c)), x->rec(c)});
        w.positions.push_back(x->position(c));
        FUZZ_REQUIRE(w.positions.back() >= 0.0 && w.positions.back() <= 1.0);
        uint32_t before = 0;
        w.places.push_back(x->place(c, &before).ok() ? int64_t{before} : -1);
        if (!(forward ? x->next(&c, &more) : x->prev(&c, &more)).ok()) return w;
    }
    w.complete = true;
    return w;
}

// The index's own check; fills `entries` in its order when the structure is whole.
bool whole(NtxIndex* x, std::vector<Entry>* entries) {
    bool problems = false;
    entries->clear();
    const bool ok = x->check([&](const std::string&) { problems = true; },
                             [&](std::string_view key, uint32_t rec) {
                                 entries->push_back({std::string(key), rec});
                             });
    return ok && !problems;
}

// Seeks `query` and compares the outcome with a search of the entries in walk order.
void expectSeek(NtxIndex* x, const std::vector<Entry>& entries, const std::string& query) {
    const size_t len = std::min(query.size(), static_cast<size_t>(x->keyLength()));
    size_t i = 0;
    while (i < entries.size() && entries[i].key.compare(0, len, query, 0, len) < 0) ++i;
    NtxIndex::Cursor c;
    int result = -1;
    FUZZ_REQUIRE(x->seek(query, &c, &result).ok());
    if (i == entries.size()) {
        FUZZ_REQUIRE(result == kEof);
        return;
    }
    const bool equal = entries[i].key.compare(0, len, query, 0, len) == 0;
    FUZZ_REQUIRE(result == (equal ? kFound : kAfter));
    FUZZ_REQUIRE(x->rec(c) == entries[i].rec && x->key(c) == entries[i].key);
}

// No room to keep pages: each goes again as soon as the operation that read it allows, so that
// every page the reader holds on to past that shows here as a use after free.
CacheBudget noRoom(0);

std::unique_ptr<NtxIndex> reopen(MemEnv* env) {
    std::unique_ptr<NtxIndex> x;
    FUZZ_REQUIRE(NtxIndex::open(env, kNtx, &x, &noRoom).ok());
    return x;
}

// Inserts one entry and removes some, checking the tree after each commit and reopen.
void change(MemEnv* env, std::vector<Entry> entries, const std::string& seed) {
    std::unique_ptr<NtxIndex> x = reopen(env);
    const size_t kl = static_cast<size_t>(x->keyLength());
    Entry added{seed.substr(0, kl), 0x7FFFFFFF};
    added.key.resize(kl, ' ');
    FUZZ_REQUIRE(x->insert(added.key, added.rec).ok());
    FUZZ_REQUIRE(x->commit().ok());
    entries.push_back(added);
    std::vector<Entry> now;
    x = reopen(env);
    FUZZ_REQUIRE(whole(x.get(), &now));
    std::vector<Entry> want = entries;
    std::sort(want.begin(), want.end());
    std::sort(now.begin(), now.end());
    FUZZ_REQUIRE(now == want);

    // Removes every few entries, spread over the tree.
    const size_t step = std::max<size_t>(1, entries.size() / kMaxRemoves);
    for (size_t i = 0; i < entries.size(); i += step) {
        FUZZ_REQUIRE(x->remove(entries[i].key, entries[i].rec).ok());
        auto it = std::find(want.begin(), want.end(), entries[i]);
        want.erase(it);
    }
    FUZZ_REQUIRE(x->commit().ok());
    x = reopen(env);
    FUZZ_REQUIRE(whole(x.get(), &now));
    std::sort(now.begin(), now.end());
    FUZZ_REQUIRE(now == want);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemEnv env;
    const std::string input(reinterpret_cast<const char*>(data), size);
    env.put(kNtx, input);
    std::unique_ptr<NtxIndex> x;
    const Status s = NtxIndex::open(&env, kNtx, &x, &noRoom);
    if (!s.ok()) {
        FUZZ_REQUIRE(s.code() == kErrIndex);
        return 0;
    }
    FUZZ_REQUIRE(x->keyLength() >= 1 && x->keyLength() <= 250);
    // No page holds more than 102 items (1024 bytes at 10 or more each).
    const size_t cap = (size / 1024 + 1) * 102;
    const Walk forward = walk(x.get(), cap + 1, true);
    const Walk backward = walk(x.get(), cap + 1, false);
    std::vector<Entry> entries;
    const bool ok = whole(x.get(), &entries);
    if (forward.entries.size() > cap || backward.entries.size() > cap) FUZZ_REQUIRE(!ok);

    // Seeks of a few keys: stored ones, their prefixes, and the input's own bytes.
    std::vector<std::string> queries;
    for (size_t i = 0; i < forward.entries.size() && queries.size() < kMaxSeeks; i += 7) {
        const std::string& k = forward.entries[i].key;
        queries.push_back(k);
        queries.push_back(k.substr(0, k.size() / 2));
        std::string bumped = k;
        bumped.back() = static_cast<char>(bumped.back() + 1);
        queries.push_back(bumped);
    }
    queries.push_back(input.substr(size / 2, static_cast<size_t>(x->keyLength())));
    for (const std::string& q : queries) {
        NtxIndex::Cursor c;
        int result = -1;
        if (x->seek(q, &c, &result).ok() && result != kEof) {
            FUZZ_REQUIRE(c.valid());
            (void)x->rec(c);
        }
    }
    if (!ok) return 0;

    FUZZ_REQUIRE(forward.complete && forward.entries == entries);
    FUZZ_REQUIRE(std::is_sorted(forward.positions.begin(), forward.positions.end()));
    std::vector<Entry> reversed(backward.entries.rbegin(), backward.entries.rend());
    FUZZ_REQUIRE(backward.complete && reversed == entries);
    for (const std::string& q : queries) expectSeek(x.get(), entries, q);
    for (size_t i = 0; i < entries.size(); ++i) {
        FUZZ_REQUIRE(forward.places[i] == static_cast<int64_t>(i));
        NtxIndex::Cursor c;
        bool found = false;
        FUZZ_REQUIRE(x->seekPlace(static_cast<uint32_t>(i), &c, &found).ok() && found);
        FUZZ_REQUIRE(x->rec(c) == entries[i].rec && x->key(c) == entries[i].key);
    }
    {
        NtxIndex::Cursor c;
        bool found = true;
        FUZZ_REQUIRE(x->seekPlace(static_cast<uint32_t>(entries.size()), &c, &found).ok());
        FUZZ_REQUIRE(!found && !c.valid());
    }
    // The survey that stands for the walk at start-up counts the same entries and records.
    {
        NtxIndex::Survey survey;
        FUZZ_REQUIRE(x->survey(&survey).ok() && survey.entries == entries.size());
        uint32_t low = 0, high = 0;
        for (size_t i = 0; i < entries.size(); ++i) {
            low = i == 0 ? entries[i].rec : std::min(low, entries[i].rec);
            high = std::max(high, entries[i].rec);
        }
        FUZZ_REQUIRE(survey.lowRec == low && survey.highRec == high);
    }
    for (size_t i = 0; i < entries.size(); i += std::max<size_t>(1, entries.size() / kMaxSeeks)) {
        NtxIndex::Cursor c;
        bool found = false;
        FUZZ_REQUIRE(x->find(entries[i].key, entries[i].rec, &c, &found).ok() && found);
        FUZZ_REQUIRE(x->rec(c) == entries[i].rec);
    }
    x.reset();
    change(&env, entries, input.substr(size / 3));
    return 0;
}
