#include <gtest/gtest.h>

#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>

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

TEST(DataFiles, TheDirectoryLockKeepsOutASecondProgramUntilTheFirstLetsGo) {
    TempDataDir dir;
    std::unique_ptr<QLockFile> first = LockDataDirectory();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(std::filesystem::exists(dir.file(kLockFileName)));
    EXPECT_EQ(LockDataDirectory(), nullptr);
    first.reset();
    EXPECT_FALSE(std::filesystem::exists(dir.file(kLockFileName)));
    EXPECT_NE(LockDataDirectory(), nullptr);
}

TEST(DataFiles, ALockLeftByAProgramThatHasEndedIsTakenOver) {
    TempDataDir dir;
    QProcess ended;
    ended.start("true");
    ASSERT_TRUE(ended.waitForStarted());
    const qint64 pid = ended.processId();
    ASSERT_TRUE(ended.waitForFinished());
    // What a crashed Corvane leaves behind: its process id, program name and machine.
    QFile left(QString::fromStdString(dir.file(kLockFileName).string()));
    ASSERT_TRUE(left.open(QIODevice::WriteOnly));
    left.write(QString("%1\ncorvane\n%2\n").arg(pid).arg(QSysInfo::machineHostName()).toUtf8());
    left.close();
    EXPECT_NE(LockDataDirectory(), nullptr);
}
