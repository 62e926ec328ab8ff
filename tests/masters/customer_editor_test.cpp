// The customer editor, customer numbers and the customer address block.
#include <QLabel>
#include <QPlainTextEdit>
#include <filesystem>
#include <fstream>
#include <map>

#include "db/open_tables.h"
#include "masters/customer_editor.h"
#include "masters/numbering.h"
#include "tests/masters/masters_fixture.h"
#include "tests/xbase/fault_env.h"

using prompt::Kind;

namespace {

class CustomerTest : public MastersTest {
protected:
    void SetUp() override {
        MastersTest::SetUp();
        ASSERT_TRUE(OpenCustomers() && OpenGroups());
        SettingsRecord.ByCust = true;
    }
    // Every file of the data directory but the change lock and the directory's identity, which
    // the first change made there writes, by name.
    static std::map<std::string, std::string> DirectoryBytes() {
        std::map<std::string, std::string> files;
        for (const auto& e : std::filesystem::directory_iterator(".")) {
            const auto name = e.path().filename();
            if (name == "changes.lck" || name == "changes.id") continue;
            std::ifstream in(e.path(), std::ios::binary);
            files[e.path().filename().string()].assign(std::istreambuf_iterator<char>(in), {});
        }
        return files;
    }
    static CustomerRecord Stored(int32_t rec) {
        CustTbl->go(static_cast<uint32_t>(rec));
        ReadCustomer();
        return CustBuf;
    }
};

TEST_F(CustomerTest, ASaveWhoseWriteFailsSaysSoKeepsTheFormOpenAndChangesNoFile) {
    AddGroup(7, "Wholesale");
    const int32_t rec = AddCustomer(1, "Existing", "Anne", 7);
    // The tables again, through a file layer that fails on command.
    static FaultEnv env;
    DbContext->closeAll();
    DbContext = std::make_unique<xbase::Context>(".", &env);
    ASSERT_TRUE(OpenCustomers() && OpenGroups());
    const std::map<std::string, std::string> before = DirectoryBytes();

    CurCustRec = rec;
    TCustomer editor;
    editor.show();
    Child<QLineEdit>(&editor, "Edit4")->setText("Renamed");
    Child<QPlainTextEdit>(&editor, "Memo1")->setPlainText("A note that needs the memo file");
    // The first steps of the commit write the journal; the next ones the table, memo and tags.
    for (int k = 1; k <= 9; ++k) {
        SCOPED_TRACE("write or sync " + std::to_string(k) + " fails");
        env.failAfter(k, FaultEnv::Fault::Once);
        prompts_.expect(Kind::Warning, "The customer could not be saved.");
        Click(&editor, "BtnSave");
        EXPECT_TRUE(env.tripped());
        EXPECT_EQ(prompts_.pending(), 0);
        EXPECT_EQ(editor.result(), 0);
        EXPECT_TRUE(editor.isVisible());
        EXPECT_TRUE(DirectoryBytes() == before);
        EXPECT_EQ(CurCustRec, rec);
        EXPECT_EQ(Stored(rec).last.trimmed(), "Existing");
    }
    env.failAfter(0);
    Click(&editor, "BtnSave");
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_EQ(Stored(rec).last.trimmed(), "Renamed");
    EXPECT_FALSE(DirectoryBytes() == before);
    ResetProgramState();  // the context goes before the file layer it uses
}

TEST_F(CustomerTest, TheNextNumberIsTheLowestFreeOne) {
    EXPECT_EQ(NextCustNo(), 1);
    AddCustomer(4, "D");
    AddCustomer(1, "A");
    AddCustomer(2, "B");
    EXPECT_EQ(NextCustNo(), 3);
    AddCustomer(3, "C");
    EXPECT_EQ(NextCustNo(), 5);
    AddCustomer(2, "B again");  // a duplicate number does not stop the walk
    EXPECT_EQ(NextCustNo(), 5);
    EXPECT_EQ(QString::fromStdString(CustTbl->selected()->name()).toUpper(), "CNAME");
}

TEST_F(CustomerTest, ADeletedCustomerKeepsItsNumberUntilThePack) {
    AddCustomer(1, "A");
    MarkDeleted(CustTbl, AddCustomer(2, "B"));
    AddCustomer(3, "C");
    EXPECT_EQ(NextCustNo(), 4);
    DbContext->closeAll();
    ASSERT_TRUE(PackTable("CUST5", false));
    ASSERT_TRUE(OpenCustomers());
    EXPECT_EQ(NextCustNo(), 2);
}

TEST_F(CustomerTest, ANewCustomerNeedsAGroupAndIsSavedWithTheNextNumber) {
    AddGroup(7, "Wholesale");
    AddCustomer(1, "Existing");
    CurCustRec = 0;
    TCustomer editor;
    editor.show();
    EXPECT_EQ(Child<QLineEdit>(&editor, "Edit1")->text(), "     0");
    EXPECT_FALSE(Child<QWidget>(&editor, "BtnDelete")->isEnabled());
    EXPECT_EQ(CurCustRec, -1);
    EXPECT_EQ(Child<QLabel>(&editor, "Label5")->text(), "Address");
    EXPECT_TRUE(Child<QLabel>(&editor, "Label6")->isHidden());

    QTest::keyClicks(Child<QLineEdit>(&editor, "Edit2"), "Mrs");
    QTest::keyClicks(Child<QLineEdit>(&editor, "Edit4"), "Jones-Llewellyn-Smythe-Extra");
    QTest::keyClicks(Child<QLineEdit>(&editor, "Edit8"), "Town");
    Child<QPlainTextEdit>(&editor, "Memo1")->setPlainText("Pays late\nCall first   ");
    prompts_.expect(Kind::Information, "Please Select Customer Group");
    Click(&editor, "BtnSave");
    EXPECT_EQ(editor.result(), 0);
    EXPECT_EQ(CustTbl->recCount(), 1u);

    onNextModal([](QWidget* list) { Click(list, "BtnSelect"); });
    Click(&editor, "BtnGroup");
    EXPECT_EQ(Child<QLineEdit>(&editor, "Edit14")->text().trimmed(), "Wholesale");
    Click(&editor, "BtnSave");
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    ASSERT_EQ(CurCustRec, 2);
    const CustomerRecord saved = Stored(2);
    EXPECT_EQ(saved.cuno, 2);
    EXPECT_EQ(saved.ngroup, 7);
    EXPECT_EQ(saved.title, "Mrs");
    EXPECT_EQ(saved.last.trimmed(), "Jones-Llewellyn-Smyt");  // the box takes 20 characters
    EXPECT_EQ(saved.addr4.trimmed(), "Town");
    EXPECT_EQ(saved.comments, "Pays late\r\nCall first") << "memo lines end with CR LF";
}

TEST_F(CustomerTest, ACustomerWhoseGroupIsGoneMustBeGivenOneAgain) {
    AddGroup(1, "Retail");
    const int32_t rec = AddCustomer(5, "Orphan", "Olive", 9);
    CurCustRec = rec;
    TCustomer editor;
    editor.show();
    EXPECT_EQ(Child<QLineEdit>(&editor, "Edit1")->text(), "     5");
    EXPECT_EQ(Child<QLineEdit>(&editor, "Edit3")->text(), "Olive");
    EXPECT_TRUE(Child<QLineEdit>(&editor, "Edit14")->text().isEmpty());
    prompts_.expect(Kind::Information, "Please Select Customer Group");
    Click(&editor, "BtnSave");
    EXPECT_EQ(Stored(rec).ngroup, 9);
}

TEST_F(CustomerTest, SortingByCompanyShowsTheCompanyLabelAndSecondAddressLabel) {
    SettingsRecord.ByCust = false;
    TCustomer editor;
    editor.show();
    EXPECT_EQ(Child<QLabel>(&editor, "Label5")->text(), "Company");
    EXPECT_FALSE(Child<QLabel>(&editor, "Label6")->isHidden());
}

TEST_F(CustomerTest, DeleteMarksTheCustomerAndSavingItAgainRecallsIt) {
    AddGroup(1, "Retail");
    const int32_t rec = AddCustomer(1, "Gone");
    CurCustRec = rec;
    {
        TCustomer editor;
        editor.show();
        Click(&editor, "BtnDelete");
    }
    EXPECT_TRUE(PackPending);
    EXPECT_EQ(CurCustRec, rec);
    CustTbl->go(static_cast<uint32_t>(rec));
    EXPECT_TRUE(CustTbl->deleted());

    TCustomer editor;
    editor.show();
    QTest::keyClicks(Child<QLineEdit>(&editor, "Edit13"), "back");
    Click(&editor, "BtnSave");
    CustTbl->go(static_cast<uint32_t>(rec));
    EXPECT_FALSE(CustTbl->deleted());
    EXPECT_EQ(Stored(rec).note.trimmed(), "back");
    EXPECT_EQ(CustTbl->recCount(), 1u);
}

TEST_F(CustomerTest, CancellingANewCustomerAsksBeforeThrowingItAwayAndWritesNothing) {
    TCustomer editor;
    editor.show();
    QTest::keyClicks(Child<QLineEdit>(&editor, "Edit4"), "Never");
    prompts_.expect(Kind::WarningConfirm, "Close without saving?", {false, {}});
    Click(&editor, "BtnCancel");
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(Child<QLineEdit>(&editor, "Edit4")->text(), "Never");
    prompts_.expect(Kind::WarningConfirm, "Close without saving?");
    QTest::keyClick(&editor, Qt::Key_Escape);
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(CurCustRec, -1);
    EXPECT_EQ(CustTbl->recCount(), 0u);

    // A form left as it was shown closes without a question.
    TCustomer untouched;
    untouched.show();
    Click(&untouched, "BtnCancel");
    EXPECT_FALSE(untouched.isVisible());
}

TEST_F(CustomerTest, DeletingACustomerWithInvoicesAsksFirstNamingThem) {
    AddGroup(1, "Retail");
    const int32_t keller = AddCustomer(3, "Keller", "Anna", 1);
    ASSERT_TRUE(OpenInvoices());
    for (const auto& [number, customer] : {std::pair{4, 3}, {5, 8}, {9, 3}}) {
        InvTbl->appendBlank();
        InvBuf = {};
        InvBuf.IvNo = number;
        InvBuf.CuNo = customer;
        WriteInvoice();
    }
    InvTbl->flush();
    CurCustRec = keller;
    TCustomer editor;
    editor.show();
    prompts_.expect(Kind::WarningConfirm, "Anna Keller has 2 invoices (Nos. 4, 9)", {false, {}});
    Click(&editor, "BtnDelete");
    EXPECT_TRUE(editor.isVisible());
    EXPECT_FALSE(PackPending);
    CustTbl->go(static_cast<uint32_t>(keller));
    EXPECT_FALSE(CustTbl->deleted());
    prompts_.expect(Kind::WarningConfirm, "receivables show UNKNOWN");
    Click(&editor, "BtnDelete");
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(prompts_.cancelDefaults(), 2);
    CustTbl->go(static_cast<uint32_t>(keller));
    EXPECT_TRUE(CustTbl->deleted());
}

TEST_F(CustomerTest, EnterInABoxMovesToTheNextBoxButStartsALineInTheComments) {
    TCustomer editor;
    editor.show();
    editor.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    auto* title = Child<QLineEdit>(&editor, "Edit2");
    title->setFocus();
    QTest::keyClick(title, Qt::Key_Return);
    EXPECT_TRUE(Child<QLineEdit>(&editor, "Edit3")->hasFocus());
    auto* note = Child<QLineEdit>(&editor, "Edit13");
    note->setFocus();
    QTest::keyClick(note, Qt::Key_Return);
    EXPECT_TRUE(Child<QWidget>(&editor, "BtnGroup")->hasFocus());
    auto* memo = Child<QPlainTextEdit>(&editor, "Memo1");
    memo->setFocus();
    QTest::keyClicks(memo, "a");
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, "b");
    EXPECT_EQ(memo->toPlainText(), "a\nb");
}

