// Backup, restore and erase of the data files against a real second directory, a small tmpfs
// (full, or mounted read-only) where the test may mount one, and the engine's fault injection.
#include <sys/mount.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <map>
#include <tuple>

#include "db/backup.h"
#include "db/backup_set.h"
#include "db/change.h"
#include "db/chasing_tables.h"
#include "db/data_check.h"
#include "db/maintenance.h"
#include "db/open_tables.h"
#include "db/read_write.h"
#include "db/settings.h"
#include "db/staged_files.h"
#include "tests/db/data_store_fixture.h"
#include "tests/support/scripted_prompts.h"
#include "tests/xbase/fault_env.h"

namespace fs = std::filesystem;
using prompt::Kind;

namespace {

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Every file of a directory with its contents.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.is_regular_file() && entry.path().filename() != "changes.lck")
            files[entry.path().filename().string()] = Bytes(entry.path());
    return files;
}

class BackupTest : public DataStoreTest {
protected:
    BackupTest() {
        RebuildIndexes(false);
        Progress.set = [this](int percent) { percents_ << percent; };
    }

    void AddCustomer(int number, const QString& last) {
        ASSERT_TRUE(OpenCustomers());
        CustTbl->appendBlank();
        CustBuf = {};
        CustBuf.cuno = number;
        CustBuf.last = last;
        CustBuf.comments = "comment of " + last;
        WriteCustomer();
        CloseAllTables();
    }

    QStringList Customers() {
        QStringList names;
        EXPECT_TRUE(OpenCustomers());
        for (int rc = CustTbl->top(); rc == 0; rc = CustTbl->skip()) {
            ReadCustomer();
            names << CustBuf.last.trimmed() + ":" + CustBuf.comments;
        }
        CloseAllTables();
        return names;
    }

    // Writes the letterhead into CVN1 and the order directory into ImpDirs.
    void SetSettingsAndImportDirs(const char* company, const char* orderDir) {
        for (const auto& [table, field, text] : {std::tuple{"CVN1", "Company", company},
                                                 std::tuple{"ImpDirs", "OrderDir", orderDir}}) {
            xbase::Table* t = DbContext->open(table);
            ASSERT_NE(t, nullptr) << table;
            ASSERT_EQ(t->go(1), 0) << table;
            t->field(field)->assign(text);
            ASSERT_EQ(t->flush(), 0) << table;
            t->close();
        }
    }

    // Runs the engine on `env` from now on.
    void UseEnv(FaultEnv* env) {
        DbContext->closeAll();
        DbContext = std::make_unique<xbase::Context>(".", env);
    }

    QTemporaryDir other_;
    QList<int> percents_;
};

// A small tmpfs mounted for one test, when the test may mount one.
class SmallVolume {
public:
    SmallVolume(const QString& dir, const char* options) : dir_(dir) {
        mounted_ = ::mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", 0, options) == 0;
    }
    ~SmallVolume() {
        if (mounted_) ::umount2(QFile::encodeName(dir_).constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }

private:
    QString dir_;
    bool mounted_ = false;
};

}  // namespace

