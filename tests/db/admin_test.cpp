// corvane-admin as the owner runs it: exit codes, the lines it prints, and each command's effect
// on a data directory.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>

#include <memory>

#include "db/data_directory.h"
#include "db/xbase/rewrite_marker.h"
#include "db/xbase/xbase.h"
#include "tests/support/temp_data_dir.h"
#include "tests/xbase/fault_env.h"

namespace fs = std::filesystem;

namespace {

struct AdminRun {
    int status = -1;
    std::string output;  // standard output and error together
};

AdminRun Shell(const std::string& command) {
    AdminRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 4096> buffer;
    while (size_t n = fread(buffer.data(), 1, buffer.size(), pipe))
        run.output.append(buffer.data(), n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

AdminRun Admin(const std::string& args) {
    return Shell(std::string("'") + CORVANE_ADMIN + "' " + args + " 2>&1");
}

// Runs corvane-admin with args in a private mount namespace, in the directory where `mount` (a
// shell command run in the current directory, "$0") leaves it; status 99 when that cannot be
// set up.
AdminRun AdminAfterMount(const std::string& mount, const std::string& args) {
    const std::string script =
        "cd \"$0\" && { " + mount + "; } >/dev/null 2>&1 || exit 99; \"$1\" " + args;
    return Shell("unshare -Urm sh -c '" + script + "' '" + fs::current_path().string() + "' '" +
                 CORVANE_ADMIN + "' 2>&1");
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string Bytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(Admin, BadArgumentsSayWhatIsWrongThenTheUsageAndExitTwo) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    const std::pair<const char*, const char*> cases[] = {
        {"", "name a command"},
        {"frobnicate", "unknown command \"frobnicate\""},
        {"check extra", "check takes no arguments"},
        {"backup", "backup needs one directory"},
        {"-C", "-C needs a directory"},
        {"generate --customers 10", "generate needs --customers and --invoices"},
        {"generate --customers 0 --invoices 5", "--customers: \"0\" is not a whole number"},
        {"generate --customers 10 --invoices five", "--invoices: \"five\" is not a whole number"},
        {"generate --customers 10 --invoices 5 --colour red",
         "--colour is not an option of generate"},
    };
    for (const auto& [args, why] : cases) {
        const AdminRun run = Admin(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_EQ(run.output.rfind(std::string("corvane-admin: ") + why, 0), 0u)
            << args << ": " << run.output;
        EXPECT_TRUE(Contains(run.output, "\nusage: corvane-admin")) << args;
    }
    const AdminRun run = Admin("-C /nonexistent/corvane check");
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Contains(run.output, "cannot work in /nonexistent/corvane")) << run.output;
}

TEST(Admin, HelpPrintsTheUsageOnTheStandardOutputAndExitsZero) {
    for (const char* args : {"--help", "report --help", "-C /nonexistent labels -h"}) {
        const AdminRun run = Shell(std::string("'") + CORVANE_ADMIN + "' " + args + " 2>/dev/null");
        EXPECT_EQ(run.status, 0) << args;
        EXPECT_EQ(run.output.rfind("usage: corvane-admin", 0), 0u) << args << ": " << run.output;
        EXPECT_TRUE(Contains(run.output, "report NAME")) << args;
        EXPECT_TRUE(Contains(run.output, "labels --stock NAME")) << args;
    }
}

TEST(Admin, CheckReindexAndCheckAgain) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    AdminRun run = Admin("check");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.output, "CUST5: CCNO.ntx is missing")) << run.output;
    EXPECT_TRUE(Contains(run.output, "INV5: InvB.ntx is missing")) << run.output;
    EXPECT_TRUE(Contains(run.output, "25 problems found.")) << run.output;

    run = Admin("reindex");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "Rebuilding Indexes: 100%")) << run.output;
    EXPECT_TRUE(fs::exists("CCNO.ntx"));

    run = Admin("check");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output, "All tables, memo files and indexes are whole.\n");
}

