// Changes as one whole: a failure or a crash at any step of a commit, and a journal torn at any
// byte, leave the files as they were before the change or, once committed, as after it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "db/xbase/checksum.h"
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

// The engine's own files that are not data: the lock, the directory's id, the fit records.
bool engineFile(const fs::path& path) {
    return path.filename() == "changes.lck" || path.filename() == "changes.id" ||
           path.extension() == ".fit";
}

// Every file of the directory but the engine's own, by name.
Files snapshot() {
    Files files;
    for (const auto& e : fs::directory_iterator("."))
        if (!engineFile(e.path())) files[e.path().filename().string()] = readFile(e.path());
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
        if (!engineFile(e.path()) && !files.count(e.path().filename().string()))
            fs::remove_all(e.path());
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
            Context::Recovery found;
            ASSERT_EQ(ctx.recoverJournal(&found), kOk);
            EXPECT_EQ(found.keptAs, "");
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
        Context::Recovery found;
        ASSERT_EQ(ctx.recoverJournal(&found), kOk) << ctx.errorText();
        EXPECT_EQ(found.keptAs, "") << found.why;
        rollbacks += found.rolledBack;
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
        const bool headerWhole = written >= body.size() + 44;
        const bool headerBegun = written > body.size();
        // The data files are written only once the header is.
        putBack(headerWhole ? crashed : before);
        writeFile("changes.jnl", torn);
        FaultEnv env;
        env.skipSyncs(true);
        Context ctx(".", &env);
        Context::Recovery found;
        ASSERT_EQ(ctx.recoverJournal(&found), kOk) << ctx.errorText();
        EXPECT_EQ(found.rolledBack, headerWhole);
        // A header cut short is no journal's to apply, and is kept for whoever looks into it.
        if (headerBegun && !headerWhole) {
            EXPECT_EQ(found.keptAs.rfind("changes.jnl.", 0), 0u) << found.keptAs;
            EXPECT_EQ(readFile(found.keptAs), torn);
            fs::remove(found.keptAs);
        } else {
            EXPECT_EQ(found.keptAs, "");
        }
        ASSERT_EQ(differing(snapshot(), before), "");
    }
}

// Recovers the directory and expects the journal kept aside as `prefix`-..., byte for byte,
// with every other file as it was.
void expectKeptAside(const std::string& prefix, const std::string& what) {
    SCOPED_TRACE(what);
    const bool directory = fs::is_directory("changes.jnl");
    const std::string journal = directory ? "" : readFile("changes.jnl");
    Files untouched = snapshot();
    untouched.erase("changes.jnl");
    Context ctx;
    Context::Recovery found;
    ASSERT_EQ(ctx.recoverJournal(&found), kOk) << ctx.errorText();
    EXPECT_FALSE(found.rolledBack);
    EXPECT_FALSE(found.why.empty());
    ASSERT_EQ(found.keptAs.rfind(prefix, 0), 0u) << found.keptAs << ": " << found.why;
    EXPECT_FALSE(fs::exists("changes.jnl"));
    EXPECT_EQ(fs::is_directory(found.keptAs), directory);
    if (!directory) {
        EXPECT_EQ(readFile(found.keptAs), journal);
    }
    fs::remove_all(found.keptAs);
    EXPECT_EQ(differing(snapshot(), untouched), "");
    // What is left is an ordinary directory: the next change commits.
    Table* t = ctx.open("CUST");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(ctx.begin(), kOk);
    EXPECT_EQ(ctx.rollback(), kOk);
}

// Seals a journal whose entries a test edited: each entry's CRC, the body's and the header's.
// `edit` gets each entry (kind byte on, without its CRC) and may change it.
std::string resealed(const std::string& journal, const std::function<void(std::string*)>& edit) {
    const auto get16 = [](const std::string& b, size_t at) {
        return static_cast<size_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1])
                                                                     << 8);
    };
    const auto get32 = [&](const std::string& b, size_t at) {
        return get16(b, at) | get16(b, at + 2) << 16;
    };
    const auto put32 = [](std::string* b, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) (*b)[at + i] = static_cast<char>(v >> (8 * i));
    };
    std::string body;
    const std::string old = journal.substr(512);
    for (size_t at = 0; at < old.size();) {
        const size_t len = old[at] == 'F' ? 87 + get16(old, at + 85) : 17 + get32(old, at + 13);
        std::string entry = old.substr(at, len);
        edit(&entry);
        entry.resize(entry.size() + 4);
        put32(&entry, entry.size() - 4, crc32(entry.data(), entry.size() - 4));
        body += entry;
        at += len + 4;
    }
    std::string header = journal.substr(0, 512);
    for (int i = 0; i < 8; ++i) header[8 + i] = static_cast<char>(uint64_t{body.size()} >> (8 * i));
    put32(&header, 36, crc32(body.data(), body.size()));
    put32(&header, 40, crc32(header.data(), 40));
    return header + body;
}