TEST_F(BackupTest, BackupCopiesEveryTableAndTheSettingsAndRestoreBringsThemBack) {
    AddCustomer(1, "Abel");
    ASSERT_TRUE(CopyDataFiles(true, other_.path()));
    EXPECT_EQ(percents_, QList<int>({10, 20, 30, 35, 45, 55, 70, 75, 85, 95, 100}));
    EXPECT_TRUE(BackupFileNames().contains("CVN1.dbf"));
    EXPECT_TRUE(BackupFileNames().contains("ImpDirs.dbf"));
    for (const QString& name : BackupFileNames())
        EXPECT_EQ(Bytes(fs::path(other_.filePath(name).toStdString())), Bytes(name.toStdString()))
            << name.toStdString();
    EXPECT_FALSE(QFile::exists(other_.filePath("CUST5.cgp")));

    const std::string settings = Bytes("CVN1.dbf");
    const std::string importDirs = Bytes("ImpDirs.dbf");
    const std::string terms = Bytes("Terms.dbf");
    AddCustomer(2, "Baker");
    SetSettingsAndImportDirs("Baker & Sons", "/srv/orders");
    PaymentTerms changed;
    changed.customers.insert(2, 10);
    QString error;
    ASSERT_TRUE(WriteChasingSettings(changed, ReadyReminderLevels(), &error));
    ASSERT_NE(Bytes("Terms.dbf"), terms);
    ASSERT_NE(Bytes("CVN1.dbf"), settings);
    ASSERT_NE(Bytes("ImpDirs.dbf"), importDirs);
    ASSERT_TRUE(CopyDataFiles(false, other_.path()));
    ASSERT_TRUE(RebuildIndexes(false));
    EXPECT_EQ(Customers(), QStringList{"Abel:comment of Abel"});
    EXPECT_EQ(Bytes("CVN1.dbf"), settings);
    EXPECT_EQ(Bytes("ImpDirs.dbf"), importDirs);
    EXPECT_EQ(Bytes("Terms.dbf"), terms);
    EXPECT_EQ(CheckDataFiles(), QStringList());
    EXPECT_FALSE(QDir(kStagingDirName).exists());
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join('\n').toStdString();

    // A backup made before the settings were copied restores, leaving the settings as they are.
    QDir old(other_.path());
    for (const char* name : {"CVN1.dbf", "ImpDirs.dbf", "corvane-backup.txt"}) old.remove(name);
    SetSettingsAndImportDirs("Carter Ltd", "/srv/new");
    const std::string current = Bytes("CVN1.dbf");
    ASSERT_TRUE(CopyDataFiles(false, other_.path())) << messages_.join('\n').toStdString();
    EXPECT_EQ(Bytes("CVN1.dbf"), current);
    ASSERT_TRUE(RebuildIndexes(false));
    EXPECT_EQ(CheckDataFiles(), QStringList());
}

TEST_F(BackupTest, TheDataDirectoryIsRecognisedHoweverItIsWritten) {
    EXPECT_TRUE(IsDataDirectory("."));
    EXPECT_TRUE(IsDataDirectory(" ./ "));
    EXPECT_TRUE(IsDataDirectory(QDir::currentPath() + "/"));
    ASSERT_TRUE(QFile::link(QDir::currentPath(), other_.filePath("link")));
    EXPECT_TRUE(IsDataDirectory(other_.filePath("link")));
    EXPECT_FALSE(IsDataDirectory(other_.path()));
    EXPECT_FALSE(IsDataDirectory(""));
}

TEST_F(BackupTest, MissingSourcesEndTheCopyWithoutWaiting) {
    // A restore from a directory lacking a file asks for the disk holding it; Cancel changes
    // nothing.
    AddCustomer(1, "Abel");
    const auto before = Snapshot(".");
    ScriptedPrompts prompts;
    prompts.expect(Kind::Confirm, "Insert disk containing CUST5.dbf.bak", {false, {}});
    prompts.expect(Kind::Information, "Unable to find " + other_.filePath("CUST5.dbf"));
    EXPECT_FALSE(CopyDataFiles(false, other_.path()));
    EXPECT_EQ(Snapshot("."), before);
    EXPECT_FALSE(QDir(kStagingDirName).exists());

    // A backup missing a source file writes nothing.
    fs::remove("CUST5.dbt");
    prompts.expect(Kind::Information, "/CUST5.dbt\nFunction Aborted");
    EXPECT_FALSE(CopyDataFiles(true, other_.path()));
    EXPECT_TRUE(QDir(other_.path()).isEmpty());
}

TEST_F(BackupTest, AFailedBackupLeavesThePreviousOneWholeAndRestoreNeverTakesAMixture) {
    AddCustomer(1, "Abel");
    ASSERT_TRUE(CopyDataFiles(true, other_.path()));
    AddCustomer(2, "Baker");
    SetSettingsAndImportDirs("Baker & Sons", "/srv/orders");
    const auto now = Snapshot(".");
    FaultEnv env;
    UseEnv(&env);
    // Nobody answers: every question is cancelled, as at the command line.
    env.skipSyncs(true);
    const prompt::Handler previous = prompt::setHandler([](const prompt::Request&) {
        return prompt::Reply{false, {}};
    });
    int failed = 0;
    // Every other step of the backup fails in turn, until the backup gets through.
    for (int k = 1;; k += 2) {
        ASSERT_LT(k, 400);
        env.failAfter(k, FaultEnv::Fault::Sticky);
        const bool done = CopyDataFiles(true, other_.path());
        env.failAfter(0);
        failed += done ? 0 : 1;

        // What is in the backup directory restores, and is the data of one moment.
        ASSERT_TRUE(CopyDataFiles(false, other_.path())) << k;
        ASSERT_TRUE(RebuildIndexes(false));
        const QStringList customers = Customers();
        ASSERT_TRUE(LoadSettings());
        if (customers.size() == 1)
            EXPECT_NE(SettingsRecord.Company.trimmed(), "Baker & Sons") << k;
        else
            EXPECT_EQ(SettingsRecord.Company.trimmed(), "Baker & Sons") << k;
        EXPECT_EQ(CheckDataFiles(), QStringList()) << k;
        if (done) break;
        // The data directory goes back to what is to be backed up.
        for (const auto& [name, bytes] : now) std::ofstream(name, std::ios::binary) << bytes;
    }
    EXPECT_GT(failed, 30);
    EXPECT_EQ(Customers(), QStringList({"Abel:comment of Abel", "Baker:comment of Baker"}));
    prompt::setHandler(previous);
}

