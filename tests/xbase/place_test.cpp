// Exact places in tag order against the walk: a record's place() must be its position in a walk
// of the tag, and goPlace(k) must land on the k-th record walked, through random inserts, key
// changes (removals and inserts), page splits and merges, close and reopen, and changes rolled
// back. The wide key makes pages of eight entries and a deep tree, so splits and merges happen
// at every turn.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "db/xbase/ntx.h"
#include "tests/support/temp_data_dir.h"
#include "tests/xbase/sample_tables.h"

using namespace xbase;

namespace {

class Places : public ::testing::Test {
protected:
    void SetUp() override {
        t = ctx.create("W", {{"K", 'C', 100, 0}});
        ASSERT_NE(t, nullptr);
        ASSERT_EQ(ctx.createIndex(t, "W", {{"WK", "K"}}), 0);
        ASSERT_EQ(NtxIndex::maxItems(100), 8);
    }

    void reopen() {
        ASSERT_EQ(ctx.closeAll(), 0);
        t = ctx.open("W");
        ASSERT_NE(t, nullptr);
    }

    std::string randomKey() { return "k" + std::to_string(rng() % 400); }

    void append(const std::string& key) {
        ASSERT_EQ(t->appendBlank(), kFound);
        t->field("k")->assign(key);
    }

    // Random appends and key changes; a change to a shared key forces removals from every part
    // of the tree.
    void randomChanges(int count) {
        for (int i = 0; i < count; ++i) {
            if (rng() % 3 == 0 || t->recCount() == 0) {
                append(randomKey());
            } else {
                ASSERT_EQ(t->go(1 + rng() % t->recCount()), kFound);
                t->field("k")->assign(rng() % 2 ? randomKey() : "shared");
            }
        }
        ASSERT_EQ(t->flush(), kFound);
    }

    // Every record's place and every place's record agree with a walk of the tag.
    void expectPlacesMatchTheWalk(const std::string& when) {
        t->select(t->tag("WK"));
        const std::vector<uint32_t> order = walk(t);
        ASSERT_EQ(order.size(), t->recCount()) << when;
        for (uint32_t k = 1; k <= order.size(); ++k) {
            ASSERT_EQ(t->go(order[k - 1]), kFound) << when;
            ASSERT_EQ(t->place(), k) << when << ": record " << order[k - 1];
        }
        for (uint32_t k = order.size(); k >= 1; --k) {
            ASSERT_EQ(t->goPlace(k), kFound) << when << ": place " << k;
            ASSERT_EQ(t->recNo(), order[k - 1]) << when << ": place " << k;
        }
        EXPECT_EQ(t->goPlace(static_cast<uint32_t>(order.size()) + 1), kEof) << when;
        EXPECT_TRUE(t->eof()) << when;
        EXPECT_EQ(t->place(), 0u) << when;
        EXPECT_EQ(ctx.errorCode(), 0) << when << ": " << ctx.errorText();
    }

    TempDataDir dir;
    Context ctx;
    Table* t = nullptr;
    std::mt19937 rng{21};
};

}  // namespace

TEST_F(Places, FollowEveryInsertRemovalSplitAndMerge) {
    for (int i = 0; i < 30; ++i) append(randomKey());
    ASSERT_EQ(t->flush(), kFound);
    // Asked once here, the page counts are kept by the changes below, never gathered again.
    expectPlacesMatchTheWalk("before the changes");
    for (int round = 0; round < 8; ++round) {
        randomChanges(120);
        expectPlacesMatchTheWalk("round " + std::to_string(round));
    }
    // Most keys to one value and back to many: merges and root collapses, then splits again.
    for (uint32_t rec = 1; rec <= t->recCount(); ++rec) {
        ASSERT_EQ(t->go(rec), kFound);
        t->field("k")->assign(rec % 10 ? "same" : "k" + std::to_string(rec));
    }
    expectPlacesMatchTheWalk("after most keys became one");
    randomChanges(200);
    expectPlacesMatchTheWalk("after growing again");
    std::vector<std::string> problems;
    t->check(&problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
}

TEST_F(Places, AreGatheredAgainFromTheFileAfterReopening) {
    randomChanges(600);
    expectPlacesMatchTheWalk("before closing");
    reopen();
    expectPlacesMatchTheWalk("after reopening");
}

TEST_F(Places, FollowAChangeAndItsRollback) {
    randomChanges(400);
    t->select(t->tag("WK"));
    const std::vector<uint32_t> before = walk(t);
    expectPlacesMatchTheWalk("before the change");
    ASSERT_EQ(ctx.begin(), kOk);
    randomChanges(300);
    expectPlacesMatchTheWalk("inside the change");
    ASSERT_EQ(ctx.rollback(), kOk);
    t->select(t->tag("WK"));
    EXPECT_EQ(walk(t), before);
    // The rollback dropped the counts: gathered now inside a change, from the pages it holds.
    ASSERT_EQ(ctx.begin(), kOk);
    randomChanges(300);
    expectPlacesMatchTheWalk("gathered inside a change");
    ASSERT_EQ(ctx.rollback(), kOk);
    expectPlacesMatchTheWalk("after the rollback");
    t->select(t->tag("WK"));
    EXPECT_EQ(walk(t), before);
    ASSERT_EQ(ctx.begin(), kOk);
    randomChanges(300);
    ASSERT_EQ(ctx.commit(), kOk);
    expectPlacesMatchTheWalk("after the commit");
    reopen();
    expectPlacesMatchTheWalk("after the commit and reopening");
}

TEST_F(Places, AreFoundFromRecordsReadInPlaceOrCopied) {
    randomChanges(600);
    // A table over an eighth of the budget is read in 4 KB chunks, which some records cross; a
    // budget of one byte gives up every chunk as soon as it is read. Records appended since the
    // last flush are held in memory.
    for (const size_t budget : {size_t{16} << 10, size_t{1}}) {
        ctx.setCacheLimit(budget);
        reopen();
        for (int i = 0; i < 40; ++i) append(randomKey());
        expectPlacesMatchTheWalk("budget " + std::to_string(budget));
        ASSERT_EQ(t->flush(), kFound);
    }
}

TEST_F(Places, InRecordOrderAreRecordNumbers) {
    randomChanges(50);
    t->select(nullptr);
    ASSERT_EQ(t->go(17), kFound);
    EXPECT_EQ(t->place(), 17u);
    ASSERT_EQ(t->goPlace(5), kFound);
    EXPECT_EQ(t->recNo(), 5u);
    EXPECT_EQ(t->goPlace(t->recCount() + 1), kEof);
    EXPECT_LT(t->goPlace(0), 0);
}
