// The import directories dialog and the invoice editor's IMPORT driven as the user drives them,
// over copies of the supplied tables with order files in two directories beside them.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTest>

#include "import/import_dir.h"
#include "import/import_dirs.h"
#include "invoice/invoice_form.h"
#include "tests/invoice/invoice_fixture.h"
#include "tests/support/modal.h"
#include "tests/xbase/fault_env.h"

using prompt::Kind;

namespace {

// An Info line for Ann Lee of 60601 in the US, with `tax` as the sales tax and 4.00 shipping.
QByteArray InfoLine(const QByteArray& last = "Lee", const QByteArray& tax = "1.75") {
    return "0,1,2,3,Ms,Ann," + last + ",1 Main St,,,Springfield,IL,60601,US,ann@example.com,555," +
           "1234,,,,Phone order,CHECK,,,,,,,,," + tax + ",4.00\r\n";
}

class ImportTest : public InvoiceTest {
protected:
    void SetUp() override {
        InvoiceTest::SetUp();
        SettingsRecord.ByCust = true;
        AddProduct("AB", 10.00);
        const QDir here = QDir::current();
        ASSERT_TRUE(here.mkpath("info") && here.mkpath("orders"));
        infoDir_ = here.filePath("info");
        orderDir_ = here.filePath("orders");
        InfoDir = infoDir_;
        OrderDir = orderDir_;
        QString error;
        ASSERT_TRUE(WriteImportDirs(&error)) << error.toStdString();
        AddGroup();
    }
    static void AddGroup() {
        GroupTbl->appendBlank();
        GroupBuf = {7, "Mail order"};
        WriteGroup();
        GroupTbl->flush();
    }
    void WritePair(const QString& name, const QByteArray& info, const QByteArray& order) {
        for (const auto& [dir, bytes] : {std::pair{infoDir_, info}, std::pair{orderDir_, order}}) {
            QFile file(QDir(dir).filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            ASSERT_EQ(file.write(bytes), bytes.size());
        }
    }
    // Expects the file dialog of IMPORT, answered with `name` in the Info directory; further
    // prompts of the import can be chained.
    ScriptedPrompts& ExpectFile(const QString& name) {
        return prompts_.expect(Kind::OpenFile, "Import an Order",
                               {true, QDir(infoDir_).filePath(name)});
    }
    // Presses IMPORT and chooses `name`.
    void Import(QWidget* editor, const QString& name) {
        ExpectFile(name);
        Click(editor, "BtnImport");
    }
    static QString Address(QWidget* editor) {
        return Child<QPlainTextEdit>(editor, "Memo1")->toPlainText();
    }
    static QString Cell(QWidget* editor, int row, int column) {
        QTableWidgetItem* item = Child<QTableWidget>(editor, "StringGrid1")->item(row, column);
        return item ? item->text() : QString();
    }
    // Saves a new invoice, answering No to another one.
    void SaveNew(QWidget* editor, bool first) {
        if (first) prompts_.expect(Kind::Input, "What invoice number", {true, "100"});
        prompts_.expect(Kind::Question, "Add another invoice?", {false, {}});
        Click(editor, "BtnSave");
        EXPECT_EQ(prompts_.pending(), 0);
    }

    QString infoDir_;
    QString orderDir_;
};

TEST_F(ImportTest, AnOrderOfAStoredCustomerBecomesANewInvoiceEachTimeItIsImported) {
    AddCustomer(1, "Lee", "Ann");
    CustTbl->go(1);
    WriteText(CustFld.zip, "60601");
    WriteText(CustFld.addr1, "Stored street");
    CustTbl->flush();
    WritePair("A1.txt", InfoLine(),
              "1,ab,Shirt,12.50,2,,,Large\r\n1,ZZ,Mystery,1.00,1\r\n1,AB\r\n");

    CurInvRec = 0;
    TInvoice editor;
    editor.show();
    ExpectFile("A1.txt").expect(Kind::Warning, "Item ZZ - Mystery NOT FOUND IN PRODUCT DATABASE");
    Click(&editor, "BtnImport");
    ASSERT_EQ(prompts_.pending(), 0);
    EXPECT_TRUE(Address(&editor).contains("Stored street")) << "the stored customer stands";
    EXPECT_EQ(Text(&editor, "Edit3"), "CHECK");
    EXPECT_EQ(Cell(&editor, 0, 0), "AB");
    EXPECT_EQ(Cell(&editor, 0, 1), "Description of AB");
    EXPECT_EQ(Cell(&editor, 0, 2), "12.50") << "the order's price, not the product's";
    EXPECT_EQ(Cell(&editor, 0, 3), "2.00");
    EXPECT_EQ(Cell(&editor, 0, 4), "25.00");
    EXPECT_EQ(Cell(&editor, 0, 5), "2");
    EXPECT_EQ(Cell(&editor, 1, 0), "ZZ");
    EXPECT_EQ(Cell(&editor, 2, 4), "0.00") << "a line without price or quantity";
    EXPECT_EQ(Cell(&editor, 2, 5), "2");
    EXPECT_EQ(Text(&editor, "MaskEdit3").trimmed(), "4.00");
    EXPECT_EQ(Text(&editor, "MaskEdit4").trimmed(), "1.75");
    EXPECT_EQ(Text(&editor, "MaskEdit5").trimmed(), "31.75");
    EXPECT_TRUE(
        Child<QPlainTextEdit>(&editor, "Memo2")->toPlainText().startsWith("Phone order\nA1.txt\n"));

    SaveNew(&editor, true);
    EXPECT_FALSE(editor.isVisible());
    editor.show();  // on the invoice just saved; the files stay: the same pair again
    ExpectFile("A1.txt").expect(Kind::Warning, "Item ZZ");
    Click(&editor, "BtnImport");
    SaveNew(&editor, false);
    EXPECT_EQ(InvTbl->recCount(), 2u);
    EXPECT_EQ(CustTbl->recCount(), 1u) << "no second customer";
    InvTbl->go(2);
    ReadInvoice();
    EXPECT_EQ(InvBuf.IvNo, 101);
    EXPECT_EQ(InvBuf.CuNo, 1);
    EXPECT_DOUBLE_EQ(InvBuf.Ship, 4.0);
    ItemTbl->select(ItemTbl->tag("Itm"));
    ASSERT_EQ(Seek(ItemTbl, InvKey(101)), xbase::kFound);
    ReadItem();
    EXPECT_EQ(ItemBuf.PrID.trimmed(), "AB");
    EXPECT_DOUBLE_EQ(ItemBuf.UPR, 12.5);
    EXPECT_FALSE(ItemBuf.LTax1);
    EXPECT_TRUE(ItemBuf.LTax2);
    EXPECT_TRUE(QFile::exists(QDir(infoDir_).filePath("A1.txt")));
}

TEST_F(ImportTest, ANewCustomerIsStoredOnlyWithItsInvoiceInOneChange) {
    WritePair("B2.txt", InfoLine("\"Smith, Jr.\"", "0"), "1,AB,Shirt,5,1\n");
    CurInvRec = 0;
    {
        TInvoice editor;
        editor.show();
        onNextModal([](QWidget* groups) { Click(groups, "BtnSelect"); });
        Import(&editor, "B2.txt");
        EXPECT_TRUE(Address(&editor).contains("Ann Smith, Jr.")) << Address(&editor).toStdString();
        EXPECT_EQ(Cell(&editor, 0, 4), "5.00");
        EXPECT_EQ(Cell(&editor, 0, 5), "") << "no sales tax: no tax 2";
        prompts_.expect(Kind::WarningConfirm, "Close without saving?");
        Click(&editor, "BtnCancel");
    }
    EXPECT_EQ(CustTbl->recCount(), 0u) << "cancelled: no customer stored";

    // A Save that fails is told and keeps the import on the screen, its new customer with it,
    // for another try. (That nothing of a failed change stays in the tables is the change's own
    // promise, tested with it.)
    FaultEnv env;
    DbContext->closeAll();
    DbContext = std::make_unique<xbase::Context>(".", &env);
    ASSERT_TRUE(OpenCustomers() && OpenGroups() && OpenInvoices() && OpenItems() &&
                OpenPayments() && OpenProducts());
    OpenInvoice(1, 0, 0, 0);
    Store(0);
    {
        TInvoice editor;
        editor.show();
        onNextModal([](QWidget* groups) { Click(groups, "BtnSelect"); });
        Import(&editor, "B2.txt");
        prompts_.expect(Kind::Information, "");
        env.failAfter(1);
        Click(&editor, "BtnSave");
        EXPECT_TRUE(env.tripped());
        EXPECT_TRUE(editor.isVisible());
        EXPECT_TRUE(Address(&editor).contains("Ann Smith, Jr."));
        env.failAfter(0);

        DbContext->closeAll();
        ASSERT_TRUE(OpenCustomers() && OpenGroups() && OpenInvoices() && OpenItems() &&
                    OpenPayments() && OpenProducts());
        prompts_.expect(Kind::Question, "Add another invoice?", {false, {}});
        Click(&editor, "BtnSave");
        EXPECT_FALSE(editor.isVisible());
    }
    InvTbl->go(static_cast<uint32_t>(CurInvRec));
    ReadInvoice();
    CustTbl->select(CustTbl->tag("CCNO"));
    ASSERT_EQ(Seek(CustTbl, InvKey(InvBuf.CuNo)), xbase::kFound);
    ReadCustomer();
    EXPECT_EQ(CustBuf.ngroup, 7);
    EXPECT_EQ(CustBuf.last.trimmed(), "Smith, Jr.");
    EXPECT_EQ(CustBuf.phone.trimmed(), "555 1234");
    DbContext->closeAll();
    InitDbContext();  // the context must not outlive `env`
}

TEST_F(ImportTest, ImportingOverAStoredInvoiceSavesANewOneAndLeavesTheStoredIntact) {
    AddCustomer(1, "Lee", "Ann");
    CustTbl->go(1);
    WriteText(CustFld.zip, "60601");
    CustTbl->flush();
    OpenInvoice(5, 1, 2, 1);
    const int32_t stored = Store(0);
    WritePair("C3.txt", InfoLine(), "1,AB,Shirt,5,1\n");

    CurInvRec = stored;
    TInvoice editor;
    editor.show();
    EXPECT_EQ(Text(&editor, "Edit1"), "     5");
    Import(&editor, "C3.txt");
    EXPECT_EQ(Text(&editor, "Edit1"), "     6");
    EXPECT_FALSE(Child<QAbstractButton>(&editor, "BtnDelete")->isEnabled());
    SaveNew(&editor, false);
    EXPECT_EQ(CurInvRec, 2);
    EXPECT_EQ(InvTbl->recCount(), 2u);
    EXPECT_EQ(StoredItems(5).size(), 2u) << "the stored invoice keeps its items";
    EXPECT_EQ(StoredItems(6).size(), 1u);
}

TEST_F(ImportTest, MissingDirectoriesFilesAndMalformedFilesImportNothing) {
    WritePair("D4.txt", InfoLine(), "1,AB,Shirt,five,1\n");
    QFile::copy(QDir(infoDir_).filePath("D4.txt"), QDir(infoDir_).filePath("lonely.txt"));
    AddCustomer(1, "Lee", "Ann");
    CustTbl->go(1);
    WriteText(CustFld.zip, "60601");
    CustTbl->flush();
    CurInvRec = 0;
    TInvoice editor;
    editor.show();

    ExpectFile("D4.txt").expect(Kind::Information,
                                "Order file " + QDir(orderDir_).filePath("D4.txt") +
                                    " cannot be imported: line 1: the price 'five'");
    Click(&editor, "BtnImport");
    ExpectFile("lonely.txt")
        .expect(Kind::Information, QDir(orderDir_).filePath("lonely.txt") + " Not Found");
    Click(&editor, "BtnImport");
    prompts_.expect(Kind::OpenFile, "Import an Order", {false, {}});
    Click(&editor, "BtnImport");
    EXPECT_EQ(prompts_.pending(), 0);
    EXPECT_EQ(Child<QTableWidget>(&editor, "StringGrid1")->item(0, 0), nullptr);
    EXPECT_EQ(Address(&editor), "");

    InfoDir = "";
    QString error;
    ASSERT_TRUE(WriteImportDirs(&error));
    prompts_.expect(Kind::Information,
                    "Directories containing Info and Order files must be selected proir to "
                    "using the Import function. See Preferences/Import Dir's");
    Click(&editor, "BtnImport");
    EXPECT_EQ(prompts_.pending(), 0);
    EXPECT_EQ(InvTbl->recCount(), 0u);
}

TEST_F(ImportTest, SeveralMatchesWarnAndAForeignAddressTooLongIsTold) {
    for (int cuno : {1, 2}) {
        AddCustomer(cuno, "Lee", "Ann");
        CustTbl->go(static_cast<uint32_t>(cuno));
        WriteText(CustFld.zip, "60601");
        WriteText(CustFld.note, "customer " + QString::number(cuno));
        CustTbl->flush();
    }
    QByteArray info = InfoLine();
    info.replace("1 Main St,,,", "1 Main St,Unit 2,Block 3,").replace(",US,", ",France,");
    WritePair("E5.txt", info, "");
    CurInvRec = 0;
    TInvoice editor;
    editor.show();
    ExpectFile("E5.txt")
        .expect(Kind::Information, "Could not import full address: Country = France")
        .expect(Kind::Warning, "Multiple Matches on Name / Zip");
    Click(&editor, "BtnImport");
    EXPECT_EQ(prompts_.pending(), 0);
    EXPECT_EQ(Text(&editor, "Edit4"), "customer 1") << "the first match is taken";

    // No group chosen for a customer not stored: the invoice has no customer.
    WritePair("F6.txt", InfoLine("Nobody"), "");
    onNextModal([](QWidget* groups) { Click(groups, "BtnCancel"); });
    Import(&editor, "F6.txt");
    EXPECT_EQ(Address(&editor), "");
    prompts_.expect(Kind::Information, "Customer selection required before saving.");
    Click(&editor, "BtnSave");
    EXPECT_EQ(CustTbl->recCount(), 2u);
}

TEST_F(ImportTest, OverLongTextsAreCutToTheirFieldsAndListedAndTheImportSavesAsImported) {
    WritePair("G7.txt", InfoLine("Zimmermann-Schultheiss"),
              "1,GIFT-CARD-XL,A gift card in a long presentation box,25.00,1,,,"
              "with a handwritten greeting card\r\n");
    CurInvRec = 0;
    TInvoice editor;
    editor.show();
    QString why;
    onNextModal([&why](QWidget* groups) {
        if (auto* label = Child<QLabel>(groups, "LabelWhy")) why = label->text();
        Click(groups, "BtnSelect");
    });
    ExpectFile("G7.txt")
        .expect(Kind::Warning,
                "Item GIFT-CARD-XL - A gift card in a long presentation box NOT "
                "FOUND IN PRODUCT DATABASE")
        .expect(Kind::Information,
                "were cut:\n"
                "Item GIFT-CARD-XL, description (27 characters): \"A gift card in a long "
                "prese\", cut from \"A gift card in a long presentation box\"\n"
                "Item GIFT-CARD-XL, comment line (27 characters): \"with a handwritten "
                "greeting\", cut from \"with a handwritten greeting card\"\n"
                "Item GIFT-CARD-XL, product code (10 characters): \"GIFT-CARD-\", cut from "
                "\"GIFT-CARD-XL\"\n"
                "Customer last name (20 characters): \"Zimmermann-Schulthei\", cut from "
                "\"Zimmermann-Schultheiss\"");
    Click(&editor, "BtnImport");
    EXPECT_EQ(prompts_.pending(), 0);
    EXPECT_TRUE(why.contains("Ann Zimmermann-Schulthei, is not in the customer list yet"))
        << why.toStdString();

    SaveNew(&editor, true);
    EXPECT_FALSE(editor.isVisible()) << "the cut import saves as it is";
    InvTbl->go(static_cast<uint32_t>(CurInvRec));
    ReadInvoice();
    EXPECT_DOUBLE_EQ(InvBuf.Ship, 4.0) << "the imported amounts stand";
    EXPECT_DOUBLE_EQ(InvBuf.Tax, 1.75);
    EXPECT_EQ(InvFld.REM->memo().substr(0, 21), "Phone order\r\nG7.txt\r\n")
        << "the remarks' lines end with a carriage return and a line feed";
    ASSERT_EQ(StoredItems(100).size(), 1u);
    ItemTbl->select(ItemTbl->tag("Itm"));
    ASSERT_EQ(Seek(ItemTbl, InvKey(100)), xbase::kFound);
    ReadItem();
    EXPECT_EQ(ItemBuf.PrID, "GIFT-CARD-");
    EXPECT_EQ(ItemBuf.PDesc, "A gift card in a long prese");
}

TEST_F(ImportTest, AnOrderWithACharacterTheTablesCannotHoldIsRefusedNamingIt) {
    WritePair("H8.txt", InfoLine("Wa\xC5\x82\xC4\x99sa"), "1,AB,Shirt,1,1\n");
    CurInvRec = 0;
    TInvoice editor;
    editor.show();
    ExpectFile("H8.txt").expect(Kind::Information,
                                "line 1, field 6: The character \"\u0142\" (U+0142) cannot be "
                                "stored");
    Click(&editor, "BtnImport");
    EXPECT_EQ(prompts_.pending(), 0);
    EXPECT_EQ(Child<QTableWidget>(&editor, "StringGrid1")->item(0, 0), nullptr);

    // The euro sign is the code page's own.
    WritePair("H8.txt", InfoLine(), "1,EU,Caf\xC3\xA9 \xE2\x82\xAC 5,1,1\n");
    AddCustomer(1, "Lee", "Ann");
    CustTbl->go(1);
    WriteText(CustFld.zip, "60601");
    CustTbl->flush();
    ExpectFile("H8.txt").expect(Kind::Warning, "Item EU - Caf\u00e9 \u20ac 5 NOT FOUND");
    Click(&editor, "BtnImport");
    EXPECT_EQ(prompts_.pending(), 0);
    EXPECT_EQ(Cell(&editor, 0, 1), "Caf\u00e9 \u20ac 5");
}

// The text of the element with the id in a help page: what lies between its opening tag and the
// next closing tag.
QString Element(const QString& page, const QString& id) {
    const qsizetype open = page.indexOf("id=\"" + id + "\">");
    if (open < 0) return {};
    const qsizetype from = page.indexOf('>', open) + 1;
    return page.mid(from, page.indexOf("</", from) - from);
}

QString SourceFile(const QString& name) {
    QFile file(QDir(CORVANE_SOURCE_DIR).filePath(name));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST_F(ImportTest, TheSamplePairOfTheHelpPageAndTheReadmeImportsAsTheyShow) {
    const QString page = SourceFile("help/650.html");
    const QString info = Element(page, "sample-info");
    const QStringList order = Element(page, "sample-order").split('\n');
    ASSERT_FALSE(info.isEmpty());
    ASSERT_EQ(order.size(), 2);
    const QString readme = SourceFile("README.md");
    for (const QString& line : QStringList{info} + order)
        EXPECT_TRUE(readme.contains("\n    " + line + "\n")) << line.toStdString();

    WritePair("W1001.txt", info.toUtf8() + "\n", order.join('\n').toUtf8() + "\n");
    CurInvRec = 0;
    TInvoice editor;
    editor.show();
    onNextModal([](QWidget* groups) { Click(groups, "BtnSelect"); });
    ExpectFile("W1001.txt")
        .expect(Kind::Warning, "Item MUG-1 - Stoneware mug NOT FOUND")
        .expect(Kind::Warning, "Item TEA-50 - Green tea 50 bags NOT FOUND");
    Click(&editor, "BtnImport");
    EXPECT_EQ(prompts_.pending(), 0);
    for (const char* part : {"Anna Keller", "12 Harbour Road", "Portland, ME", "04101"})
        EXPECT_TRUE(Address(&editor).contains(part)) << part;
    EXPECT_EQ(CustBuf.phone, "207 5550123");
    EXPECT_EQ(Text(&editor, "Edit4"), "Gift wrap");
    EXPECT_EQ(Text(&editor, "Edit3"), "VISA x04/27");
    EXPECT_EQ(Text(&editor, "MaskEdit3").trimmed(), "6.50");
    EXPECT_EQ(Text(&editor, "MaskEdit4").trimmed(), "1.25");
    const std::vector<std::vector<QString>> items = {
        {"MUG-1", "Stoneware mug", "12.00", "2.00"},
        {"TEA-50", "Green tea 50 bags", "4.50", "1.00"}};
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 4; ++column)
            EXPECT_EQ(Cell(&editor, row, column), items[row][column]) << row << ", " << column;
        EXPECT_EQ(ItemRows[static_cast<size_t>(row)][kItemTax2], "t");
    }
    EXPECT_EQ(ItemRows[0][kItemComment], "Blue");
    EXPECT_TRUE(Child<QPlainTextEdit>(&editor, "Memo2")
                    ->toPlainText()
                    .startsWith("Leave at the side door\nW1001.txt\nSource: Web shop\n"));
}

class ImportDirTest : public InvoiceTest {
protected:
    static QLineEdit* Box(QWidget* dialog, const char* name) {
        return Child<QLineEdit>(dialog, name);
    }
};

TEST_F(ImportDirTest, TheDialogShowsTheStoredPathsAndSavesWhatIsTypedOrChosen) {
    InfoDir = "  /srv/info  ";
    OrderDir = "/srv/orders";
    QString error;
    ASSERT_TRUE(WriteImportDirs(&error));

    TImportdir dialog;
    dialog.show();
    EXPECT_FALSE(dialog.isModal());
    EXPECT_EQ(dialog.windowTitle(), "Import Directories");
    EXPECT_EQ(dialog.findChild<QLabel*>("Label2")->text(), "Directory containing Order Files");
    EXPECT_EQ(Box(&dialog, "Edit1")->text(), "/srv/info");
    EXPECT_EQ(Box(&dialog, "Edit2")->text(), "/srv/orders");

    prompts_.expect(Kind::Directory, "Choose Customer Info Directory", {true, "/data/in"})
        .expect(Kind::Directory, "Choose Order File Directory", {false, {}});
    Click(&dialog, "BInfo");
    Click(&dialog, "BOrder");
    EXPECT_EQ(Box(&dialog, "Edit1")->text(), "/data/in");
    EXPECT_EQ(Box(&dialog, "Edit2")->text(), "") << "a cancelled chooser empties its box";

    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    Box(&dialog, "Edit2")->setFocus();
    QTest::keyClicks(Box(&dialog, "Edit2"), "/data/" + QString(200, 'x'));
    QTest::keyClick(Box(&dialog, "Edit2"), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>(&dialog, "BSave"));
    Click(&dialog, "BSave");
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_TRUE(ReadImportDirs());
    EXPECT_EQ(InfoDir, "/data/in");
    EXPECT_EQ(OrderDir, "/data/" + QString(kMaxImportDirLength - 6, 'x'));

    dialog.show();
    Box(&dialog, "Edit1")->setText("/elsewhere");
    Click(&dialog, "BCancel");
    ASSERT_TRUE(ReadImportDirs());
    EXPECT_EQ(InfoDir, "/data/in");
}

TEST_F(ImportDirTest, AFailedWriteIsToldAndTheDialogStaysOpen) {
    FaultEnv env;
    DbContext->closeAll();
    DbContext = std::make_unique<xbase::Context>(".", &env);
    TImportdir dialog;
    dialog.show();
    Box(&dialog, "Edit1")->setText("/in");
    env.failAfter(1);
    prompts_.expect(Kind::Warning, "Unable to save the import directories");
    Click(&dialog, "BSave");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(Box(&dialog, "Edit1")->text(), "/in");
    env.failAfter(0);
    ASSERT_TRUE(ReadImportDirs());
    EXPECT_EQ(InfoDir, "");
    Click(&dialog, "BSave");
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_TRUE(ReadImportDirs());
    EXPECT_EQ(InfoDir, "/in");
    InitDbContext();  // the context must not outlive `env`
}

}  // namespace