TEST_F(CustomerTest, TextBeyondLatin1IsStoredInTheTablesCodePageOrRefusedWhereTyped) {
    AddGroup(7, "Wholesale");
    const int32_t rec = AddCustomer(1, "Existing", "Anne", 7);
    CurCustRec = rec;
    TCustomer editor;
    editor.show();
    auto* first = Child<QLineEdit>(&editor, "Edit3");
    first->clear();
    prompts_.expect(Kind::Warning, QString::fromUtf8("\"\u0141\" (U+0141) cannot be stored"));
    for (QChar c : QString::fromUtf8("\u0141ukasz"))
        QTest::sendKeyEvent(QTest::Click, first, Qt::Key_unknown, c, {});
    EXPECT_EQ(prompts_.pending(), 0);
    EXPECT_EQ(first->text(), "ukasz");
    Child<QLineEdit>(&editor, "Edit5")->setText(QString::fromUtf8("Caf\u00e9 \u20ac 5"));
    Click(&editor, "BtnSave");
    ASSERT_EQ(editor.result(), QDialog::Accepted);
    CustTbl->go(static_cast<uint32_t>(rec));
    EXPECT_EQ(CustFld.addr1->str().substr(0, 8), "Caf\xe9 \x80 5") << "Windows-1252 bytes";
    EXPECT_EQ(Stored(rec).addr1.trimmed(), QString::fromUtf8("Caf\u00e9 \u20ac 5"));
}

