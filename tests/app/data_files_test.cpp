#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <fstream>
#include <string>

#include <QFile>

#include "db/data_directory.h"
#include "tests/support/temp_data_dir.h"

TEST(DataFiles, AllNineTablesMustBeThereInAnyLetterCase) {
    TempDataDir dir(TempDataDir::SuppliedTables);
    EXPECT_TRUE(DataFilesPresent());
    std::filesystem::rename(dir.file("Prod5.dbf"), dir.file("PROD5.DBF"));
    EXPECT_TRUE(DataFilesPresent());
    std::filesystem::remove(dir.file("LABELS.dbf"));
    EXPECT_FALSE(DataFilesPresent());
}

std::unique_ptr<DataDirectoryLock> Lock(const char* holder, LockRefusal* refusal = nullptr) {
    LockRefusal ignored;
    return LockDataDirectory(holder, refusal ? refusal : &ignored);
}

TEST(DataFiles, TheDirectoryLockKeepsOutASecondProgramNamingTheFirstUntilItLetsGo) {
    TempDataDir dir;
    std::unique_ptr<DataDirectoryLock> first = Lock("Corvane");
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(std::filesystem::exists(dir.file(kLockFileName)));
    LockRefusal refusal;
    EXPECT_EQ(Lock("corvane-admin pack", &refusal), nullptr);
    EXPECT_EQ(refusal.kind, LockRefusal::Held);
    EXPECT_EQ(LockRefusalMessage(refusal),
              QString("The data files in this directory are in use by Corvane, process %1.")
                  .arg(::getpid()));
    first.reset();
    EXPECT_FALSE(std::filesystem::exists(dir.file(kLockFileName)));
    EXPECT_NE(Lock("Corvane"), nullptr);
}

// The lock file a killed program leaves, empty, holding garbage or naming that program, never
// keeps anybody out: the lock itself ended with the process.
TEST(DataFiles, ALockFileLeftByAKilledProgramKeepsNobodyOut) {
    TempDataDir dir;
    const std::string lockFile = dir.file(kLockFileName).string();
    for (const std::string& left : {std::string(), std::string("\x01\xff garbage\0\n", 12)}) {
        std::ofstream(lockFile, std::ios::binary) << left;
        EXPECT_NE(Lock("Corvane"), nullptr) << left.size() << " bytes";
    }
    const pid_t child = fork();
    if (child == 0) {
        auto lock = Lock("Corvane");
        if (!lock) _exit(1);
        ::kill(::getpid(), SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    std::ifstream in(lockFile);
    std::string holder;
    std::getline(in, holder);
    EXPECT_EQ(holder, "Corvane, process " + std::to_string(child));  // left behind
    EXPECT_NE(Lock("Corvane"), nullptr);
}
