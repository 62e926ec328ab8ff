// Changes as one whole: a failure or a crash at any step of a commit, and a journal torn at any
// byte, leave the files as they were before the change or, once committed, as after it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "tests/support/temp_data_dir.h"
#include "tests/xbase/fault_env.h"
#include "tests/xbase/sample_tables.h"

using namespace xbase;
namespace fs = std::filesystem;

namespace {

using Files = std::map<std::string, std::string>;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Every file of the directory but the lock file, by name.
Files snapshot() {
    Files files;
    for (const auto& e : fs::directory_iterator("."))
        if (e.path().filename() != "changes.lck")
            files[e.path().filename().string()] = readFile(e.path());
    return files;
}

// The names of the files that differ between two snapshots, for short failure messages.
std::string differing(const Files& a, const Files& b) {
    std::string names;
    for (const auto& [name, bytes] : a)
        if (!b.count(name) || b.at(name) != bytes) names += name + " ";
    for (const auto& [name, bytes] : b)
        if (!a.count(name)) names += name + " ";
    return names;
}

void putBack(const Files& files) {
    for (const auto& e : fs::directory_iterator("."))
        if (e.path().filename() != "changes.lck" && !files.count(e.path().filename().string()))
            fs::remove(e.path());
    for (const auto& [name, bytes] : files)
        if (readFile(name) != bytes) writeFile(name, bytes);
}

std::string cunoKey(int cuno) {
    char key[8];
    std::snprintf(key, sizeof key, "%6d", cuno);
    return key;
}

void makeSample(int customers) {
    Context ctx;
    Table* t = makeCustomers(ctx);
    ASSERT_NE(t, nullptr);
    for (int i = 1; i <= customers; ++i)
        addCustomer(t, i, "Last" + std::to_string(i % 17), "First", std::to_string(10000 + i % 7),
                    "memo " + std::to_string(i));
}

// Renames and re-notes three customers (keys move in two tags, memos grow), deletes one and
// appends three with memos.
void change(Table* t) {
    t->select(t->tag("ccno"));
    for (int cuno : {2, 7, 11}) {
        ASSERT_EQ(t->seek(cunoKey(cuno)), kFound);
        t->field("last")->assign("Renamed" + std::to_string(cuno));
        t->field("zip")->assign("77777");
        t->field("comments")->assignMemo("a longer memo after the change " + std::to_string(cuno));
    }
    t->go(5);
    t->deleteRecord();
    for (int i = 0; i < 3; ++i) addCustomer(t, 900 + i, "Appended", "New", "00000", "fresh memo");
}

std::vector<std::string> problemsOf(Table* t) {
    std::vector<std::string> problems;
    t->check(&problems);
    return problems;
}

// The state after the change, made once without faults.
Files committedState(const Files& before) {
    Context ctx;
    Table* t = ctx.open("CUST");
    EXPECT_EQ(ctx.begin(), kOk);
    change(t);
    EXPECT_EQ(ctx.commit(), kOk);
    ctx.closeAll();
    Files after = snapshot();
    putBack(before);
    return after;
}

// The number of mutating file operations a commit of change() makes.
int commitOperations() {
    FaultEnv env;
    Context ctx(".", &env);
    Table* t = ctx.open("CUST");
    EXPECT_EQ(ctx.begin(), kOk);
    change(t);
    const int start = env.operations();
    EXPECT_EQ(ctx.commit(), kOk);
    return env.operations() - start;
}

// Commits change() in a child process that a crash ends at mutating file operation `step`;
// true when the child ended there.
bool commitCrashingAt(int step) {
    const pid_t pid = fork();
    if (pid == 0) {
        FaultEnv env;
        Context ctx(".", &env);
        Table* t = ctx.open("CUST");
        if (!t || ctx.begin() != kOk) _exit(1);
        change(t);
        env.failAfter(step, FaultEnv::Fault::Exit);
        ctx.commit();
        _exit(2);  // not reached: the step ends the process
    }
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

class JournalTest : public ::testing::Test {
protected:
    TempDataDir dir;
    Files before;
    Files after;

    void SetUp() override {
        makeSample(120);
        before = snapshot();
        after = committedState(before);
        ASSERT_NE(before, after);
    }
};

TEST_F(JournalTest, ChangeIsHeldBackUntilCommitAndRollbackDropsIt) {
    Context ctx;
    Table* t = ctx.open("CUST");
    ASSERT_EQ(ctx.begin(), kOk);
    EXPECT_TRUE(ctx.inTransaction());
    change(t);
    EXPECT_EQ(t->recCount(), 123u);
    EXPECT_EQ(differing(snapshot(), before), "");
    EXPECT_EQ(t->pack(), kErrArgument);
    EXPECT_EQ(ctx.createIndex(t, "CUST", {{"CZIP", "Zip"}}), kErrArgument);
    ctx.errorCode();

    ASSERT_EQ(ctx.rollback(), kOk);
    EXPECT_FALSE(ctx.inTransaction());
    EXPECT_TRUE(t->eof());
    EXPECT_EQ(t->recCount(), 120u);
    EXPECT_TRUE(problemsOf(t).empty());
    t->select(t->tag("ccno"));
    ASSERT_EQ(t->seek(cunoKey(7)), kFound);
    EXPECT_EQ(text(t, "last"), "Last7");
    EXPECT_EQ(t->field("comments")->memo(), "memo 7");
    ctx.closeAll();
    EXPECT_EQ(differing(snapshot(), before), "");
}

TEST_F(JournalTest, TableClosedAndOpenedAgainInAChangeKeepsItsChanges) {
    Context ctx;
    Table* t = ctx.open("CUST");
    ASSERT_EQ(ctx.begin(), kOk);
    change(t);
    ASSERT_EQ(t->close(), kOk);
    EXPECT_EQ(differing(snapshot(), before), "");
    t = ctx.open("CUST");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->recCount(), 123u);
    EXPECT_TRUE(problemsOf(t).empty());
    ASSERT_EQ(ctx.commit(), kOk);
    ctx.closeAll();
    EXPECT_EQ(differing(snapshot(), after), "");
}

TEST_F(JournalTest, CommitSyncsEachChangedFileOnce) {
    FaultEnv env;
    Context ctx(".", &env);
    Table* t = ctx.open("CUST");
    ASSERT_EQ(ctx.begin(), kOk);
    change(t);
    ASSERT_EQ(ctx.commit(), kOk);
    // The journal twice and the directory twice; then CUST.dbf, .dbt and the three tags.
    EXPECT_EQ(env.syncs(), 4 + 5);
    ctx.closeAll();
    EXPECT_EQ(differing(snapshot(), after), "");
    EXPECT_FALSE(fs::exists("changes.jnl"));
}

TEST_F(JournalTest, FailureAtEveryStepOfACommitLeavesTheFilesAsBefore) {
    const int steps = commitOperations();
    putBack(before);
    ASSERT_GT(steps, 10);
    // The last step, the directory sync after the journal's removal, follows the commit point.
    for (FaultEnv::Fault fault : {FaultEnv::Fault::Once, FaultEnv::Fault::Sticky}) {
        for (int k = 1; k < steps; ++k) {
            SCOPED_TRACE("fault at step " + std::to_string(k));
            putBack(before);
            FaultEnv env;
            {
                Context ctx(".", &env);
                Table* t = ctx.open("CUST");
                ASSERT_EQ(ctx.begin(), kOk);
                change(t);
                env.failAfter(k, fault);
                EXPECT_EQ(ctx.commit(), kErrWrite);
                EXPECT_FALSE(ctx.inTransaction());
                if (fault == FaultEnv::Fault::Once) {
                    // The handle reads the files as they were and takes the change again.
                    EXPECT_EQ(differing(snapshot(), before), "");
                    EXPECT_EQ(t->recCount(), 120u);
                    EXPECT_TRUE(problemsOf(t).empty());
                    ASSERT_EQ(ctx.begin(), kOk);
                    change(t);
                    ASSERT_EQ(ctx.commit(), kOk);
                }
                env.failAfter(0);
            }
            if (fault == FaultEnv::Fault::Once) {
                EXPECT_EQ(differing(snapshot(), after), "");
                continue;
            }
            // With the disk refusing everything the journal may be left: opening undoes it.
            Context ctx;
            bool rolledBack = false;
            ASSERT_EQ(ctx.recoverJournal(&rolledBack), kOk);
            EXPECT_EQ(differing(snapshot(), before), "");
        }
    }
}

TEST_F(JournalTest, CrashAtEveryStepOfACommitIsUndoneOnOpeningUnlessCommitted) {
    const int steps = commitOperations();
    putBack(before);
    int rollbacks = 0;
    for (int k = 1; k <= steps; ++k) {
        SCOPED_TRACE("crash at step " + std::to_string(k));
        putBack(before);
        ASSERT_TRUE(commitCrashingAt(k));
        Context ctx;
        bool rolledBack = false;
        ASSERT_EQ(ctx.recoverJournal(&rolledBack), kOk) << ctx.errorText();
        rollbacks += rolledBack;
        // The last step, the directory sync after the journal's removal, comes after the commit.
        EXPECT_EQ(differing(snapshot(), k < steps ? before : after), "");
        Table* t = ctx.open("CUST");
        ASSERT_NE(t, nullptr);
        EXPECT_TRUE(problemsOf(t).empty());
    }
    EXPECT_GT(rollbacks, 0);
}

TEST_F(JournalTest, JournalTornAtEveryByteIsIgnoredOrRolledBack) {
    // A crash at the journal's removal leaves the whole journal beside the changed files.
    const int steps = commitOperations();
    putBack(before);
    ASSERT_TRUE(commitCrashingAt(steps - 1));
    Files crashed = snapshot();
    const std::string journal = crashed.at("changes.jnl");
    crashed.erase("changes.jnl");
    ASSERT_EQ(differing(crashed, after), "");
    ASSERT_GT(journal.size(), 512u);

    // The body is written first, from byte 512; the header last.
    const std::string body = journal.substr(512);
    const std::string header = journal.substr(0, 512);
    for (size_t written = 0; written <= journal.size(); ++written) {
        SCOPED_TRACE("torn after " + std::to_string(written) + " bytes");
        std::string torn;
        if (written > 0 && written <= body.size())
            torn = std::string(512, '\0') + body.substr(0, written);
        else if (written > body.size())
            torn = header.substr(0, written - body.size()) +
                   std::string(512 - (written - body.size()), '\0') + body;
        const bool headerWhole = written >= body.size() + 24;
        // The data files are written only once the header is.
        putBack(headerWhole ? crashed : before);
        writeFile("changes.jnl", torn);
        FaultEnv env;
        env.skipSyncs(true);
        Context ctx(".", &env);
        bool rolledBack = false;
        ASSERT_EQ(ctx.recoverJournal(&rolledBack), kOk) << ctx.errorText();
        EXPECT_EQ(rolledBack, headerWhole);
        ASSERT_EQ(differing(snapshot(), before), "");
    }
}

TEST_F(JournalTest, DamagedBodyUnderAWholeHeaderIsReportedAndLeftAlone) {
    const int steps = commitOperations();
    putBack(before);
    ASSERT_TRUE(commitCrashingAt(steps - 1));
    std::string journal = readFile("changes.jnl");
    ASSERT_GT(journal.size(), 600u);
    journal[600] ^= 0x55;
    writeFile("changes.jnl", journal);
    const Files damaged = snapshot();
    Context ctx;
    EXPECT_TRUE(ctx.journalLeft());
    bool rolledBack = true;
    EXPECT_EQ(ctx.recoverJournal(&rolledBack), kErrData);
    EXPECT_FALSE(rolledBack);
    EXPECT_EQ(differing(snapshot(), damaged), "");
}

TEST_F(JournalTest, ChangeInOneProcessKeepsReadersAndWritersOfAnotherOut) {
    // 0: got the lock, 3: kept out, 4: another failure.
    auto otherProcess = [](bool write) {
        const pid_t pid = fork();
        if (pid == 0) {
            Context other;
            other.setLockWait(100);
            const int rc = write ? other.begin() : other.lockShared();
            _exit(rc == kOk ? 0 : rc == kErrLocked ? 3 : 4);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    Context ctx;
    Table* t = ctx.open("CUST");
    ASSERT_EQ(ctx.begin(), kOk);
    change(t);
    EXPECT_EQ(otherProcess(false), 3);
    EXPECT_EQ(otherProcess(true), 3);
    ASSERT_EQ(ctx.commit(), kOk);
    EXPECT_EQ(otherProcess(false), 0);

    // A reader holding the lock keeps a change out until it lets go.
    ASSERT_EQ(ctx.lockShared(), kOk);
    EXPECT_EQ(otherProcess(false), 0);
    EXPECT_EQ(otherProcess(true), 3);
}