class AddressBlockTest : public MastersTest {
protected:
    static void Customer(const QString& company, const QStringList& lines, const QString& zip) {
        CustBuf = {};
        CustBuf.title = "Mr ";
        CustBuf.first = "John         ";
        CustBuf.last = "Smith";
        CustBuf.addr1 = company;
        CustBuf.addr2 = lines.value(0);
        CustBuf.addr3 = lines.value(1);
        CustBuf.addr4 = lines.value(2);
        CustBuf.zip = zip + "   ";
    }
    static QStringList Block() {
        CustAddressBlock();
        return {AddressLines.begin(), AddressLines.end()};
    }
};

TEST_F(AddressBlockTest, ByNameTheNameComesFirstAndTheCodeFollowsTheLastLine) {
    SettingsRecord.ByCust = true;
    Customer("1 High Street", {"Springfield"}, "12345");
    EXPECT_EQ(Block(),
              QStringList({"Mr John Smith", "1 High Street", "Springfield  12345", "", ""}));
}

TEST_F(AddressBlockTest, ByCompanyTheCompanyComesFirstEvenWhenEmpty) {
    SettingsRecord.ByCust = false;
    Customer("Acme Ltd", {"1 High Street", "Springfield"}, "12345");
    EXPECT_EQ(Block(), QStringList({"Acme Ltd", "Mr John Smith", "1 High Street",
                                    "Springfield  12345", ""}));
    Customer("", {"1 High Street"}, "12345");
    EXPECT_EQ(Block(), QStringList({"", "Mr John Smith", "1 High Street  12345", "", ""}));
}

