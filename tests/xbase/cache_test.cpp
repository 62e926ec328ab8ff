// The engine's cache budget: the least recently used piece of any part goes first, and tables
// walked in every order keep no more than the budget allows.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "db/xbase/cache.h"
#include "tests/support/temp_data_dir.h"
#include "tests/xbase/sample_tables.h"

using namespace xbase;

namespace {

// A part whose pieces are numbered; it records the order they are given up in.
class Part : public CachePart {
public:
    Part(CacheBudget* budget, std::vector<int>* dropped) : budget_(budget), dropped_(dropped) {
        budget->join(this);
    }
    ~Part() override { budget_->leave(this); }
    void use(int piece) {
        CacheLink& l = pieces_[piece];
        if (!UseOrder::contains(&l)) budget_->grew(1);
        order_.use(&l, budget_->tick());
        budget_->trim();
    }
    uint64_t oldestUse() override {
        const CacheLink* l = order_.oldest();
        return l ? l->used : UINT64_MAX;
    }
    void dropOldest() override {
        CacheLink* l = order_.oldest();
        order_.take(l);
        for (const auto& [n, link] : pieces_)
            if (&link == l) dropped_->push_back(n);
        budget_->shrank(1);
    }

private:
    CacheBudget* budget_;
    std::vector<int>* dropped_;
    std::map<int, CacheLink> pieces_;
    UseOrder order_;
};

}  // namespace

TEST(CacheBudgetTest, TheLeastRecentlyUsedPieceOfAnyPartGoesFirst) {
    CacheBudget budget(3);
    std::vector<int> dropped;
    Part a(&budget, &dropped), b(&budget, &dropped);
    a.use(1);
    b.use(2);
    a.use(3);
    a.use(1);  // used again: now the most recent
    b.use(4);  // over the budget: 2, b's, is the oldest of all
    b.use(5);  // then 3, a's
    EXPECT_EQ(dropped, (std::vector<int>{2, 3}));
    EXPECT_EQ(budget.used(), 3u);
    budget.setLimit(1);  // a smaller budget gives up the oldest at once
    EXPECT_EQ(dropped, (std::vector<int>{2, 3, 1, 4}));
    EXPECT_EQ(budget.used(), 1u);
}

TEST(UseOrderTest, APieceUsedAgainMovesToTheFrontOnlyWhenItComesToTheEnd) {
    UseOrder order;
    CacheLink a, b, c;
    order.use(&a, 1);
    EXPECT_EQ(order.oldest(), &a);
    order.use(&a, 2);  // the only piece, used again, is still the oldest
    EXPECT_EQ(order.oldest(), &a);
    order.use(&b, 3);
    order.use(&c, 4);
    order.use(&a, 5);  // stamped where it stands, behind b and c
    EXPECT_EQ(order.oldest(), &b);
    EXPECT_EQ(order.newer(&b), &c);
    EXPECT_EQ(order.newer(&c), &a);
    EXPECT_EQ(order.newer(&a), nullptr);
    order.use(&b, 6);
    order.use(&c, 7);  // every piece used again: each found once, by its last use
    EXPECT_EQ(order.oldest(), &a);
    EXPECT_EQ(order.newer(&a), &b);
    EXPECT_EQ(order.newer(&b), &c);
    EXPECT_EQ(order.newer(&c), nullptr);
    order.take(&b);
    EXPECT_EQ(order.newer(&a), &c);
    order.take(&a);
    order.take(&c);
    EXPECT_EQ(order.oldest(), nullptr);
}

TEST(CacheBudgetTest, TablesWalkedInEveryOrderKeepNoMoreThanTheBudget) {
    TempDataDir dir;
    Context ctx;
    Table* t = makeCustomers(ctx);
    ASSERT_NE(t, nullptr);
    for (int i = 1; i <= 3000; ++i)
        addCustomer(t, i, "Name" + std::to_string(i * 7 % 3001), "F", std::to_string(i % 97));
    ctx.closeAll();
    constexpr size_t kBudget = 64 << 10;
    ctx.setCacheLimit(kBudget);
    t = ctx.open("CUST");
    ASSERT_NE(t, nullptr);
    size_t most = 0;
    for (const char* tag : {"cname", "ccno", "czip"}) {
        t->select(t->tag(tag));
        for (int rc = t->top(); rc == kFound; rc = t->skip()) {
            EXPECT_FALSE(text(t, "last").empty());
            most = std::max(most, ctx.cache()->used());
        }
    }
    // Beyond the budget only what an operation holds: one page for each level of one tree.
    EXPECT_LE(most, kBudget + 8 * 1024);
    EXPECT_GT(most, kBudget / 2);
}

// An index of more pages than one block of page slots holds, walked both ways under a budget of
// a few pages: every page far into the file is given up and read again into its own slot, so the
// keys come in order, every one of them, and each is found again by a seek.
TEST(CacheBudgetTest, PagesFarIntoALargeIndexAreReadAgainIntoTheirOwnSlots) {
    TempDataDir dir;
    Context ctx;
    Table* t = makeCustomers(ctx);
    ASSERT_NE(t, nullptr);
    constexpr int kCustomers = 20000;
    for (int i = 1; i <= kCustomers; ++i)
        addCustomer(t, i, "Name" + std::to_string(i * 7919 % kCustomers), "F", "1");
    ctx.closeAll();
    ctx.setCacheLimit(16 << 10);
    t = ctx.open("CUST");
    ASSERT_NE(t, nullptr);
    t->select(t->tag("cname"));
    std::vector<std::string> keys;
    for (int rc = t->top(); rc == kFound; rc = t->skip()) keys.push_back(t->currentKey());
    ASSERT_EQ(keys.size(), size_t{kCustomers});
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    std::vector<std::string> backwards;
    for (int rc = t->bottom(); rc == kFound; rc = t->skip(-1)) backwards.push_back(t->currentKey());
    EXPECT_TRUE(std::equal(keys.rbegin(), keys.rend(), backwards.begin(), backwards.end()));
    for (size_t i = 0; i < keys.size(); i += 97) {
        ASSERT_EQ(t->seek(keys[i]), kFound) << keys[i];
        EXPECT_EQ(t->currentKey(), keys[i]);
    }
}
