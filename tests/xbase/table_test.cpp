// Positioning, result codes, fields and key maintenance of the table engine.
#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <fstream>

#include "tests/support/temp_data_dir.h"
#include "tests/xbase/sample_tables.h"

using namespace xbase;
namespace fs = std::filesystem;

class TableTest : public ::testing::Test {
protected:
    TempDataDir dir;
    Context ctx;
    Table* t = nullptr;

    void SetUp() override {
        t = makeCustomers(ctx);
        ASSERT_NE(t, nullptr) << ctx.errorText();
    }
    void fill() {
        addCustomer(t, 3, "Smith", "Anna", "12345");
        addCustomer(t, 1, "Jones", "Bob", "99999");
        addCustomer(t, 2, "smithers", "Carl", "12345");
        addCustomer(t, 4, "Adams", "Dora", "55555");
    }
};

TEST_F(TableTest, EmptyTableResultCodes) {
    t->select(t->tag("cname"));
    EXPECT_EQ(t->top(), kEof);
    EXPECT_EQ(t->bottom(), kEof);
    EXPECT_EQ(t->seek("A"), kEof);
    EXPECT_TRUE(t->eof());
    EXPECT_EQ(t->recNo(), 1u);
    EXPECT_EQ(t->recCount(), 0u);
    EXPECT_EQ(text(t, "last"), "");
}

TEST_F(TableTest, SeekExactPartialAfterAndEnd) {
    fill();
    t->select(t->tag("CName"));
    EXPECT_EQ(t->seek("SMITH"), kFound);  // partial: compares five bytes
    EXPECT_EQ(t->recNo(), 1u);
    EXPECT_EQ(t->seek("SMITHE"), kFound);
    EXPECT_EQ(t->recNo(), 3u);
    EXPECT_EQ(t->seek("JONES               BOB"), kFound);
    EXPECT_EQ(t->recNo(), 2u);
    EXPECT_EQ(t->seek("B"), kAfter);  // next greater: Jones
    EXPECT_EQ(t->recNo(), 2u);
    EXPECT_EQ(t->seek("ZZ"), kEof);
    EXPECT_TRUE(t->eof());
    EXPECT_EQ(t->recNo(), 5u);

    t->select(t->tag("ccno"));
    EXPECT_EQ(t->seek("     2"), kFound);
    EXPECT_EQ(text(t, "last"), "smithers");
    EXPECT_EQ(t->seek("    10"), kEof);
    EXPECT_EQ(t->skip(-1), kFound);  // back from the end lands on the last
    EXPECT_EQ(t->field("cuno")->asInt(), 4);
}

TEST_F(TableTest, SkipAtBothEndsAndRecordOrder) {
    fill();
    t->select(t->tag("cname"));
    EXPECT_EQ(walk(t), (std::vector<uint32_t>{4, 2, 1, 3}));
    EXPECT_EQ(walkBack(t), (std::vector<uint32_t>{4, 2, 1, 3}));
    ASSERT_EQ(t->top(), kFound);
    EXPECT_EQ(t->skip(-1), kBof);
    EXPECT_TRUE(t->bof());
    EXPECT_EQ(t->recNo(), 4u);  // stays on the first
    EXPECT_EQ(t->skip(2), kFound);
    EXPECT_EQ(t->recNo(), 1u);
    EXPECT_EQ(t->skip(5), kEof);
    EXPECT_EQ(t->skip(1), kEof);

    t->select(nullptr);
    EXPECT_EQ(walk(t), (std::vector<uint32_t>{1, 2, 3, 4}));
    EXPECT_EQ(t->go(3), kFound);
    EXPECT_EQ(t->skip(-5), kBof);
    EXPECT_EQ(t->recNo(), 1u);
    EXPECT_LT(t->go(9), 0);
    EXPECT_EQ(ctx.errorCode(), kErrRecord);
    EXPECT_EQ(ctx.errorCode(), 0);  // cleared by the read
}

