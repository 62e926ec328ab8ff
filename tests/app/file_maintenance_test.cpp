// The File Maintenance buttons that go through the drive and directory chooser: backup,
// restore, erase and the upgrade, clicked in the main window with every prompt scripted.
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>

#include "app/drive_dir.h"
#include "db/backup.h"
#include "db/data_check.h"
#include "db/open_tables.h"
#include "db/read_write.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/modal.h"

using prompt::Kind;

namespace {

// Answers the next chooser: points it at `dir` (when given) and presses OK or Cancel. What the
// chooser showed goes to *caption and *okCaption.
void AnswerChooser(const QString& dir, bool ok, QString* caption = nullptr,
                   QString* okCaption = nullptr) {
    onNextModal([=](QWidget* w) {
        auto* chooser = qobject_cast<TDriveDir*>(w);
        ASSERT_NE(chooser, nullptr);
        if (caption) *caption = chooser->windowTitle();
        if (okCaption) *okCaption = chooser->BtnOK->text();
        EXPECT_FALSE(chooser->FileListBox1->isEnabled());
        if (!dir.isEmpty()) chooser->SetDirectory(dir);
        (ok ? chooser->BtnOK : chooser->BtnCancel)->click();
    });
}

class FileMaintenanceTest : public MainWindowTest {
protected:
    void addCustomer(const QString& last) {
        ASSERT_TRUE(OpenCustomers());
        CustTbl->appendBlank();
        CustBuf = {};
        CustBuf.cuno = 1;
        CustBuf.last = last;
        WriteCustomer();
        CloseAllTables();
    }
    int customers() {
        EXPECT_TRUE(OpenCustomers());
        const int n = int(CustTbl->recCount());
        CloseAllTables();
        return n;
    }
    QTemporaryDir other_;
};

}  // namespace

TEST_F(FileMaintenanceTest, CancellingTheChooserCopiesNothingAndKeepsTheDataDirectoryCurrent) {
    TMain& main = start();
    const QString data = QDir::currentPath();
    QString caption;
    QString okCaption;
    // A directory chosen in the list and then cancelled changes nothing either.
    AnswerChooser(other_.path(), false, &caption, &okCaption);
    click(main, "BtnBackup");
    EXPECT_EQ(caption, "Choose Backup Drive & Directory");
    EXPECT_EQ(okCaption, "Backup");
    EXPECT_EQ(QDir::currentPath(), data);
    EXPECT_TRUE(QDir(other_.path()).isEmpty());

    AnswerChooser({}, false, &caption, &okCaption);
    click(main, "BtnRestore");
    EXPECT_EQ(caption, "Choose Drive & Directory Containing BACKUP");
    EXPECT_EQ(okCaption, "Restore");
    EXPECT_EQ(QDir::currentPath(), data);
}

TEST_F(FileMaintenanceTest, BackupToOrRestoreFromTheDataDirectoryIsRefused) {
    TMain& main = start();
    AnswerChooser(QDir::currentPath(), true);
    prompts_.expect(Kind::Information, "Backup must be to a different drive and/or directory");
    click(main, "BtnBackup");
    AnswerChooser(QDir::currentPath() + "/", true);
    prompts_.expect(Kind::Information, "Restore must be from a different drive and/or directory");
    click(main, "BtnRestore");
    EXPECT_EQ(prompts_.pending(), 0);
}