TEST(Admin, WorksOnTheDirectoryGivenWithDashC) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    fs::current_path(dir.path().parent_path());
    const std::string at = "-C '" + dir.path().string() + "' ";
    EXPECT_EQ(Admin(at + "reindex").status, 0);
    fs::remove(dir.file("ITM5.dbf"));
    const AdminRun run = Admin(at + "check");
    EXPECT_EQ(run.status, 1);
    // Repair cannot bring a missing table back: the check names a backup instead.
    EXPECT_EQ(run.output,
              "ITM5.dbf is missing\n1 problem found.\nRepair cannot mend a missing file, a table "
              "of another layout or damage of that kind: restore the data files from a backup "
              "(corvane-admin restore DIR).\n");
    fs::current_path(dir.path());
}

TEST(Admin, GeneratePackAndReindexLeaveAWholeDirectory) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    AdminRun run = Admin("generate --customers 50 --invoices 400 --seed 9");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "50 customers")) << run.output;
    EXPECT_TRUE(Contains(run.output, "400 invoices")) << run.output;

    run = Admin("pack");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "Packing Data Files: 100%")) << run.output;
    EXPECT_EQ(Admin("check").status, 0);

    run = Admin("generate --customers 50 --invoices 400");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.output, "already holds records")) << run.output;
}

TEST(Admin, PackNamesATableItCouldNotPackAndExitsOne) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    ASSERT_EQ(Admin("reindex").status, 0);
    fs::remove("PMT.dbf");
    const AdminRun run = Admin("pack");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.output, "PMT: cannot open ")) << run.output;
    EXPECT_TRUE(Contains(run.output, "(could not be packed and was left as it was)")) << run.output;
}

TEST(Admin, AReindexThatCannotOpenATableSaysSoAndExitsOne) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    fs::remove("GROUPS.dbf");
    const AdminRun run = Admin("reindex");
    EXPECT_EQ(run.status, 1);
    // On a line of its own after the progress; the command ends, no program is said to.
    EXPECT_TRUE(Contains(run.output, "%\ncorvane-admin: cannot open ./GROUPS.dbf: no such file\n"))
        << run.output;
    EXPECT_FALSE(Contains(run.output, "terminate")) << run.output;
}

TEST(Admin, CommandsThatChangeFilesKeepOffADirectoryCorvaneIsWorkingOn) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    ASSERT_EQ(Admin("reindex").status, 0);
    const auto before = fs::last_write_time("CName.ntx");
    {
        LockRefusal refusal;
        const std::unique_ptr<DataDirectoryLock> program = LockDataDirectory("Corvane", &refusal);
        ASSERT_NE(program, nullptr);
        for (const char* command : {"reindex", "pack", "generate --customers 5 --invoices 5"}) {
            const AdminRun run = Admin(command);
            EXPECT_EQ(run.status, 1) << command;
            EXPECT_TRUE(Contains(run.output,
                                 "corvane-admin: The data files in this directory are in use by "
                                 "Corvane, process " +
                                     std::to_string(::getpid()) + ".\n"))
                << command << ": " << run.output;
        }
        // Reading is fine: the check, and a report while its index files are there.
        EXPECT_EQ(Admin("check").status, 0);
        EXPECT_EQ(Admin("report cost-of-goods --text cogs.txt").status, 0);
        EXPECT_TRUE(fs::exists("cogs.txt"));
        // A report that would have to re-create an index file waits for the program to close.
        fs::rename("CZip.ntx", "CZip.away");
        const AdminRun run = Admin("report product-listing --text out.txt");
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(Contains(run.output, "in use by Corvane")) << run.output;
        EXPECT_FALSE(fs::exists("CZip.ntx"));
        fs::rename("CZip.away", "CZip.ntx");
    }
    EXPECT_EQ(fs::last_write_time("CName.ntx"), before);
    EXPECT_FALSE(fs::exists("out.txt"));
    EXPECT_EQ(Admin("pack").status, 0);  // the lock went with the program
}

}  // namespace