TEST_F(TableTest, DuplicatesAndDeletedRecordsStayInOrder) {
    fill();
    addCustomer(t, 5, "Smith", "Anna", "12345");
    t->go(1);
    t->deleteRecord();
    t->select(t->tag("czip"));
    EXPECT_EQ(walk(t), (std::vector<uint32_t>{1, 3, 5, 4, 2}));
    t->go(1);
    EXPECT_TRUE(t->deleted());
    t->recall();
    t->flush();
    t->go(1);
    EXPECT_FALSE(t->deleted());
}

TEST_F(TableTest, KeyChangeMovesTheRecordInEveryTag) {
    fill();
    t->go(4);  // Adams, 4, 55555
    t->field("last")->assign("Zeta");
    t->field("cuno")->assignInt(0);
    t->field("zip")->assign("00000");
    t->select(t->tag("cname"));  // selecting moves nothing; the change is still pending
    EXPECT_EQ(walk(t), (std::vector<uint32_t>{2, 1, 3, 4}));
    t->select(t->tag("ccno"));
    EXPECT_EQ(walk(t), (std::vector<uint32_t>{4, 2, 3, 1}));
    t->select(t->tag("czip"));
    EXPECT_EQ(walk(t), (std::vector<uint32_t>{4, 1, 3, 2}));
    std::vector<std::string> problems;
    t->check(&problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
}

TEST_F(TableTest, FieldsReadAndWriteWithTheirTypes) {
    t->appendBlank();
    EXPECT_EQ(t->field("LAST")->str(), std::string(20, ' '));
    t->field("last")->assign("A name that is far too long for the field");
    t->field("cuno")->assignLong(123456);
    t->field("active")->assign("F");
    t->field("since")->assign("19991231");
    t->field("comments")->assignMemo("line one\r\nline two");
    t->close();
    t = ctx.open("cust");
    ASSERT_NE(t, nullptr);
    t->top();
    EXPECT_EQ(t->field("last")->str(), "A name that is far t");
    EXPECT_EQ(t->field("cuno")->str(), "123456");
    EXPECT_EQ(t->field("cuno")->asLong(), 123456);
    EXPECT_FALSE(t->field("active")->isTrue());
    EXPECT_EQ(t->field("since")->str(), "19991231");
    EXPECT_EQ(t->field("comments")->memo(), "line one\r\nline two");
    t->field("cuno")->assignLong(1234567);  // too wide: refused, field unchanged
    EXPECT_EQ(ctx.errorCode(), kErrArgument);
    EXPECT_EQ(t->field("cuno")->asLong(), 123456);
    EXPECT_EQ(t->field("nosuch"), nullptr);
    EXPECT_EQ(ctx.errorCode(), kErrField);
    EXPECT_EQ(t->tag("nosuch"), nullptr);
    EXPECT_EQ(ctx.errorCode(), kErrTag);
}

TEST_F(TableTest, NamesMatchInAnyLetterCase) {
    fill();
    ctx.closeAll();
    fs::rename("CUST.dbf", "cust.DBF");
    fs::rename("CNAME.ntx", "cname.NTX");
    t = ctx.open("Cust");
    ASSERT_NE(t, nullptr) << ctx.errorText();
    ASSERT_NE(t->tag("CnAmE"), nullptr);
    t->select(t->tag("cname"));
    EXPECT_EQ(walk(t).size(), 4u);
}

TEST_F(TableTest, PositionFollowsTheOrder) {
    for (int i = 1; i <= 500; ++i) addCustomer(t, i, "N" + std::to_string(100000 + i), "x");
    t->select(t->tag("ccno"));
    t->top();
    EXPECT_LT(t->position(), 0.01);
    t->bottom();
    EXPECT_GT(t->position(), 0.99);
    double last = -1;
    for (int i = 1; i <= 500; i += 7) {
        t->go(static_cast<uint32_t>(i));
        const double p = t->position();
        EXPECT_GT(p, last);
        EXPECT_NEAR(p, (i - 0.5) / 500.0, 0.08);
        last = p;
    }
}

TEST_F(TableTest, MemoRewritesGrowTheFileUntilCompacted) {
    addCustomer(t, 1, "A", "a", "", std::string(2000, 'x'));
    addCustomer(t, 2, "B", "b", "", "short");
    for (int i = 0; i < 5; ++i) {
        t->go(1);
        t->field("comments")->assignMemo(std::string(1500 + i, 'y'));
    }
    t->flush();
    const auto grown = fs::file_size("CUST.dbt");
    EXPECT_EQ(t->memoCompress(), kFound);
    EXPECT_LT(fs::file_size("CUST.dbt"), grown);
    t->go(1);
    EXPECT_EQ(t->field("comments")->memo(), std::string(1504, 'y'));
    t->go(2);
    EXPECT_EQ(t->field("comments")->memo(), "short");
    std::vector<std::string> problems;
    t->check(&problems);
    EXPECT_TRUE(problems.empty());
}

TEST_F(TableTest, PackAndZapKeepTheRestInOrder) {
    for (int i = 1; i <= 10; ++i)
        addCustomer(t, i, "L" + std::to_string(i), "f", "", "memo " + std::to_string(i));
    for (uint32_t r : {2u, 5u, 9u}) {
        t->go(r);
        t->deleteRecord();
    }
    t->select(t->tag("ccno"));
    ASSERT_EQ(t->pack(), kFound);
    EXPECT_EQ(t->recCount(), 7u);
    std::vector<int> numbers;
    for (int rc = t->top(); rc == kFound; rc = t->skip(1))
        numbers.push_back(t->field("cuno")->asInt());
    EXPECT_EQ(numbers, (std::vector<int>{1, 3, 4, 6, 7, 8, 10}));
    t->go(7);
    EXPECT_EQ(t->field("comments")->memo(), "memo 10");
    EXPECT_EQ(t->selected()->name(), "CCNO");

    ASSERT_EQ(t->zap(2, 3), kFound);  // drops 3, 4 and 6
    numbers.clear();
    for (int rc = t->top(); rc == kFound; rc = t->skip(1))
        numbers.push_back(t->field("cuno")->asInt());
    EXPECT_EQ(numbers, (std::vector<int>{1, 7, 8, 10}));
    ASSERT_EQ(t->zap(1, t->recCount()), kFound);
    EXPECT_EQ(t->recCount(), 0u);
    EXPECT_EQ(t->top(), kEof);
    std::vector<std::string> problems;
    t->check(&problems);
    EXPECT_TRUE(problems.empty());
}

TEST_F(TableTest, PackWithNothingMarkedChangesNothing) {
    fill();
    t->select(t->tag("cname"));
    const auto before = walk(t);
    ASSERT_EQ(t->pack(), kFound);
    EXPECT_EQ(walk(t), before);
    EXPECT_EQ(t->recCount(), 4u);
}

TEST_F(TableTest, GroupFileOpensEveryTagAndAutoOpenOffOpensNone) {
    fill();
    ctx.closeAll();
    t = ctx.open("CUST");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->tagCount(), 3);
    ctx.closeAll();
    ctx.setAutoOpen(false);
    t = ctx.open("CUST");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->tagCount(), 0);
    ctx.setAutoOpen(true);
    EXPECT_EQ(ctx.open("CUST"), nullptr);  // a table is opened once
    EXPECT_EQ(ctx.errorCode(), kErrOpen);
    ctx.closeAll();
    fs::remove("CCNO.ntx");
    EXPECT_EQ(ctx.open("CUST"), nullptr);
    EXPECT_EQ(ctx.errorCode(), kErrOpen);
    EXPECT_EQ(ctx.open("NOSUCH"), nullptr);
    EXPECT_EQ(ctx.errorCode(), kErrOpen);
}