TEST_F(JournalTest, JournalThatIsDamagedIsKeptAsideAndNothingIsApplied) {
    const int steps = commitOperations();
    putBack(before);
    ASSERT_TRUE(commitCrashingAt(steps - 1));
    const Files crashed = snapshot();
    const std::string journal = readFile("changes.jnl");
    ASSERT_GT(journal.size(), 600u);
    std::string flipped = journal;
    flipped[600] ^= 0x55;
    std::string badHeader = journal;
    badHeader[30] ^= 0x55;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a byte of the body changed", flipped},
        {"the body cut short", journal.substr(0, journal.size() - 100)},
        {"a header that fails its check", badHeader},
    };
    for (const auto& [what, bytes] : cases) {
        putBack(crashed);
        writeFile("changes.jnl", bytes);
        expectKeptAside("changes.jnl.damaged-", what);
    }
    putBack(crashed);
    fs::remove("changes.jnl");
    fs::create_directory("changes.jnl");
    writeFile("changes.jnl/inside", "kept");
    expectKeptAside("changes.jnl.foreign-", "a directory named changes.jnl");
}

TEST_F(JournalTest, JournalThatIsNotThisDirectorysOwnIsKeptAsideAndNothingIsApplied) {
    // Backup copies of the tables, taken when they held two more customers.
    {
        Context ctx;
        Table* t = ctx.open("CUST");
        ASSERT_EQ(ctx.begin(), kOk);
        for (int i = 0; i < 2; ++i) addCustomer(t, 500 + i, "Backup", "Copy", "11111", "kept");
        ASSERT_EQ(ctx.commit(), kOk);
    }
    const Files backup = snapshot();
    putBack(before);
    const int steps = commitOperations();
    putBack(before);
    ASSERT_TRUE(commitCrashingAt(steps - 1));
    const Files crashed = snapshot();
    const std::string journal = crashed.at("changes.jnl");

    // The user copies the backup tables in by hand beside the journal of the crash.
    putBack(backup);
    writeFile("changes.jnl", journal);
    expectKeptAside("changes.jnl.foreign-", "tables copied in over a crash");

    // The journal of another data directory, whose id differs.
    putBack(crashed);
    const std::string id = readFile("changes.id");
    writeFile("changes.id", std::string(16, 'o'));
    expectKeptAside("changes.jnl.foreign-", "another directory's journal");
    writeFile("changes.id", id);

    // Journals edited by hand, sealed again so that every check sum holds.
    const fs::path victim =
        fs::current_path().parent_path() / (fs::current_path().filename().string() + ".victim");
    writeFile(victim, "outside the data directory");
    const auto rename = [](const std::string& name) {
        return [name](std::string* e) {
            if ((*e)[0] != 'F' || e->substr(87) != "CUST.dbf") return;
            e->resize(87);
            (*e)[85] = static_cast<char>(name.size());
            *e += name;
        };
    };
    const std::vector<std::pair<std::string, std::function<void(std::string*)>>> edits = {
        {"a name outside the directory", rename("../" + victim.filename().string())},
        {"a file that is no table", rename("notes.txt")},
        {"a size past the file's end",
         [](std::string* e) {
             if ((*e)[0] != 'F' || e->substr(87) != "CUST.dbf") return;
             uint64_t size = 0;
             std::memcpy(&size, e->data() + 5, 8);  // little-endian, as the machine
             size += 4096;
             std::memcpy(e->data() + 5, &size, 8);
         }},
        {"a page past the size",
         [](std::string* e) {
             if ((*e)[0] == 'P') (*e)[8] = 0x40;
         }},
    };
    writeFile("notes.txt", "not a table");
    for (const auto& [what, edit] : edits) {
        putBack(crashed);
        writeFile("notes.txt", "not a table");
        writeFile("changes.jnl", resealed(journal, edit));
        expectKeptAside("changes.jnl.foreign-", what);
        EXPECT_EQ(readFile(victim), "outside the data directory") << what;
    }
    fs::remove(victim);

    // Sealing again without an edit leaves the crash's own journal, which is rolled back.
    putBack(crashed);
    writeFile("changes.jnl", resealed(journal, [](std::string*) {}));
    Context ctx;
    Context::Recovery found;
    ASSERT_EQ(ctx.recoverJournal(&found), kOk);
    EXPECT_TRUE(found.rolledBack) << found.why;
    EXPECT_EQ(differing(snapshot(), before), "");
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