TEST(Admin, CheckReportsAnUnfinishedChangeAndACommandThatWritesUndoesIt) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    ASSERT_EQ(Admin("reindex").status, 0);
    const std::string before = Bytes("CUST5.dbf");
    // A process ends in the middle of writing a change to CUST5, its journal written.
    ASSERT_TRUE(LeaveUnfinishedAppend(".", "CUST5", "LAST", "Half written"));
    ASSERT_TRUE(fs::exists("changes.jnl"));
    const std::string crashed = Bytes("CUST5.dbf");

    AdminRun run = Admin("check");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.output, "A change was left unfinished")) << run.output;
    EXPECT_TRUE(fs::exists("changes.jnl"));
    EXPECT_EQ(Bytes("CUST5.dbf"), crashed);

    run = Admin("reindex");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "a change left unfinished in the data files has been undone"))
        << run.output;
    EXPECT_FALSE(fs::exists("changes.jnl"));
    EXPECT_EQ(Bytes("CUST5.dbf"), before);
    run = Admin("check");
    EXPECT_EQ(run.status, 0) << run.output;
}

TEST(Admin, AJournalThatIsNoJournalIsKeptAsideByTheNextCommandThatWritesNeverADeadEnd) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    ASSERT_EQ(Admin("generate --customers 20 --invoices 10 --seed 6").status, 0);
    const std::string customers = Bytes("CUST5.dbf");
    fs::create_directory("changes.jnl");

    AdminRun run = Admin("check");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.output,
                         "changes.jnl cannot be these data files' own (it is a "
                         "directory, not a journal)"))
        << run.output;
    // The command tells what it found, which a script sees as status 1; the next one is quiet.
    run = Admin("repair");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_TRUE(Contains(run.output, "It was not applied")) << run.output;
    EXPECT_TRUE(Contains(run.output, "kept as changes.jnl.foreign-")) << run.output;
    EXPECT_TRUE(Contains(run.output, "The data files have been checked and are in order"))
        << run.output;
    EXPECT_FALSE(fs::exists("changes.jnl"));
    EXPECT_TRUE(Bytes("CUST5.dbf") == customers);
    EXPECT_EQ(Admin("repair").status, 0);
    run = Admin("check");
    EXPECT_EQ(run.status, 0) << run.output;
}

TEST(Admin, ALockFileThatIsALinkIsRefusedAndTheFileItLeadsToStaysWhole) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    ASSERT_EQ(Admin("generate --customers 20 --invoices 10 --seed 7").status, 0);
    const std::string customers = Bytes("CUST5.dbf");
    fs::create_symlink("CUST5.dbf", "corvane.lck");
    const AdminRun run = Admin("reindex");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.output, "corvane.lck is a link to another file")) << run.output;
    EXPECT_TRUE(Bytes("CUST5.dbf") == customers);
    fs::remove("corvane.lck");
    EXPECT_EQ(Admin("reindex").status, 0);
}

TEST(Admin, BackupAndRestoreWithTheirChecksAndMessages) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    ASSERT_EQ(Admin("generate --customers 20 --invoices 60 --seed 4").status, 0);
    const fs::path backup = dir.path() / "backup";
    fs::create_directory(backup);

    AdminRun run = Admin("backup .");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(
        Contains(run.output, "corvane-admin: Backup must be to a different drive and/or directory"))
        << run.output;
    EXPECT_TRUE(fs::is_empty(backup));

    // DIR is taken from where the command was started, also with -C.
    fs::current_path(dir.path().parent_path());
    run = Admin("-C '" + dir.path().string() + "' backup '" + backup.string() + "'");
    fs::current_path(dir.path());
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(Bytes("backup/INV5.dbf"), Bytes("INV5.dbf"));

    const std::string invoices = Bytes("INV5.dbf");
    ASSERT_EQ(Admin("generate --customers 5 --invoices 5").status, 1);  // tables not empty
    fs::remove("Inv.ntx");
    fs::remove("backup/PMT.dbf");
    run = Admin("restore backup");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.output, "backup/PMT.dbf Function Aborted")) << run.output;
    EXPECT_TRUE(Contains(run.output, "Restore Failed . . Check that your disk is not full."))
        << run.output;

    ASSERT_EQ(Admin("backup backup").status, 0);
    run = Admin("restore backup");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "Rebuilding Indexes: 100%")) << run.output;
    EXPECT_EQ(Bytes("INV5.dbf"), invoices);
    EXPECT_EQ(Admin("check").status, 0);
    EXPECT_EQ(Admin("restore nowhere").status, 1);
}