TEST_F(TableTest, SafetyKeepsExistingIndexFiles) {
    ctx.setSafety(true);
    EXPECT_LT(ctx.createIndex(t, "CUST", {{"CNAME", "Upper(Last)"}}), 0);
    EXPECT_EQ(ctx.errorCode(), kErrCreate);
    ctx.setSafety(false);
    EXPECT_EQ(ctx.createIndex(t, "CUST", {{"CNAME", "Upper(Last)"}}), 0);
    EXPECT_EQ(t->tagCount(), 1);
    EXPECT_EQ(t->tag("cname")->keyLength(), 20);
}

TEST(KeyExpressionTest, UpperFoldsTheAsciiLettersAndNoOtherByteWhereverTheyFall) {
    // A 19-byte field is folded as two words and three single bytes; every byte value but 0
    // comes at every place in it.
    TempDataDir dir;
    Context ctx;
    Table* t = ctx.create("U", {{"F", 'C', 19, 0}});
    ASSERT_NE(t, nullptr);
    std::vector<std::string> texts;
    for (int first = 0; first < 255; ++first) {
        std::string text;
        for (int i = 0; i < 19; ++i) text.push_back(static_cast<char>((first + i) % 255 + 1));
        ASSERT_EQ(t->appendBlank(), kFound);
        t->field("f")->assign(text);
        texts.push_back(text);
    }
    ASSERT_EQ(ctx.createIndex(t, "U", {{"UF", "Upper(F)"}}), 0);
    t->select(t->tag("uf"));
    for (uint32_t rec = 1; rec <= texts.size(); ++rec) {
        std::string folded = texts[rec - 1];
        for (char& c : folded)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        ASSERT_EQ(t->go(rec), kFound);
        EXPECT_EQ(t->currentKey(), folded) << "record " << rec;
        EXPECT_EQ(t->seek(folded), kFound) << "record " << rec;
    }
}