TEST_F(BackupTest, RestoreRefusesAFileThatDoesNotMatchTheBackupsListNamingIt) {
    AddCustomer(1, "Abel");
    QTemporaryDir older;
    ASSERT_TRUE(CopyDataFiles(true, older.path()));
    AddCustomer(2, "Baker");
    ASSERT_TRUE(CopyDataFiles(true, other_.path()));
    const auto before = Snapshot(".");
    // A table of the other backup, and a memo file cut short.
    for (const char* file : {"CUST5.dbf", "INV5.dbt"}) {
        QTemporaryDir mixed;
        for (const QString& name : QDir(other_.path()).entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(other_.filePath(name), mixed.filePath(name)));
        QFile::remove(mixed.filePath(file));
        if (QString(file) == "CUST5.dbf") {
            ASSERT_TRUE(QFile::copy(older.filePath(file), mixed.filePath(file)));
        } else {
            std::string memo = Bytes(other_.filePath(file).toStdString());
            memo.resize(memo.size() - 1);
            std::ofstream(mixed.filePath(file).toStdString(), std::ios::binary) << memo;
        }
        ScriptedPrompts prompts;
        prompts.expect(Kind::Information, QString(file) + " does not match the backup's list");
        EXPECT_FALSE(CopyDataFiles(false, mixed.path())) << file;
        EXPECT_EQ(prompts.pending(), 0) << file;
        EXPECT_EQ(Snapshot("."), before) << file;
    }
}

TEST_F(BackupTest, ARestoreAsksForEachFurtherDiskAndCancelLeavesTheData) {
    AddCustomer(1, "Abel");
    QTemporaryDir whole;
    ASSERT_TRUE(CopyDataFiles(true, whole.path()));
    AddCustomer(2, "Baker");
    const auto before = Snapshot(".");
    // The second disk holds the files from ITM5 on; only the first is in the drive.
    const QStringList names = BackupFileNames();
    const qsizetype split = names.indexOf("ITM5.dbf");
    const auto insertFirstDisk = [&] {
        for (const QString& name : QDir(other_.path()).entryList(QDir::Files))
            QFile::remove(other_.filePath(name));
        for (qsizetype i = 0; i < split; ++i)
            ASSERT_TRUE(QFile::copy(whole.filePath(names[i]), other_.filePath(names[i])));
    };
    insertFirstDisk();
    {
        ScriptedPrompts prompts;
        prompts.expect(Kind::Confirm, "Insert disk containing ITM5.dbf.bak", {false, {}});
        prompts.expect(Kind::Information, "Unable to find");
        EXPECT_FALSE(CopyDataFiles(false, other_.path()));
        EXPECT_EQ(prompts.pending(), 0);
        EXPECT_EQ(Snapshot("."), before);
    }
    QStringList asked;
    const prompt::Handler previous = prompt::setHandler([&](const prompt::Request& r) {
        asked << r.text;
        if (r.text.startsWith("Insert disk containing ")) {
            // The user changes the disk: the second one holds the rest.
            for (const QString& name : QDir(other_.path()).entryList(QDir::Files))
                QFile::remove(other_.filePath(name));
            for (qsizetype i = split; i < names.size(); ++i)
                QFile::copy(whole.filePath(names[i]), other_.filePath(names[i]));
        }
        return prompt::Reply{true, {}};
    });
    EXPECT_TRUE(CopyDataFiles(false, other_.path()));
    prompt::setHandler(previous);
    EXPECT_EQ(asked, QStringList{"Insert disk containing ITM5.dbf.bak"});
    ASSERT_TRUE(RebuildIndexes(false));
    EXPECT_EQ(Customers(), QStringList{"Abel:comment of Abel"});
    EXPECT_EQ(CheckDataFiles(), QStringList());
}