TEST(Admin, BackupMakesItsFolderAndRestoreFromAFolderWithoutABackupSaysSo) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    ASSERT_EQ(Admin("generate --customers 5 --invoices 5 --seed 2").status, 0);
    AdminRun run = Admin("backup later/monday");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(Bytes("later/monday/CUST5.dbf"), Bytes("CUST5.dbf"));

    fs::create_directory("empty");
    const std::string invoices = Bytes("INV5.dbf");
    run = Admin("restore empty");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.output, "There is no backup in " + (dir.path() / "empty").string() +
                                         "."))
        << run.output;
    EXPECT_FALSE(Contains(run.output, "Unable to find")) << run.output;
    EXPECT_EQ(Bytes("INV5.dbf"), invoices);
}

namespace {

// The files a pack leaves beside CUST5 when it is stopped after its marker.
void LeaveInterruptedPack(const std::string& newTable) {
    std::ofstream("CUST5.dbf.new", std::ios::binary) << newTable;
    ASSERT_TRUE(xbase::writeMarker(xbase::Env::standard(),
                                   xbase::RewriteFiles("./CUST5.dbf", "./CUST5.dbt"), false)
                    .ok());
}

}  // namespace

TEST(Admin, CheckReportsAnInterruptedPackWithoutTouchingItAndACommandThatWritesSettlesIt) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    ASSERT_EQ(Admin("generate --customers 20 --invoices 10 --seed 3").status, 0);
    const std::string table = Bytes("CUST5.dbf");

    // New files that are not a table at all: the table is kept.
    LeaveInterruptedPack("this is not a table\n");
    AdminRun run = Admin("check");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.output, "CUST5: a pack was interrupted; its new files are not whole"))
        << run.output;
    EXPECT_TRUE(Contains(run.output, "they will be removed and the table kept")) << run.output;
    EXPECT_EQ(Bytes("CUST5.dbf"), table);
    EXPECT_EQ(Bytes("CUST5.dbf.new"), "this is not a table\n");
    EXPECT_TRUE(fs::exists("CUST5.dbf.commit"));

    run = Admin("reindex");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "its new files were not whole")) << run.output;
    EXPECT_EQ(Bytes("CUST5.dbf"), table);
    EXPECT_FALSE(fs::exists("CUST5.dbf.new"));
    EXPECT_FALSE(fs::exists("CUST5.dbf.commit"));
    EXPECT_EQ(Admin("check").status, 0);

    // A whole new table (the same one with its first record marked deleted) takes the place.
    std::string packed = table;
    const size_t headerLength = static_cast<uint8_t>(table[8]) | static_cast<uint8_t>(table[9])
                                                                     << 8;
    packed[headerLength] = '*';
    LeaveInterruptedPack(packed);
    run = Admin("check");
    EXPECT_TRUE(Contains(run.output, "its new files are whole and will take the table's place"))
        << run.output;
    EXPECT_EQ(Bytes("CUST5.dbf"), table);
    run = Admin("pack");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "have taken the table's place")) << run.output;
    EXPECT_FALSE(fs::exists("CUST5.dbf.commit"));
    run = Admin("check");
    EXPECT_EQ(run.status, 0) << run.output;
}

TEST(Admin, TwoTablesWhoseNamesDifferOnlyInCaseStopEveryCommandNamingBoth) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    ASSERT_EQ(Admin("generate --customers 20 --invoices 10 --seed 3").status, 0);
    fs::copy_file("Prod5.dbf", "PROD5.DBF");
    const std::string table = Bytes("Prod5.dbf");
    for (const char* command : {"check", "reindex", "pack"}) {
        const AdminRun run = Admin(command);
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_TRUE(Contains(run.output,
                             "corvane-admin: PROD5.DBF and Prod5.dbf differ only in letter case"))
            << command << ": " << run.output;
    }
    EXPECT_EQ(Bytes("Prod5.dbf"), table);
    EXPECT_EQ(Bytes("PROD5.DBF"), table);
}