TEST_F(TableTest, UnsupportedExpressionsAreRefused) {
    ctx.setSafety(false);
    for (const char* bad : {"Substr(Last, 1, 3)", "Last +", "Str(Last, 6)", "DTOS(CuNo)", "Nosuch",
                            "Upper(Last", "CuNo"}) {
        EXPECT_EQ(ctx.createIndex(t, "X", {{"X", bad}}), kErrExpr) << bad;
        ctx.errorCode();
    }
}

namespace {

uint32_t countInFile(const char* path) {
    std::ifstream f(path, std::ios::binary);
    unsigned char h[8] = {};
    f.read(reinterpret_cast<char*>(h), 8);
    return h[4] | h[5] << 8 | h[6] << 16 | static_cast<uint32_t>(h[7]) << 24;
}

}  // namespace

TEST_F(TableTest, AppendsReachTheFileOnFlushOrAtOnceWithoutOptimize) {
    addCustomer(t, 1, "A", "a");
    t->appendBlank();
    t->appendBlank();
    EXPECT_EQ(t->recCount(), 3u);
    EXPECT_EQ(countInFile("CUST.dbf"), 1u);  // held in memory while optimized
    t->go(3);
    t->field("last")->assign("Third");
    t->flush();
    EXPECT_EQ(countInFile("CUST.dbf"), 3u);
    ctx.closeAll();

    ctx.setOptimize(false);
    t = ctx.open("CUST");
    ASSERT_NE(t, nullptr);
    t->appendBlank();
    EXPECT_EQ(countInFile("CUST.dbf"), 4u);
    t->go(3);
    EXPECT_EQ(text(t, "last"), "Third");
    std::vector<std::string> problems;
    t->check(&problems);
    EXPECT_TRUE(problems.empty());
}

