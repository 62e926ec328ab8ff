// The B-tree against a plain model: random appends, key changes and deletions on a table whose
// wide key makes small pages and a deep tree, checking after each round that walking the tag
// forward and backward gives exactly the model's order and that the integrity check is clean.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "db/xbase/ntx.h"
#include "tests/support/temp_data_dir.h"
#include "tests/xbase/sample_tables.h"

using namespace xbase;

namespace {

struct Model {
    std::set<std::pair<std::string, uint32_t>> entries;
    std::map<uint32_t, std::string> keyOf;
    void set(uint32_t rec, const std::string& key) {
        if (auto it = keyOf.find(rec); it != keyOf.end()) entries.erase({it->second, rec});
        keyOf[rec] = key;
        entries.insert({key, rec});
    }
    std::vector<uint32_t> order() const {
        std::vector<uint32_t> r;
        for (const auto& e : entries) r.push_back(e.second);
        return r;
    }
};

std::string wide(const std::string& k) {
    return k + std::string(100 - k.size(), ' ');
}

}  // namespace

TEST(IndexModel, RandomChangesKeepTheTreeInOrder) {
    TempDataDir dir;
    Context ctx;
    Table* t = ctx.create("W", {{"K", 'C', 100, 0}, {"N", 'N', 6, 0}});
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(ctx.createIndex(t, "W", {{"WK", "K"}, {"WN", "Str(N, 6)"}}), 0);
    ASSERT_EQ(NtxIndex::maxItems(100), 8);  // small pages: splits and merges at every turn
    Tag* wk = t->tag("wk");
    std::mt19937 rng(7);
    Model model;
    auto randomKey = [&] { return "k" + std::to_string(rng() % 300); };
    for (int round = 0; round < 12; ++round) {
        for (int i = 0; i < 150; ++i) {
            const int op = static_cast<int>(rng() % 3);
            if (op == 0 || model.keyOf.empty()) {
                const std::string k = randomKey();
                t->appendBlank();
                t->field("k")->assign(k);
                t->field("n")->assignInt(static_cast<int>(rng() % 1000));
                t->flush();
                model.set(t->recNo(), wide(k));
            } else {
                const uint32_t rec = 1 + rng() % t->recCount();
                const std::string k = op == 1 ? randomKey() : "k" + std::to_string(rec % 3);
                t->go(rec);
                t->field("k")->assign(k);
                model.set(rec, wide(k));
            }
        }
        t->select(wk);
        ASSERT_EQ(walk(t), model.order()) << "round " << round;
        ASSERT_EQ(walkBack(t), model.order()) << "round " << round;
        std::vector<std::string> problems;
        t->check(&problems);
        ASSERT_TRUE(problems.empty()) << problems.front();
    }
    // Shrink the tree again: rewrite most keys to one value, forcing merges everywhere.
    for (uint32_t rec = 1; rec <= t->recCount(); ++rec) {
        t->go(rec);
        t->field("k")->assign(rec % 10 ? "same" : "k" + std::to_string(rec));
        model.set(rec, wide(rec % 10 ? "same" : "k" + std::to_string(rec)));
    }
    t->select(wk);
    EXPECT_EQ(walk(t), model.order());
    std::vector<std::string> problems;
    t->check(&problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
    // Reopening reads the same tree back from the file.
    ctx.closeAll();
    t = ctx.open("W");
    ASSERT_NE(t, nullptr);
    t->select(t->tag("WK"));
    EXPECT_EQ(walk(t), model.order());
}

TEST(IndexModel, BulkBuildAgreesWithIncrementalInserts) {
    TempDataDir dir;
    Context ctx;
    Table* t = ctx.create("B", {{"K", 'C', 100, 0}});
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(ctx.createIndex(t, "B", {{"BK", "Upper(K)"}}), 0);
    std::mt19937 rng(11);
    for (int n : {0, 1, 8, 9, 80, 81, 730}) {
        ASSERT_EQ(t->zap(1, t->recCount()), 0);
        for (int i = 0; i < n; ++i) {
            t->appendBlank();
            t->field("k")->assign("v" + std::to_string(rng() % 50));
        }
        t->flush();
        t->select(t->tag("bk"));
        const auto incremental = walk(t);
        ctx.setSafety(false);
        ASSERT_EQ(ctx.createIndex(t, "B", {{"BK", "Upper(K)"}}), 0);
        t->select(t->tag("bk"));
        EXPECT_EQ(walk(t), incremental) << n << " records";
        EXPECT_EQ(walkBack(t), incremental) << n << " records";
        std::vector<std::string> problems;
        t->check(&problems);
        EXPECT_TRUE(problems.empty()) << n << ": " << problems.front();
    }
}

// A table large enough for the bulk build to read it on two threads where the machine has two
// cores: the tag must still list every record once, in key order, ties in record order.
TEST(IndexModel, LargeBulkBuildOrdersLikeAPlainSort) {
    TempDataDir dir;
    Context ctx;
    Table* t = ctx.create("L", {{"K", 'C', 12, 0}});
    ASSERT_NE(t, nullptr);
    std::mt19937 rng(13);
    std::vector<std::pair<std::string, uint32_t>> expected;
    for (uint32_t rec = 1; rec <= 70000; ++rec) {
        std::string k = "n" + std::to_string(rng() % 5000);
        k.resize(12, ' ');
        t->appendBlank();
        t->field("k")->assign(k);
        expected.emplace_back(k, rec);
    }
    ASSERT_EQ(t->flush(), kFound);
    ASSERT_EQ(ctx.createIndex(t, "L", {{"LK", "Upper(K)"}}), 0);
    std::sort(expected.begin(), expected.end());
    std::vector<uint32_t> order;
    for (const auto& e : expected) order.push_back(e.second);
    t->select(t->tag("LK"));
    EXPECT_EQ(walk(t), order);
    std::vector<std::string> problems;
    t->check(&problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
}
