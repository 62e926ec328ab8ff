#include <fstream>

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "app/about_form.h"
#include "app/new_business.h"
#include "app/report_output.h"
#include "db/data_directory.h"
#include "db/maintenance.h"
#include "db/open_tables.h"
#include "db/read_write.h"
#include "db/schema.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/modal.h"
#include "tests/xbase/fault_env.h"

namespace fs = std::filesystem;
using prompt::Kind;

namespace {

const char* const kMissingFiles =
    "Database files not found in startup directory\n"
    "Program must be started from the directory containing the data files.";

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> FilesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

class EmptyDirectory : public MainWindowTest {
protected:
    EmptyDirectory() : MainWindowTest(TempDataDir::Empty) {}
};

}  // namespace

TEST_F(EmptyDirectory, StartingShowsOnlyTheMissingFilesMessageAndCreatesNothing) {
    prompts_.expect(Kind::Information, kMissingFiles);
    TMain& main = start();
    EXPECT_EQ(prompts_.seen().size(), 1);
    // The message names the directory it looked in.
    EXPECT_TRUE(prompts_.seen().front().contains(
        QDir::toNativeSeparators(QString::fromStdString(dir_.path().string()))))
        << prompts_.seen().front().toStdString();
    EXPECT_EQ(endCalls_, 1);
    EXPECT_TRUE(fs::is_empty(dir_.path()));
    EXPECT_EQ(DbContext, nullptr);
    EXPECT_FALSE(main.aboutForm()->isVisible());
    EXPECT_FALSE(StartingUp);
    EXPECT_FALSE(child<QTabWidget>(main, "PageControl1")->isEnabled());
}

TEST_F(MainWindowTest, OneTableMissingEndsTheStartBeforeAnythingIsWritten) {
    fs::remove(dir_.file("Pur5.dbf"));
    const std::vector<std::string> before = FilesIn(dir_.path());
    prompts_.expect(Kind::Information, kMissingFiles);
    start();
    EXPECT_EQ(endCalls_, 1);
    EXPECT_EQ(FilesIn(dir_.path()), before);  // no index files, no lock
}

TEST_F(MainWindowTest, TwoTablesWhoseNamesDifferOnlyInCaseAreRefusedNamingBoth) {
    fs::copy_file(dir_.file("Prod5.dbf"), dir_.file("PROD5.DBF"));
    const std::vector<std::string> before = FilesIn(dir_.path());
    prompts_.expect(Kind::Information,
                    "Data files whose names differ only in letter case:\nPROD5.DBF and Prod5.dbf\n");
    start();
    EXPECT_EQ(prompts_.pending(), 0);
    EXPECT_EQ(prompts_.seen().size(), 1);
    EXPECT_EQ(endCalls_, 1);
    EXPECT_EQ(FilesIn(dir_.path()), before);  // no index files, no lock
}

TEST_F(MainWindowTest, TablesWithoutIndexFilesGetThemBackSilently) {
    fs::rename(dir_.file("CUST5.dbf"), dir_.file("cust5.DBF"));  // names in any letter case
    for (const TableSchema& table : SuppliedSchema().tables) {
        for (const QString& file : IndexFiles(table))
            ASSERT_FALSE(exists(file.toStdString())) << "supplied: " << file.toStdString();
    }
    TMain& main = start();
    EXPECT_TRUE(prompts_.seen().isEmpty());
    EXPECT_EQ(endCalls_, 0);
    int groups = 0;
    for (const TableSchema& table : SuppliedSchema().tables) {
        if (table.tags.empty()) continue;
        ++groups;
        for (const QString& file : IndexFiles(table))
            EXPECT_TRUE(exists(file.toStdString())) << file.toStdString();
    }
    EXPECT_EQ(groups, 8);
    EXPECT_EQ(main.windowTitle(), "Corvane 1.05");
    EXPECT_TRUE(child<QTabWidget>(main, "PageControl1")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(main, "BtnDirectories")->isHidden());
    EXPECT_TRUE(OpenCustomers());  // the tables open with their tags
}

TEST_F(MainWindowTest, AChangeLeftUnfinishedIsUndoneAtStartAndTheUserToldOnce) {
    const std::string before = Bytes(dir_.file("CUST5.dbf"));
    // A Corvane ends in the middle of writing a change to CUST5, its journal written.
    ASSERT_TRUE(LeaveUnfinishedAppend(dir_.path().string(), "CUST5", "LAST", "Half written"));
    ASSERT_TRUE(fs::exists(dir_.file("changes.jnl")));

    prompts_.expect(Kind::Information, "The last change was not finished when Corvane stopped");
    start();
    EXPECT_EQ(prompts_.seen().size(), 1);
    EXPECT_EQ(endCalls_, 0);
    EXPECT_FALSE(fs::exists(dir_.file("changes.jnl")));
    EXPECT_EQ(Bytes(dir_.file("CUST5.dbf")), before);
}