// With no memory to keep, every page and chunk read goes again as soon as it may: orders, seeks,
// places and key changes must come out as with the whole cache.
TEST_F(TableTest, ACacheWithNoRoomGivesTheSameOrdersSeeksPlacesAndChanges) {
    for (int i = 1; i <= 1500; ++i)
        addCustomer(t, (i * 7919) % 1500 + 1, "Name" + std::to_string(i * 31 % 977), "F",
                    std::to_string(i % 89));
    // Each record read on the way, as a report reads them, between the moves of the cursor.
    const auto read = [&](bool forward) {
        std::vector<uint32_t> recs;
        for (int rc = forward ? t->top() : t->bottom(); rc == kFound;
             rc = t->skip(forward ? 1 : -1))
            recs.push_back(t->recNo() * 1000 + static_cast<uint32_t>(text(t, "last").size()));
        return recs;
    };
    const auto orders = [&] {
        std::vector<std::vector<uint32_t>> all;
        for (const char* tag : {"cname", "ccno", "czip"}) {
            t->select(t->tag(tag));
            all.push_back(read(true));
            all.push_back(read(false));
            for (const char* key : {"NAME5", "NAME977", "ZZZ", "   700", "44"}) {
                all.push_back({static_cast<uint32_t>(t->seek(key)), t->recNo()});
                all.push_back({t->place()});
            }
        }
        return all;
    };
    const auto want = orders();
    ctx.setCacheLimit(0);
    EXPECT_EQ(orders(), want);
    // Between two moves another table is read at length: only the cursor keeps its pages.
    Table* other = ctx.create("OTHER", {{"LAST", 'C', 200, 0}});
    ASSERT_NE(other, nullptr);
    for (int i = 1; i <= 100; ++i) {
        ASSERT_EQ(other->appendBlank(), kFound);
        other->field("last")->assign("Other");
    }
    ASSERT_EQ(other->flush(), kFound);
    t->select(t->tag("cname"));
    std::vector<uint32_t> interleaved;
    for (int rc = t->top(); rc == kFound; rc = t->skip()) {
        interleaved.push_back(t->recNo() * 1000 + static_cast<uint32_t>(text(t, "last").size()));
        if (interleaved.size() % 50 != 1) continue;
        for (uint32_t r = 1; r <= 100; ++r) {
            ASSERT_EQ(other->go(r), kFound);
            ASSERT_EQ(text(other, "last"), "Other");
        }
    }
    EXPECT_EQ(interleaved, want[0]);
    t->select(t->tag("ccno"));
    const std::vector<uint32_t> byNumber = walk(t);
    for (uint32_t p = 1; p <= 1500; p += 37) {
        ASSERT_EQ(t->goPlace(p), kFound);
        EXPECT_EQ(t->recNo(), byNumber[p - 1]);
        EXPECT_EQ(t->place(), p);
    }
    t->select(t->tag("cname"));
    for (uint32_t r = 1; r <= 1500; r += 3) {
        ASSERT_EQ(t->go(r), kFound);
        t->field("last")->assign("Moved" + std::to_string(r % 101));
        ASSERT_EQ(t->skip(), kFound);
    }
    std::vector<std::string> problems;
    t->check(&problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
    EXPECT_EQ(t->seek("MOVED100"), kFound);
    EXPECT_EQ(text(t, "last"), "Moved100");
}

// A program may take its locale from the environment (a Qt application does); under a decimal
// comma the files must still hold and give back numbers with a point.
TEST(NumberTextTest, NumbersKeepTheirPointUnderADecimalCommaLocale) {
    struct Restore {
        std::string locale = std::setlocale(LC_NUMERIC, nullptr);
        ~Restore() { std::setlocale(LC_NUMERIC, locale.c_str()); }
    } restore;
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr)
        << "the de_DE.UTF-8 locale is needed (tools/deps.sh makes it)";
    TempDataDir dir;
    Context ctx;
    Table* t = ctx.create("amt", {{"AMT", 'N', 8, 2}, {"NOTE", 'C', 12, 0}});
    ASSERT_NE(t, nullptr) << ctx.errorText();
    ASSERT_EQ(ctx.createIndex(t, "amt", {{"AMTS", "Str(Amt, 9, 3)"}}), 0) << ctx.errorText();
    for (const double v : {12.5, -0.75, 3.0}) {
        t->appendBlank();
        t->field("amt")->assignDouble(v);
        t->field("note")->assignDouble(v);
    }
    t->select(t->tag("amts"));
    t->top();
    EXPECT_EQ(t->field("amt")->str(), "    3.00");
    EXPECT_EQ(t->field("note")->str(), "3.000000    ");
    EXPECT_EQ(t->seek("   -0.750"), kFound);
    EXPECT_DOUBLE_EQ(t->field("amt")->asDouble(), -0.75);
    EXPECT_EQ(t->skip(), kFound);
    EXPECT_EQ(t->field("amt")->str(), "   12.50");
    EXPECT_DOUBLE_EQ(t->field("amt")->asDouble(), 12.5);
}