// A read-only data directory and a full disk each get their own message, not "in use".
TEST(Admin, AReadOnlyDirectoryAndAFullDiskAreToldAsSuch) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    ASSERT_EQ(Admin("reindex").status, 0);
    AdminRun run = AdminAfterMount(
        "mount --bind \"$0\" \"$0\" && mount -o remount,bind,ro \"$0\" && cd \"$0\"", "reindex");
    if (run.status == 99) GTEST_SKIP() << "no private mount namespace here";
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output,
              "corvane-admin: The data directory cannot be written (Read-only file system): "
              "Corvane cannot work on the data files here.\n");

    run = AdminAfterMount(
        "mkdir full && mount -t tmpfs -o size=1m tmpfs full && cp ./*.* full/ && cd full && "
        "{ dd if=/dev/zero of=filler bs=4096 || true; }",
        "pack");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output,
              "corvane-admin: The disk holding the data files is full (No space left on device): "
              "free some space, then try again.\n");
}

// A pack that runs out of room on the customer table says why, leaves no partial file, and the
// tables after it are still packed.
TEST(Admin, APackThatRunsOutOfRoomSaysWhyAndLeavesNoPartialFiles) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    const AdminRun run = AdminAfterMount(
        "mkdir full && mount -t tmpfs -o size=8m tmpfs full && cp ./*.* full/ && cd full && "
        "\"$1\" generate --customers 3000 --invoices 20 --seed 4 && "
        "{ dd if=/dev/zero of=filler bs=4096 || true; } && truncate -s -98304 filler",
        "pack; echo \"status $?\"; ls");
    if (run.status == 99) GTEST_SKIP() << "no private mount namespace here";
    EXPECT_TRUE(Contains(run.output, "CUST5: ")) << run.output;
    EXPECT_TRUE(Contains(run.output,
                         "No space left on device (could not be packed and was left "
                         "as it was)"))
        << run.output;
    EXPECT_EQ(run.output.find("GROUPS: "), std::string::npos) << run.output;
    EXPECT_TRUE(Contains(run.output, "status 1\n")) << run.output;
    EXPECT_FALSE(Contains(run.output, ".new\n")) << run.output;  // the listing after the pack
    EXPECT_TRUE(Contains(run.output, "CUST5.dbf\n")) << run.output;
}

namespace {

struct TableShape {
    size_t headerLength = 0;
    size_t recordLength = 0;
    uint32_t count = 0;
    size_t commentsOffset = 0;  // of the memo field COMMENTS within a record
};

TableShape ShapeOf(const std::string& table) {
    const auto u8 = [&table](size_t at) { return static_cast<uint8_t>(table[at]); };
    TableShape shape;
    shape.count = u8(4) | u8(5) << 8 | u8(6) << 16 | static_cast<uint32_t>(u8(7)) << 24;
    shape.headerLength = u8(8) | u8(9) << 8;
    shape.recordLength = u8(10) | u8(11) << 8;
    size_t offset = 1;
    for (size_t d = 32; table[d] != 0x0D; d += 32) {
        if (table.compare(d, 9, "COMMENTS\0", 9) == 0) shape.commentsOffset = offset;
        offset += u8(d + 16);
    }
    return shape;
}

void SetCount(std::string* table, uint32_t count) {
    for (int i = 0; i < 4; ++i) (*table)[4 + i] = static_cast<char>(count >> (8 * i));
}

// The customer numbers of CUST5 in record order, as the engine reads them.
std::vector<int> CustomerNumbers() {
    xbase::Context ctx;
    ctx.setAutoOpen(false);
    xbase::Table* t = ctx.open("CUST5");
    std::vector<int> numbers;
    if (!t) return numbers;
    for (uint32_t r = 1; r <= t->recCount(); ++r) {
        t->go(r);
        numbers.push_back(t->field("cuno")->asInt());
    }
    return numbers;
}

// The dated folder a repair keeps its copies in; empty when there is none.
fs::path RepairFolder() {
    for (const auto& entry : fs::directory_iterator("."))
        if (entry.is_directory() && entry.path().filename().string().rfind("repair-", 0) == 0)
            return entry.path();
    return {};
}

}  // namespace

