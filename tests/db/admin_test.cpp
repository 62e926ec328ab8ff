// corvane-admin as the owner runs it: exit codes, the lines it prints, and each command's effect
// on a data directory.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <QLockFile>
#include <memory>

#include "db/data_directory.h"
#include "db/xbase/xbase.h"
#include "tests/support/temp_data_dir.h"
#include "tests/xbase/fault_env.h"

namespace fs = std::filesystem;

namespace {

struct AdminRun {
    int status = -1;
    std::string output;  // standard output and error together
};

AdminRun Admin(const std::string& args) {
    AdminRun run;
    const std::string command = std::string("'") + CORVANE_ADMIN + "' " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 4096> buffer;
    while (size_t n = fread(buffer.data(), 1, buffer.size(), pipe))
        run.output.append(buffer.data(), n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
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

TEST(Admin, BadArgumentsGetTheUsageLineAndExitTwo) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    for (const char* args :
         {"", "frobnicate", "check extra", "-C", "generate --customers 10",
          "generate --customers 0 --invoices 5", "generate --customers 10 --invoices five",
          "generate --customers 10 --invoices 5 --colour red"}) {
        const AdminRun run = Admin(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_TRUE(Contains(run.output, "usage: corvane-admin")) << args << ": " << run.output;
    }
    const AdminRun run = Admin("-C /nonexistent/corvane check");
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Contains(run.output, "cannot work in /nonexistent/corvane")) << run.output;
}

TEST(Admin, CheckReindexAndCheckAgain) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    AdminRun run = Admin("check");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.output, "CUST5: CCNO.ntx is missing")) << run.output;
    EXPECT_TRUE(Contains(run.output, "24 problems found.")) << run.output;

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
    EXPECT_EQ(run.output, "ITM5.dbf is missing\n1 problem found.\n");
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
    EXPECT_TRUE(Contains(run.output, "PMT could not be packed")) << run.output;
}

TEST(Admin, AReindexThatCannotOpenATableSaysSoAndExitsOne) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    fs::remove("GROUPS.dbf");
    const AdminRun run = Admin("reindex");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.output, "Program will now terminate.")) << run.output;
}

TEST(Admin, CommandsThatChangeFilesKeepOffADirectoryCorvaneIsWorkingOn) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    ASSERT_EQ(Admin("reindex").status, 0);
    const auto before = fs::last_write_time("CName.ntx");
    {
        const std::unique_ptr<QLockFile> program = LockDataDirectory();  // as the program holds it
        ASSERT_NE(program, nullptr);
        for (const char* command : {"reindex", "pack", "generate --customers 5 --invoices 5"}) {
            const AdminRun run = Admin(command);
            EXPECT_EQ(run.status, 1) << command;
            EXPECT_TRUE(Contains(run.output, "already running")) << command << ": " << run.output;
        }
        // Reading is fine: the check, and a report while its index files are there.
        EXPECT_EQ(Admin("check").status, 0);
        EXPECT_EQ(Admin("report cost-of-goods --text cogs.txt").status, 0);
        EXPECT_TRUE(fs::exists("cogs.txt"));
        // A report that would have to re-create an index file waits for the program to close.
        fs::rename("CZip.ntx", "CZip.away");
        const AdminRun run = Admin("report product-listing --text out.txt");
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(Contains(run.output, "already running")) << run.output;
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
    const pid_t pid = fork();
    if (pid == 0) {
        FaultEnv env;
        xbase::Context ctx(".", &env);
        xbase::Table* t = ctx.open("CUST5");
        if (!t || ctx.begin() != 0 || t->appendBlank() != 0) _exit(1);
        t->field("LAST")->assign("Half written");
        env.failAfter(8, FaultEnv::Fault::Exit);
        ctx.commit();
        _exit(2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
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

TEST(Admin, BackupAndRestoreWithTheirChecksAndMessages) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    ASSERT_EQ(Admin("generate --customers 20 --invoices 60 --seed 4").status, 0);
    const fs::path backup = dir.path() / "backup";
    fs::create_directory(backup);

    AdminRun run = Admin("backup .");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.output,
                         "corvane-admin: Backup must be to a different drive and/or directory"))
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