TEST_F(BackupTest, AFolderOfTheStagingNameThatIsNotTheProgramsIsNeverUsedOrRemoved) {
    AddCustomer(1, "Abel");
    // A user keeps a backup in a folder of that name, with a folder of his own in it.
    ASSERT_TRUE(QDir().mkdir(kStagingDirName));
    ASSERT_TRUE(CopyDataFiles(true, kStagingDirName));
    ASSERT_TRUE(QDir(kStagingDirName).mkdir("letters"));
    const auto kept = Snapshot(kStagingDirName);
    AddCustomer(2, "Baker");
    ASSERT_TRUE(CopyDataFiles(false, kStagingDirName)) << messages_.join('\n').toStdString();
    EXPECT_EQ(Snapshot(kStagingDirName), kept);
    EXPECT_TRUE(QDir(kStagingDirName).exists("letters"));
    bool finished = false;
    QString error;
    EXPECT_TRUE(FinishStagedFiles(&finished, &error)) << error.toStdString();
    EXPECT_TRUE(QDir(kStagingDirName).exists("letters"));
    ASSERT_TRUE(RebuildIndexes(false));
    EXPECT_EQ(Customers(), QStringList{"Abel:comment of Abel"});
}

TEST_F(BackupTest, AFullOrWriteProtectedTargetAsksAFewTimesAndThenFails) {
    SmallVolume full(other_.path(), "size=8k");
    if (!full.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
    AddCustomer(1, "Abel");
    ScriptedPrompts prompts;
    // OK after a full disk copies the same file again; Cancel ends the backup.
    prompts.expect(Kind::Confirm, "Disk Full. Insert another disk.");
    prompts.expect(Kind::Confirm, "Disk Full. Insert another disk.", {false, {}});
    EXPECT_FALSE(CopyDataFiles(true, other_.path()));
    EXPECT_EQ(prompts.pending(), 0);
    // Whatever reached the small volume is whole.
    for (const auto& [name, bytes] : Snapshot(other_.path().toStdString()))
        EXPECT_EQ(bytes, Bytes(name)) << name;

    QTemporaryDir protectedDir;
    SmallVolume readOnly(protectedDir.path(), "size=64k");
    ASSERT_TRUE(readOnly.mounted());
    ASSERT_EQ(::mount("tmpfs", QFile::encodeName(protectedDir.path()).constData(), "tmpfs",
                      MS_REMOUNT | MS_RDONLY, "size=64k"),
              0);
    // Answering OK every time still ends, after the fifth question.
    for (int i = 0; i < 5; ++i) prompts.expect(Kind::Confirm, "Disk is Write Protected");
    EXPECT_FALSE(CopyDataFiles(true, protectedDir.path()));
    EXPECT_EQ(prompts.pending(), 0);
}

TEST_F(BackupTest, ARestoreThatFailsHalfWayLeavesTheDataAsItWas) {
    AddCustomer(1, "Abel");
    ASSERT_TRUE(CopyDataFiles(true, other_.path()));
    AddCustomer(2, "Baker");
    const auto before = Snapshot(".");
    FaultEnv env;
    UseEnv(&env);
    ScriptedPrompts prompts;
    for (int k : {1, 4, 12, 30, 40, 60}) {
        env.failAfter(k, FaultEnv::Fault::Sticky);
        prompts.expect(Kind::Information, "");
        EXPECT_FALSE(CopyDataFiles(false, other_.path())) << k;
        env.failAfter(0);
        bool finished = false;
        QString error;
        // A move cut short after its marker is finished at the next start; before it, the
        // prepared files are dropped.
        ASSERT_TRUE(FinishStagedFiles(&finished, &error)) << error.toStdString();
        if (finished) break;
        EXPECT_EQ(Snapshot("."), before) << k;
        EXPECT_FALSE(QDir(kStagingDirName).exists());
    }
    EXPECT_EQ(prompts.pending(), 0);
}

TEST_F(BackupTest, AMoveCutShortAfterItsMarkerIsFinishedAtTheNextStart) {
    AddCustomer(1, "Abel");
    ASSERT_TRUE(CopyDataFiles(true, other_.path()));
    AddCustomer(2, "Baker");
    FaultEnv env;
    UseEnv(&env);
    int k = 1;
    ScriptedPrompts prompts;
    // The first fault that leaves the marker behind.
    for (;; ++k) {
        env.failAfter(k, FaultEnv::Fault::Sticky);
        prompts.expect(Kind::Information, "");
        ASSERT_FALSE(CopyDataFiles(false, other_.path()));
        env.failAfter(0);
        if (QFile::exists(QDir(kStagingDirName).filePath("commit"))) break;
        bool finished = false;
        QString error;
        ASSERT_TRUE(FinishStagedFiles(&finished, &error));
        ASSERT_LT(k, 200);
    }
    bool undone = false;
    QString error;
    ASSERT_TRUE(UndoUnfinishedChange(&undone, &error)) << error.toStdString();
    EXPECT_FALSE(QDir(kStagingDirName).exists());
    ASSERT_TRUE(RebuildIndexes(true));
    EXPECT_EQ(Customers(), QStringList{"Abel:comment of Abel"});
    EXPECT_EQ(CheckDataFiles(), QStringList());
}

TEST_F(BackupTest, EraseEmptiesTheBusinessTablesOnlyAfterOk) {
    AddCustomer(1, "Abel");
    ASSERT_TRUE(OpenLabels());
    LabTbl->appendBlank();
    LabBuf = {};
    LabBuf.Name = "Avery";
    WriteLabel();
    CloseAllTables();
    const auto before = Snapshot(".");

    ScriptedPrompts prompts;
    prompts.expect(Kind::WarningConfirm,
                   "WARNING: You are about to erase all of your existing data.", {false, {}});
    EXPECT_FALSE(EraseAll());
    EXPECT_EQ(Snapshot("."), before);

    prompts.expect(Kind::WarningConfirm, "WARNING: You are about to erase");
    percents_.clear();
    ASSERT_TRUE(EraseAll());
    EXPECT_EQ(percents_, QList<int>({5, 15, 30, 40, 50, 60, 70, 85, 90, 95, 98, 99, 100}));
    EXPECT_EQ(Customers(), QStringList());
    for (const char* kept : {"LABELS.dbf", "CVN1.dbf", "ImpDirs.dbf", "Labels.ntx"})
        EXPECT_EQ(Bytes(kept), before.at(kept)) << kept;
    EXPECT_EQ(CheckDataFiles(), QStringList());
}

TEST_F(BackupTest, AnEraseThatFailsLeavesEveryTable) {
    AddCustomer(1, "Abel");
    const auto before = Snapshot(".");
    FaultEnv env;
    UseEnv(&env);
    ScriptedPrompts prompts;
    for (int k : {1, 5, 15, 40}) {
        env.failAfter(k, FaultEnv::Fault::Sticky);
        prompts.expect(Kind::WarningConfirm, "WARNING");
        prompts.expect(Kind::Information, "The data could not be erased.");
        EXPECT_FALSE(EraseAll()) << k;
        env.failAfter(0);
        EXPECT_EQ(Snapshot("."), before) << k;
    }
}

// A backup whose customer table has a bad deletion flag in every record is refused with its
// first few records named and the rest counted, and nothing is restored. The backup is one made
// before backups listed their files, which only the check of the tables themselves can refuse.
TEST_F(BackupTest, ARefusedRestoreNamesTheFirstFewBadRecordsAndCountsTheRest) {
    for (int n = 1; n <= 30; ++n) AddCustomer(n, QString("Name %1").arg(n));
    ASSERT_TRUE(CopyDataFiles(true, other_.path()));
    const fs::path backupTable = other_.filePath("CUST5.dbf").toStdString();
    std::string table = Bytes(backupTable);
    const size_t headerLength =
        static_cast<uint8_t>(table[8]) | static_cast<size_t>(static_cast<uint8_t>(table[9])) << 8;
    const size_t recordLength =
        static_cast<uint8_t>(table[10]) | static_cast<size_t>(static_cast<uint8_t>(table[11])) << 8;
    for (size_t r = 0; r < 30; ++r) table[headerLength + r * recordLength] = 'x';
    std::ofstream(backupTable, std::ios::binary | std::ios::trunc) << table;
    ASSERT_TRUE(fs::remove(other_.filePath(kManifestName).toStdString()));
    const auto before = Snapshot(".");

    EXPECT_FALSE(CopyDataFiles(false, other_.path()));
    EXPECT_EQ(Snapshot("."), before);
    ASSERT_EQ(messages_.size(), 1);
    const QStringList lines = messages_[0].split('\n');
    EXPECT_EQ(lines.size(), 7) << messages_[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith("CUST5.dbf: record 1 has a bad deletion flag"))
        << lines[1].toStdString();
    EXPECT_EQ(lines.last(), "and 25 more problems");
}