TEST_F(FileMaintenanceTest, RestoreBringsBackTheBackupAndRebuildsEveryIndex) {
    TMain& main = start();
    addCustomer("Abel");
    AnswerChooser(other_.path(), true);
    prompts_.expect(Kind::Information, "Backup complete");
    click(main, "BtnBackup");
    for (const QString& name : BackupFileNames()) EXPECT_TRUE(QFile::exists(other_.filePath(name)));
    EXPECT_FALSE(child<QGroupBox>(main, "ProgressBox")->isVisible());

    ASSERT_TRUE(OpenCustomers());
    CustTbl->appendBlank();
    CloseAllTables();
    // The restore names what it replaces and asks; Cancel leaves the data as it is.
    AnswerChooser(other_.path(), true);
    prompts_.expect(Kind::WarningConfirm, "replaces all of your current data", {false, {}});
    click(main, "BtnRestore");
    EXPECT_EQ(customers(), 2);
    EXPECT_EQ(prompts_.cancelDefaults(), 1);
    std::filesystem::remove(dir_.file("CCNO.ntx"));
    QStringList captions;
    auto* box = child<QGroupBox>(main, "ProgressBox");
    QObject::connect(child<QProgressBar>(main, "ProgressBar1"), &QProgressBar::valueChanged, box,
                     [&](int value) {
                         // 0 is the bar's reset as the box is shown or hidden.
                         if (value != 0 && !captions.contains(box->title()))
                             captions << box->title();
                     });
    AnswerChooser(other_.path(), true);
    prompts_.expect(Kind::WarningConfirm, "replaces all of your current data");
    prompts_.expect(Kind::Information, "Restore complete");
    click(main, "BtnRestore");
    EXPECT_EQ(prompts_.pending(), 0);
    EXPECT_EQ(captions, QStringList({"Copying Data Files", "Rebuilding Indexes"}));
    EXPECT_EQ(customers(), 1);
    EXPECT_EQ(CheckDataFiles(), QStringList());
    EXPECT_FALSE(box->isVisible());
}

TEST_F(FileMaintenanceTest, TheChooserStartsBesideTheDataAndAFolderWithoutABackupIsSaidSo) {
    TMain& main = start();
    addCustomer("Abel");
    const QString data = QDir::currentPath();
    QString startedIn;
    onNextModal([&](QWidget* w) {
        auto* chooser = qobject_cast<TDriveDir*>(w);
        ASSERT_NE(chooser, nullptr);
        startedIn = chooser->CurrentDirectory();
        chooser->SetDirectory(other_.path());
        chooser->BtnOK->click();
    });
    prompts_.expect(Kind::Information,
                    "There is no backup in " + QDir::toNativeSeparators(other_.path()) +
                        ".\nChoose the folder the backup was made to.");
    click(main, "BtnRestore");
    EXPECT_EQ(prompts_.pending(), 0);
    EXPECT_EQ(QDir::cleanPath(startedIn), QFileInfo(data).dir().path());
    EXPECT_EQ(customers(), 1);
}

TEST_F(FileMaintenanceTest, EraseAsksFirstAndKeepsTheLabelStock) {
    TMain& main = start();
    addCustomer("Abel");
    ASSERT_TRUE(OpenLabels());
    LabTbl->appendBlank();
    CloseAllTables();
    prompts_.expect(Kind::WarningConfirm,
                    "WARNING: You are about to erase all of your existing data.", {false, {}});
    click(main, "BtnErase");
    EXPECT_EQ(customers(), 1);
    prompts_.expect(Kind::WarningConfirm, "WARNING: You are about to erase");
    click(main, "BtnErase");
    EXPECT_EQ(customers(), 0);
    ASSERT_TRUE(OpenLabels());
    EXPECT_EQ(LabTbl->recCount(), 1u);
    CloseAllTables();
    EXPECT_EQ(CheckDataFiles(), QStringList());
}

TEST_F(FileMaintenanceTest, UpgradeFromADirectoryWithoutTheOldTablesOnlyPacks) {
    TMain& main = start();
    QString caption;
    QString okCaption;
    AnswerChooser(other_.path(), true, &caption, &okCaption);
    prompts_.expect(Kind::Information, "Data files not found in " + other_.path());
    QStringList captions;
    auto* box = child<QGroupBox>(main, "ProgressBox");
    QObject::connect(child<QProgressBar>(main, "ProgressBar1"), &QProgressBar::valueChanged, box,
                     [&](int value) {
                         // 0 is the bar's reset as the box is shown or hidden.
                         if (value != 0 && !captions.contains(box->title()))
                             captions << box->title();
                     });
    click(main, "BtnUpgrade");
    EXPECT_EQ(caption, "Choose Drive & Directory Containing Old ZARDO Data");
    EXPECT_EQ(okCaption, "Upgrade");
    EXPECT_EQ(captions, QStringList{"Packing Data Files"});
}