TEST(Admin, RepairMendsADamagedTableKeepingEveryWholeRecordAndACopyOfTheDamagedFile) {
    struct Case {
        const char* what;
        std::function<void(std::string*, const TableShape&)> damage;
        size_t keptRecords;      // of the first records, in order
        const char* toldAsLost;  // a part of the "Not kept" line, or nothing
    };
    const std::vector<Case> cases = {
        {"a torn last record",
         [](std::string* t, const TableShape& s) {
             t->resize(s.headerLength + 27 * s.recordLength + 40);
         },
         27, "record 28 was cut short (40 of "},
        {"a count one too many",
         [](std::string* t, const TableShape& s) { SetCount(t, s.count + 1); }, 30, nullptr},
        {"a count one too few",
         [](std::string* t, const TableShape& s) { SetCount(t, s.count - 1); }, 30, nullptr},
        {"a bad deletion flag",
         [](std::string* t, const TableShape& s) {
             (*t)[s.headerLength + 4 * s.recordLength] = 'x';
         },
         30, nullptr},
        {"a zero-filled tail",
         [](std::string* t, const TableShape& s) {
             std::fill(t->begin() + s.headerLength + 27 * s.recordLength,
                       t->begin() + s.headerLength + 30 * s.recordLength, '\0');
         },
         27, "3 damaged records at the end (from record 28"},
        {"a memo pointer past the end",
         [](std::string* t, const TableShape& s) {
             t->replace(s.headerLength + s.recordLength + s.commentsOffset, 10, "     99999");
         },
         30, "record 2: its COMMENTS memo named block 99999"},
    };
    for (const Case& c : cases) {
        TempDataDir dir(TempDataDir::SuppliedTables);
        ASSERT_EQ(Admin("generate --customers 30 --invoices 5 --seed 8").status, 0) << c.what;
        const std::vector<int> before = CustomerNumbers();
        ASSERT_EQ(before.size(), 30u);
        std::string table = Bytes("CUST5.dbf");
        const TableShape shape = ShapeOf(table);
        ASSERT_GT(shape.commentsOffset, 0u);
        c.damage(&table, shape);
        std::ofstream("CUST5.dbf", std::ios::binary | std::ios::trunc) << table;
        const AdminRun found = Admin("check");
        ASSERT_EQ(found.status, 1) << c.what;
        EXPECT_TRUE(Contains(found.output, "\ncorvane-admin repair mends the damaged tables"))
            << c.what << ": " << found.output;
        EXPECT_FALSE(Contains(found.output, "restore")) << c.what << ": " << found.output;

        const AdminRun run = Admin("repair");
        EXPECT_EQ(run.status, 0) << c.what << ": " << run.output;
        EXPECT_TRUE(Contains(run.output, "Copies of the damaged files are in repair-"))
            << c.what << ": " << run.output;
        if (c.toldAsLost)
            EXPECT_TRUE(Contains(run.output, std::string("Not kept: ")) &&
                        Contains(run.output, c.toldAsLost))
                << c.what << ": " << run.output;
        else
            EXPECT_FALSE(Contains(run.output, "Not kept")) << c.what << ": " << run.output;
        const fs::path folder = RepairFolder();
        ASSERT_FALSE(folder.empty()) << c.what;
        EXPECT_EQ(Bytes((folder / "CUST5.dbf").c_str()), table) << c.what;
        EXPECT_TRUE(fs::exists(folder / "CUST5.dbt")) << c.what;

        const AdminRun check = Admin("check");
        EXPECT_EQ(check.status, 0) << c.what << ": " << check.output;
        const std::vector<int> kept(before.begin(), before.begin() + c.keptRecords);
        EXPECT_EQ(CustomerNumbers(), kept) << c.what;
    }
}