TEST_F(AddressBlockTest, ALineOfTwentyTwoKeepsTheCodeButOneOfTwentyThreePassesItOn) {
    SettingsRecord.ByCust = true;
    const QString line22(22, 'x');
    const QString line23(23, 'y');
    Customer("Street", {line22}, "99");
    EXPECT_EQ(Block()[2], line22 + "  99");
    Customer("Street", {line23}, "99");
    EXPECT_EQ(Block().mid(2, 2), QStringList({line23, QString(20, ' ') + "99"}));
    // A long fifth line has no line after it: the code goes after it.
    Customer("Street", {"a", "b", line23}, "99");
    EXPECT_EQ(Block()[4], line23 + "  99");
}

TEST_F(AddressBlockTest, WithoutAddressLinesTheCodeFollowsTheNameLine) {
    SettingsRecord.ByCust = true;
    Customer("", {}, "12345");
    EXPECT_EQ(Block()[0], "Mr John Smith  12345");
    SettingsRecord.ByCust = false;
    EXPECT_EQ(Block().mid(0, 2), QStringList({"", "Mr John Smith  12345"}));
    // One blank between the parts of the name, whatever the title's width; none for a part
    // that is empty.
    CustBuf.title = "Dr";
    EXPECT_EQ(Block()[1], "Dr John Smith  12345");
    CustBuf.title = "   ";
    EXPECT_EQ(Block()[1], "John Smith  12345");
}

}  // namespace