TEST_F(MainWindowTest, ATableWhoseHeaderDisagreesWithItsSizeIsNamedWithTheRepair) {
    std::ofstream(dir_.file("Pur5.dbf"), std::ios::binary | std::ios::app) << "torn!";
    const std::string damaged = Bytes(dir_.file("Pur5.dbf"));
    prompts_.expect(Kind::Information, "These data files are damaged:\n");
    start();
    ASSERT_EQ(prompts_.seen().size(), 1);
    const QString told = prompts_.seen()[0];
    EXPECT_TRUE(told.contains("Pur5.dbf: record count 0 disagrees with the file size"))
        << told.toStdString();
    EXPECT_TRUE(told.contains("Run \"corvane-admin repair\" in the data directory"))
        << told.toStdString();
    EXPECT_EQ(endCalls_, 1);
    EXPECT_EQ(Bytes(dir_.file("Pur5.dbf")), damaged);
}

TEST_F(MainWindowTest, AnIndexWithADamagedHeaderIsRecreatedSilently) {
    start().close();
    std::fstream(dir_.file("CName.ntx"), std::ios::in | std::ios::out | std::ios::binary)
        .write("garbage!", 8);
    TMain& main = start();
    EXPECT_TRUE(prompts_.seen().isEmpty());
    EXPECT_EQ(endCalls_, 0);
    EXPECT_NE(Bytes(dir_.file("CName.ntx")).substr(0, 8), "garbage!");
    EXPECT_TRUE(child<QTabWidget>(main, "PageControl1")->isEnabled());
}

TEST_F(MainWindowTest, TheSplashStaysUpAtLeastTheMinimumWithoutItsOkButton) {
    bool sampled = false;
    QTimer::singleShot(300, [&] {
        sampled = true;
        TAboutForm* about = latest() ? latest()->aboutForm() : nullptr;
        EXPECT_TRUE(StartingUp);
        ASSERT_NE(about, nullptr);
        EXPECT_TRUE(about->isVisible());
        EXPECT_EQ(about->windowTitle(), "About Corvane 1.05");
        EXPECT_FALSE(about->findChild<QPushButton*>("OKButton")->isVisible());
    });
    QElapsedTimer clock;
    clock.start();
    TMain& main = start();
    EXPECT_GE(clock.elapsed(), 1728);
    EXPECT_TRUE(sampled);
    EXPECT_FALSE(StartingUp);
    EXPECT_FALSE(main.aboutForm()->isVisible());

    // Later the About box is a dialog of its own, with its OK button.
    bool okShown = false;
    onNextModal([&](QWidget* dialog) {
        auto* ok = dialog->findChild<QPushButton*>("OKButton");
        okShown = ok && ok->isVisible();
        if (ok) ok->click();
    });
    main.findChild<QAction*>("AboutCVNI1")->trigger();
    EXPECT_TRUE(okShown);
}

TEST_F(MainWindowTest, StoredSettingsChooseTheRadioButtonsAndTheReportFont) {
    storeSettings([](SettingsValues& s) {
        s.ByCust = true;
        s.fifo = true;
        s.FontName = "DejaVu Serif";
        s.FontSize = 15;
    });
    TMain& main = start();
    EXPECT_TRUE(child<QRadioButton>(main, "RadioButton1")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(main, "RadioButton3")->isChecked());
    EXPECT_EQ(child<QLineEdit>(main, "Edit1")->text(), "DejaVu Serif@15");
    EXPECT_EQ(ReportFont.family(), "DejaVu Serif");
    EXPECT_EQ(ReportFont.pointSize(), 15);
}

TEST_F(MainWindowTest, CaptionsAreWordsForPeople) {
    TMain& main = start();
    EXPECT_EQ(child<QAbstractButton>(main, "BtnStationary")->text(), "Stationery");
    EXPECT_EQ(child<QAbstractButton>(main, "BtnStationary")->toolTip(), "Set up custom stationery");
    const QAction* about = main.findChild<QAction*>("AboutCVNI1");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->text(), "About Corvane");
}

TEST_F(MainWindowTest, BlankSettingsGiveCompanyOrderLastInFirstOutAndTheWindowsFont) {
    TMain& main = start();
    EXPECT_TRUE(child<QRadioButton>(main, "RadioButton2")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(main, "RadioButton4")->isChecked());
    EXPECT_EQ(child<QLineEdit>(main, "Edit1")->text(),
              main.font().family() + "@" + QString::number(main.font().pointSize()));
    EXPECT_EQ(ReportFont, main.font());
}