// A table damaged in every record: the check lists its first ten records, counts the rest in one
// line and in the total, and names repair, which mends that damage.
TEST(Admin, TheCheckListsTheFirstTenDamagedRecordsAndCountsTheRest) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    ASSERT_EQ(Admin("generate --customers 30 --invoices 5 --seed 8").status, 0);
    std::string table = Bytes("CUST5.dbf");
    const TableShape shape = ShapeOf(table);
    ASSERT_EQ(shape.count, 30u);
    for (size_t r = 0; r < shape.count; ++r)
        table[shape.headerLength + r * shape.recordLength] = 'x';
    std::ofstream("CUST5.dbf", std::ios::binary | std::ios::trunc) << table;
    const AdminRun run = Admin("check");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.output,
                         "record 10 has a bad deletion flag\nCUST5: 20 more problems "
                         "of the same table\n30 problems found.\ncorvane-admin repair "
                         "mends the damaged tables"))
        << run.output;
    EXPECT_FALSE(Contains(run.output, "record 11 has")) << run.output;
}

TEST(Admin, ABackupUndoesAnUnfinishedChangeFirstAndWaitsForAPackUnderWay) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    ASSERT_EQ(Admin("generate --customers 20 --invoices 30 --seed 5").status, 0);
    const std::string before = Bytes("CUST5.dbf");
    ASSERT_TRUE(LeaveUnfinishedAppend(".", "CUST5", "LAST", "Half written"));
    fs::create_directory("backup");
    AdminRun run = Admin("backup backup");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "has been undone")) << run.output;
    EXPECT_EQ(Bytes("backup/CUST5.dbf"), before);
    EXPECT_FALSE(fs::exists("changes.jnl"));

    // Whatever holds the data directory (a pack, reindex or restore) is waited for.
    fs::create_directory("later");
    AdminRun waited;
    {
        LockRefusal refusal;
        std::unique_ptr<DataDirectoryLock> pack = LockDataDirectory("corvane-admin pack", &refusal);
        ASSERT_NE(pack, nullptr);
        std::thread backup([&waited] { waited = Admin("backup later"); });
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        EXPECT_FALSE(fs::exists("later/CUST5.dbf"));
        pack.reset();
        backup.join();
    }
    EXPECT_EQ(waited.status, 0) << waited.output;
    EXPECT_EQ(Bytes("later/INV5.dbf"), Bytes("INV5.dbf"));
}

// The second backup needs room beside the first and does not find it: it says the disk is
// full, and the first still restores.
TEST(Admin, ABackupToAFullDiskSaysSoAndLeavesThePreviousBackupRestorable) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    ASSERT_EQ(Admin("generate --customers 300 --invoices 300 --seed 6").status, 0);
    uintmax_t data = 0;
    for (const auto& entry : fs::directory_iterator("."))
        if (entry.path().extension() == ".dbf" || entry.path().extension() == ".dbt")
            data += entry.file_size();
    const std::string size = std::to_string((data * 3 / 2) / 1024) + "k";
    const AdminRun run =
        AdminAfterMount("mkdir b && mount -t tmpfs -o size=" + size + " tmpfs b",
                        "backup b; echo \"first $?\"; \"$1\" backup b; echo \"second $?\"; "
                        "\"$1\" restore b; echo \"restore $?\"; \"$1\" check; echo \"check $?\"");
    if (run.status == 99) GTEST_SKIP() << "no private mount namespace here";
    EXPECT_TRUE(Contains(run.output, "first 0\n")) << run.output;
    EXPECT_TRUE(Contains(run.output, "Backup Failed . . The disk is full.\n")) << run.output;
    EXPECT_FALSE(Contains(run.output, "write protected")) << run.output;
    EXPECT_TRUE(Contains(run.output, "second 1\n")) << run.output;
    EXPECT_TRUE(Contains(run.output, "restore 0\n")) << run.output;
    EXPECT_TRUE(Contains(run.output, "check 0\n")) << run.output;
}
