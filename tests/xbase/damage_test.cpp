// Damaged files give a clear error code, never a crash or an endless loop; a damaged index is
// rebuilt from its table.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

#include "db/xbase/dbf.h"
#include "db/xbase/fit_record.h"
#include "db/xbase/ntx.h"
#include "db/xbase/rewrite_marker.h"
#include "tests/support/temp_data_dir.h"
#include "tests/xbase/sample_tables.h"

using namespace xbase;
namespace fs = std::filesystem;

namespace {

void patch(const std::string& file, std::streamoff at, const std::string& bytes) {
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(at);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string le32(uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
            static_cast<char>(v >> 24)};
}

class DamageTest : public ::testing::Test {
protected:
    TempDataDir dir;
    Context ctx;
    void SetUp() override {
        Table* t = makeCustomers(ctx);
        ASSERT_NE(t, nullptr);
        for (int i = 1; i <= 300; ++i)
            addCustomer(t, i, "Name" + std::to_string(i), "F", "Z", i % 3 ? "" : "memo");
        ctx.closeAll();
    }
    int openError() {
        EXPECT_EQ(ctx.open("CUST"), nullptr);
        return ctx.errorCode();
    }
    // Every tag of CUST asked whether it fits, as the program's start-up asks; the first reason
    // one does not.
    std::string misfit() {
        Table* t = ctx.open("CUST");
        if (!t) {
            ctx.errorCode();
            return ctx.errorText();
        }
        std::string why;
        for (int i = 0; i < t->tagCount() && why.empty(); ++i) t->tagFits(t->tagAt(i), &why);
        ctx.closeAll();
        return why;
    }
    // A clean close after the tags were found to fit, a clock tick after the files' last change,
    // leaves a record naming the files that the next open takes.
    void closeCleanly() {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        ASSERT_EQ(misfit(), "");
        std::ifstream in("CUST.fit", std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        ASSERT_TRUE(parseFitRecord(text, &recorded)) << text;
        std::vector<std::string> names;
        for (const FitEntry& e : recorded) names.push_back(e.name);
        ASSERT_EQ(names, (std::vector<std::string>{"CUST.dbf", "CUST.dbt", "CUST.cgp", "CNAME.ntx",
                                                   "CCNO.ntx", "CZIP.ntx"}));
        ASSERT_TRUE(fitRecordMatches(Env::standard(), "CUST.fit", recorded));
    }
    // Makes the first entry of CCNO.ntx's first leaf name record 999, in place.
    void misnameFirstEntry() {
        std::unique_ptr<NtxIndex> x;
        ASSERT_TRUE(NtxIndex::open(Env::standard(), "CCNO.ntx", &x).ok());
        NtxIndex::Cursor c;
        bool found = false;
        ASSERT_TRUE(x->first(&c, &found).ok() && found);
        const uint32_t page = c.path.back().node->offset;
        x.reset();
        std::ifstream in("CCNO.ntx", std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        patch("CCNO.ntx", page + get16(bytes.data() + page + 2) + 4, le32(999));
    }
    std::vector<FitEntry> recorded;
};

}  // namespace

TEST_F(DamageTest, TableWhoseCountDisagreesWithItsSize) {
    patch("CUST.dbf", 4, le32(301));
    EXPECT_EQ(openError(), kErrData);
    patch("CUST.dbf", 4, le32(250));
    EXPECT_EQ(openError(), kErrData);
    patch("CUST.dbf", 4, le32(300));
    fs::resize_file("CUST.dbf", fs::file_size("CUST.dbf") - 40);  // a torn last record
    EXPECT_EQ(openError(), kErrData);
}

TEST_F(DamageTest, MemoBlockPastTheEnd) {
    Table* t = ctx.open("CUST");
    ASSERT_NE(t, nullptr);
    t->go(3);
    // The memo field is the last 10 bytes of the record.
    const auto recordEnd = 32 * 7 + 33 + 3 * (1 + 6 + 20 + 13 + 10 + 8 + 1 + 10);
    ctx.closeAll();
    patch("CUST.dbf", recordEnd - 10, "    999999");
    t = ctx.open("CUST");
    ASSERT_NE(t, nullptr);
    t->go(3);
    EXPECT_EQ(t->field("comments")->memo(), "");
    EXPECT_EQ(ctx.errorCode(), kErrData);
    std::vector<std::string> problems;
    t->check(&problems);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("memo block 999999"), std::string::npos);
}

TEST_F(DamageTest, IndexHeaderAndPages) {
    const auto good = fs::file_size("CNAME.ntx");
    patch("CNAME.ntx", 0, "\x09\x00");
    EXPECT_EQ(openError(), kErrIndex);
    patch("CNAME.ntx", 0, "\x06\x00");
    patch("CNAME.ntx", 14, "\x05\x00");  // key size that does not match the expression
    EXPECT_EQ(openError(), kErrIndex);
    patch("CNAME.ntx", 14, "\x21\x00");
    patch("CNAME.ntx", 4, le32(static_cast<uint32_t>(good) + 4096));  // root past the end
    EXPECT_EQ(openError(), kErrIndex);
}

TEST_F(DamageTest, CyclesAndBadChildrenNeverLoop) {
    // Point the first child of the root page back at the root itself.
    std::ifstream in("CCNO.ntx", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const uint32_t root = static_cast<uint8_t>(bytes[4]) | static_cast<uint8_t>(bytes[5]) << 8 |
                          static_cast<uint8_t>(bytes[6]) << 16;
    const uint16_t slot0 =
        static_cast<uint8_t>(bytes[root + 2]) | static_cast<uint8_t>(bytes[root + 3]) << 8;
    patch("CCNO.ntx", root + slot0, le32(root));
    Table* t = ctx.open("CUST");
    ASSERT_NE(t, nullptr);
    t->select(t->tag("ccno"));
    EXPECT_LT(t->top(), 0);
    EXPECT_EQ(ctx.errorCode(), kErrIndex);
    EXPECT_LT(t->seek("     1"), 0);
    EXPECT_EQ(ctx.errorCode(), kErrIndex);
    EXPECT_LT(t->goPlace(10), 0);
    EXPECT_EQ(ctx.errorCode(), kErrIndex);
    std::vector<std::string> problems;
    t->check(&problems);
    EXPECT_FALSE(problems.empty());

    // Rebuilt from the table, the tag is whole again.
    ctx.setSafety(false);
    ASSERT_EQ(ctx.createIndex(
                  t, "CUST",
                  {{"CNAME", "Upper(Last + First)"}, {"CCNO", "Str(CuNo, 6)"}, {"CZIP", "Zip"}}),
              0);
    t->select(t->tag("ccno"));
    EXPECT_EQ(walk(t).size(), 300u);
    ASSERT_EQ(t->goPlace(300), kFound);
    EXPECT_EQ(t->place(), 300u);
    problems.clear();
    t->check(&problems);
    EXPECT_TRUE(problems.empty());
}

TEST_F(DamageTest, CheckFindsStaleKeysAndMissingRecords) {
    // Change a record behind the index's back.
    const auto first = 32 * 7 + 33;
    patch("CUST.dbf", first + 1, "   999");
    Table* t = ctx.open("CUST");
    ASSERT_NE(t, nullptr);
    std::vector<std::string> problems;
    t->check(&problems);
    ASSERT_FALSE(problems.empty());
    EXPECT_NE(problems[0].find("differs from its expression"), std::string::npos);
}

namespace {

std::string bytesOf(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// What a pack with memo compaction leaves when it is stopped after its marker: new table and
// memo files beside the table. The new table is CUST.dbf with record 1 marked deleted.
class InterruptedPackTest : public DamageTest {
protected:
    void SetUp() override {
        DamageTest::SetUp();
        table_ = bytesOf("CUST.dbf");
        memo_ = bytesOf("CUST.dbt");
        fresh_ = table_;
        fresh_[headerLength()] = '*';
    }
    size_t headerLength() const {
        return static_cast<uint8_t>(table_[8]) | static_cast<uint8_t>(table_[9]) << 8;
    }
    void leave(const std::string& newTable) {
        writeFile("CUST.dbf.new", newTable);
        writeFile("CUST.dbt.new", memo_);
        ASSERT_TRUE(
            writeMarker(Env::standard(), RewriteFiles("./CUST.dbf", "./CUST.dbt"), true).ok());
    }
    static bool leftoversGone() {
        return !fs::exists("CUST.dbf.new") && !fs::exists("CUST.dbt.new") &&
               !fs::exists("CUST.dbf.commit");
    }
    std::string table_, memo_, fresh_;
};

}  // namespace

TEST_F(InterruptedPackTest, AWholeNewTableIsFinishedOnlyWhenAskedAndOpeningChangesNothing) {
    leave(fresh_);
    EXPECT_EQ(ctx.inspectRewrite("cust").action, Context::Leftover::kFinish);
    Table* t = ctx.open("CUST");
    ASSERT_NE(t, nullptr);
    EXPECT_FALSE(t->deleted());  // the table's own files, the leftovers untouched
    ctx.closeAll();
    EXPECT_EQ(bytesOf("CUST.dbf"), table_);
    EXPECT_TRUE(fs::exists("CUST.dbf.commit"));

    Context::Leftover done;
    ASSERT_EQ(ctx.finishRewrite("CUST", &done), kOk);
    EXPECT_EQ(done.action, Context::Leftover::kFinish);
    EXPECT_EQ(bytesOf("CUST.dbf"), fresh_);
    EXPECT_TRUE(leftoversGone());
}

TEST_F(InterruptedPackTest, NewFilesThatAreNotWholeGoAndTheTableStays) {
    std::string wrongCount = fresh_;
    wrongCount[4] = static_cast<char>(wrongCount[4] + 1);
    std::string badFlag = fresh_;
    badFlag[headerLength()] = 'x';
    std::string pastTheMemo = fresh_;
    // Record 3 has a memo; its pointer (the last field) now names a block past the file.
    const size_t recordLength = static_cast<uint8_t>(table_[10]) | static_cast<uint8_t>(table_[11])
                                                                       << 8;
    pastTheMemo.replace(headerLength() + 3 * recordLength - 10, 10, "     99999");
    std::string otherFields = fresh_;
    otherFields[32] = 'X';  // the first field's name
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"not a table at all", "not a table at all\n"},
        {"a count one past its records", wrongCount},
        {"a bad deletion flag", badFlag},
        {"a memo pointer past the memo file", pastTheMemo},
        {"another table's fields", otherFields},
    };
    for (const auto& [what, newTable] : cases) {
        leave(newTable);
        const Context::Leftover seen = ctx.inspectRewrite("CUST");
        EXPECT_EQ(seen.action, Context::Leftover::kDiscard) << what;
        EXPECT_FALSE(seen.why.empty()) << what;
        EXPECT_EQ(bytesOf("CUST.dbf.new"), newTable) << what;
        Context::Leftover done;
        ASSERT_EQ(ctx.finishRewrite("CUST", &done), kOk) << what;
        EXPECT_EQ(done.action, Context::Leftover::kDiscard) << what;
        EXPECT_EQ(bytesOf("CUST.dbf"), table_) << what;
        EXPECT_EQ(bytesOf("CUST.dbt"), memo_) << what;
        EXPECT_TRUE(leftoversGone()) << what;
    }
    // New files without the marker were still being written.
    writeFile("CUST.dbf.new", fresh_);
    EXPECT_EQ(ctx.inspectRewrite("CUST").action, Context::Leftover::kDiscard);
    Context::Leftover done;
    ASSERT_EQ(ctx.finishRewrite("CUST", &done), kOk);
    EXPECT_EQ(bytesOf("CUST.dbf"), table_);
    EXPECT_TRUE(leftoversGone());
    EXPECT_EQ(ctx.inspectRewrite("CUST").action, Context::Leftover::kNone);
}

TEST_F(InterruptedPackTest, LeftoversNotMadeFromThisTableAreKeptAsideAndTheTableStays) {
    std::string otherTable = table_;
    otherTable[headerLength() + 5] ^= 0x20;  // another business's first customer
    const std::vector<std::pair<std::string, std::function<void()>>> cases = {
        {"made from another table",
         [&] {
             writeFile("CUST.dbf", otherTable);
             leave(fresh_);
             writeFile("CUST.dbf", table_);
         }},
        {"a marker written by hand",
         [&] {
             leave(fresh_);
             writeFile("CUST.dbf.commit", "commit\n");
         }},
        {"another memo file",
         [&] {
             leave(fresh_);
             writeFile("CUST.dbt.new", memo_ + std::string(512, ' '));
         }},
    };
    for (const auto& [what, make] : cases) {
        make();
        std::map<std::string, std::string> leftovers;
        for (const char* name : {"CUST.dbf.new", "CUST.dbt.new", "CUST.dbf.commit"})
            leftovers[name] = bytesOf(name);
        EXPECT_EQ(ctx.inspectRewrite("CUST").action, Context::Leftover::kSetAside) << what;
        Context::Leftover done;
        ASSERT_EQ(ctx.finishRewrite("CUST", &done), kOk) << what;
        EXPECT_EQ(done.action, Context::Leftover::kSetAside) << what;
        EXPECT_FALSE(done.why.empty()) << what;
        EXPECT_TRUE(bytesOf("CUST.dbf") == table_) << what;
        EXPECT_TRUE(bytesOf("CUST.dbt") == memo_) << what;
        EXPECT_TRUE(leftoversGone()) << what;
        // Each is kept under its own name with the date, byte for byte.
        for (const auto& e : fs::directory_iterator(".")) {
            const std::string name = e.path().filename().string();
            const auto aside = name.find(".foreign-");
            if (aside == std::string::npos) continue;
            EXPECT_EQ(bytesOf(name), leftovers[name.substr(0, aside)]) << what << ": " << name;
            leftovers.erase(name.substr(0, aside));
            fs::remove(e.path());
        }
        EXPECT_TRUE(leftovers.empty()) << what;
    }
}

TEST_F(InterruptedPackTest, NewTableWithoutItsMarkerGoesEvenBesideADamagedTable) {
    // A repair killed before its rename: the table still damaged, its mended copy beside it.
    patch("CUST.dbf", 4, le32(301));
    const std::string damaged = bytesOf("CUST.dbf");
    writeFile("CUST.dbf.new", fresh_);
    Context next;  // the next command's, as it starts
    EXPECT_EQ(next.inspectRewrite("CUST").action, Context::Leftover::kDiscard);
    Context::Leftover done;
    ASSERT_EQ(next.finishRewrite("CUST", &done), kOk) << next.errorText();
    EXPECT_EQ(done.action, Context::Leftover::kDiscard);
    EXPECT_TRUE(leftoversGone());
    EXPECT_TRUE(bytesOf("CUST.dbf") == damaged);
}

TEST_F(DamageTest, LinksLeadNeitherTheEngineNorADataFileOutOfTheDirectory) {
    const fs::path victim =
        fs::current_path().parent_path() / (fs::current_path().filename().string() + ".victim");
    writeFile(victim.string(), "outside the data directory");
    const auto linkToVictim = [&](const char* name) { fs::create_symlink(victim, name); };

    // The engine's own files: the lock, a pack's new table, the journal.
    linkToVictim("changes.lck");
    EXPECT_NE(ctx.begin(), kOk);
    EXPECT_NE(ctx.errorText().find("changes.lck"), std::string::npos) << ctx.errorText();
    fs::remove("changes.lck");
    Table* t = ctx.open("CUST");
    ASSERT_NE(t, nullptr);
    linkToVictim("CUST.dbf.new");
    EXPECT_LT(t->pack(), 0);
    ctx.errorCode();
    ctx.closeAll();
    fs::remove("CUST.dbf.new");
    linkToVictim("changes.jnl");
    Context::Recovery found;
    ASSERT_EQ(ctx.recoverJournal(&found), kOk);
    EXPECT_FALSE(found.rolledBack);
    EXPECT_EQ(found.keptAs.rfind("changes.jnl.foreign-", 0), 0u) << found.keptAs;
    EXPECT_EQ(bytesOf(victim.string()), "outside the data directory");

    // A memo file linked to a file outside is refused, one linked within the directory is not.
    fs::rename("CUST.dbt", victim);
    fs::create_symlink(victim, "CUST.dbt");
    EXPECT_EQ(ctx.open("CUST"), nullptr);
    EXPECT_NE(ctx.errorText().find("outside the data directory"), std::string::npos)
        << ctx.errorText();
    ctx.errorCode();
    fs::remove("CUST.dbt");
    fs::rename(victim, "memo.dbt");
    fs::create_symlink("memo.dbt", "CUST.dbt");
    EXPECT_NE(ctx.open("CUST"), nullptr) << ctx.errorText();
}

TEST_F(DamageTest, TwoFilesWhoseNamesDifferOnlyInCaseAreRefusedNamingBoth) {
    fs::copy_file("CUST.dbt", "Cust.DBT");
    EXPECT_EQ(ctx.open("cust"), nullptr);
    EXPECT_NE(ctx.errorText().find("/CUST.dbt and Cust.DBT differ only in letter case"),
              std::string::npos)
        << ctx.errorText();
    EXPECT_EQ(ctx.errorCode(), kErrOpen);
    fs::remove("Cust.DBT");
    EXPECT_NE(ctx.open("cust"), nullptr);
}

// The fit record lets an open skip the survey of the tags only while every file stands as the
// last clean close left it: an index damaged or put back after that close is still found.
TEST_F(DamageTest, AnIndexDamagedAfterACleanCloseIsStillFound) {
    closeCleanly();
    misnameFirstEntry();
    EXPECT_NE(misfit().find("CCNO.ntx: an entry names record 999 of a table of 300"),
              std::string::npos);

    ctx.setSafety(false);
    Table* t = ctx.open("CUST");
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(ctx.createIndex(
                  t, "CUST",
                  {{"CNAME", "Upper(Last + First)"}, {"CCNO", "Str(CuNo, 6)"}, {"CZIP", "Zip"}}),
              0);
    ctx.closeAll();
    // An index of the same size from before a record was added, copied back over the new one.
    fs::copy_file("CCNO.ntx", "stale.ntx");
    t = ctx.open("CUST");
    ASSERT_NE(t, nullptr);
    addCustomer(t, 301, "Late", "F");
    ctx.closeAll();
    closeCleanly();
    ASSERT_EQ(fs::file_size("stale.ntx"), fs::file_size("CCNO.ntx"));
    fs::copy_file("stale.ntx", "CCNO.ntx", fs::copy_options::overwrite_existing);
    EXPECT_NE(misfit().find("CCNO.ntx: 300 entries for 301 records"), std::string::npos);
}

TEST_F(DamageTest, AFitRecordThatIsGarbledForgedOrAnothersIsNeverTaken) {
    closeCleanly();
    const std::vector<FitEntry> before = recorded;
    misnameFirstEntry();
    std::vector<FitEntry> otherFiles = before;
    for (FitEntry& e : otherFiles) ++e.stat.inode;
    std::string flipped = fitRecordText(before);
    flipped[flipped.find(' ') + 1] ^= 1;
    const std::vector<std::pair<std::string, std::string>> records = {
        {"garbage", std::string(300, '\x7f')},
        {"empty", ""},
        {"a digit changed after its crc", flipped},
        {"cut short", fitRecordText(before).substr(0, 40)},
        {"the files as they stood before the damage", fitRecordText(before)},
        {"another directory's files", fitRecordText(otherFiles)},
    };
    for (const auto& [what, text] : records) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::ofstream("CUST.fit", std::ios::binary | std::ios::trunc) << text;
        EXPECT_NE(misfit().find("names record 999"), std::string::npos) << what;
    }
}

// A close while another process has the table open leaves no fit record: the other may change
// the files after this close looked at them. Once it has closed too, the next clean close does.
TEST_F(DamageTest, NoFitRecordWhileAnotherProcessHasTheTableOpen) {
    int ready[2];
    int done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Context other;
        char byte = other.open("CUST") ? 'y' : 'n';
        const bool told = write(ready[1], &byte, 1) == 1;
        const bool waited = read(done[0], &byte, 1) == 1;
        other.closeAll();
        _exit(told && waited ? 0 : 1);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    ASSERT_EQ(byte, 'y');
    fs::remove("CUST.fit");
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(misfit(), "");
    EXPECT_FALSE(fs::exists("CUST.fit"));
    EXPECT_EQ(write(done[1], "x", 1), 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (int fd : {ready[0], ready[1], done[0], done[1]}) close(fd);
    closeCleanly();
}