TEST_F(MainWindowTest, ASecondCorvaneOnTheSameDataIsRefusedWhileTheFirstKeepsWorking) {
    TMain& first = start();
    EXPECT_TRUE(exists(kLockFileName));
    const xbase::Context* firstContext = DbContext.get();

    prompts_.expect(Kind::Information,
                    QString("The data files in this directory are in use by Corvane, process %1.\n"
                            "Only one Corvane at a time may work on the same data files.")
                        .arg(::getpid()));
    TMain& second = start();
    EXPECT_EQ(endCalls_, 1);
    EXPECT_EQ(DbContext.get(), firstContext);  // the second one opened nothing
    EXPECT_FALSE(child<QTabWidget>(second, "PageControl1")->isEnabled());

    click(first, "BtnPack");
    EXPECT_EQ(RecordCount("CVN1"), 1);
    EXPECT_TRUE(exists(kLockFileName));

    first.close();
    EXPECT_FALSE(exists(kLockFileName));
    start();  // once the first has ended, the next one starts
    EXPECT_EQ(endCalls_, 1);
    EXPECT_EQ(prompts_.seen().size(), 1);
}

TEST_F(MainWindowTest, ClosingPacksAPendingDeletionAndFreesTheTables) {
    TMain& main = start();
    ASSERT_TRUE(OpenCustomers());
    for (int cuno : {1, 2}) {
        CustTbl->appendBlank();
        CustBuf = {};
        CustBuf.cuno = cuno;
        WriteCustomer();
    }
    CustTbl->deleteRecord();
    DbContext->closeAll();
    PackPending = true;

    main.findChild<QAction*>("Exit1")->trigger();
    EXPECT_EQ(RecordCount("CUST5"), 1);
    EXPECT_FALSE(PackPending);
    EXPECT_EQ(DbContext, nullptr);
    EXPECT_FALSE(exists(kLockFileName));
}

TEST_F(MainWindowTest, ClosingWithoutAPendingDeletionLeavesMarkedRecords) {
    TMain& main = start();
    ASSERT_TRUE(OpenCustomers());
    CustTbl->appendBlank();
    CustTbl->deleteRecord();
    DbContext->closeAll();

    main.close();
    EXPECT_EQ(RecordCount("CUST5"), 1);
    EXPECT_EQ(DbContext, nullptr);
}

TEST(ProgramArguments, TheDataDirectoryIsTheOneArgumentAndOneThatCannotBeMadeIsRefused) {
    QProcess program;
    program.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    // A directory that cannot be made (nothing can be made under /proc) cannot be a new business.
    program.start(CORVANE_PROGRAM, {"/proc/corvane/data"});
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitCode(), 2);
    EXPECT_TRUE(program.readAllStandardError().contains("/proc/corvane/data"));
    program.start(CORVANE_PROGRAM, {"one", "two"});
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitCode(), 2);
    EXPECT_TRUE(program.readAllStandardError().contains("usage: corvane [DATA_DIR]"));
}

TEST(NewBusiness, AMissingOrEmptyDirectoryGetsTheSuppliedTablesAndOneHoldingAnythingIsLeftAlone) {
    const QString supplied =
        SuppliedTablesDirectory(QFileInfo(QStringLiteral(CORVANE_PROGRAM)).absolutePath());
    ASSERT_FALSE(supplied.isEmpty());
    const QStringList tables = QDir(supplied).entryList({"*.dbf", "*.dbt"}, QDir::Files);
    ASSERT_TRUE(tables.contains("CVN1.dbf") && tables.contains("CUST5.dbt"));
    QTemporaryDir scratch;
    const QString fresh = scratch.filePath("business/2026");
    NewBusinessStart start = StartNewBusiness(fresh, supplied);
    EXPECT_EQ(start.outcome, NewBusinessStart::Started);
    EXPECT_TRUE(start.message.contains(QDir::toNativeSeparators(fresh)))
        << start.message.toStdString();
    EXPECT_EQ(QDir(fresh).entryList(QDir::Files), tables);
    for (const QString& name : tables)
        EXPECT_EQ(QFileInfo(QDir(fresh).filePath(name)).size(),
                  QFileInfo(QDir(supplied).filePath(name)).size())
            << name.toStdString();

    // Started again on it, or on a directory holding anything else, nothing is copied.
    EXPECT_EQ(StartNewBusiness(fresh, supplied).outcome, NewBusinessStart::NotNew);
    const QString other = scratch.filePath("other");
    ASSERT_TRUE(QDir().mkpath(other));
    QFile note(QDir(other).filePath("notes.txt"));
    ASSERT_TRUE(note.open(QIODevice::WriteOnly));
    note.close();
    EXPECT_EQ(StartNewBusiness(other, supplied).outcome, NewBusinessStart::NotNew);
    EXPECT_EQ(QDir(other).entryList(QDir::Files), QStringList({"notes.txt"}));

    // Without the supplied tables nothing is made.
    const QString nowhere = scratch.filePath("nowhere");
    start = StartNewBusiness(nowhere, scratch.filePath("no-tables"));
    EXPECT_EQ(start.outcome, NewBusinessStart::Failed);
    EXPECT_FALSE(QFileInfo::exists(nowhere));
}
