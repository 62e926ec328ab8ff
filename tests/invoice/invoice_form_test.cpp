// The invoice editor driven as the user drives it: choosing the customer and the items through
// their lists, the taxes and totals on screen, the first number, saving, deleting, cancelling and
// printing.
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "invoice/invoice_form.h"
#include "invoice/invoice_loop.h"
#include "invoice/pick_pmt.h"
#include "report/report_document.h"
#include "reports/invoice_actions.h"
#include "tests/invoice/invoice_fixture.h"
#include "tests/support/modal.h"
#include "ui/number_box.h"

namespace {

class InvoiceFormTest : public InvoiceTest {
protected:
    void SetUp() override {
        InvoiceTest::SetUp();
        SettingsRecord.ByCust = true;
        SettingsRecord.TaxRate1 = 5;
        SettingsRecord.TaxRate2 = 8;
        SettingsRecord.ShipTax = 2;
        SettingsRecord.TaxRound = 1;
        AddCustomer(1, "Adams", "Ann");
        AddProduct("A", 10.00);
        AddProduct("B", 5.00);
    }
    // Picks the first customer of the list.
    static void ChooseCustomer(QWidget* editor) {
        onNextModal([](QWidget* list) { Click(list, "BtnSelect"); });
        Click(editor, "BtnCust");
    }
    // Picks product row `row` and saves the item with the quantity typed.
    static void AddItem(QWidget* editor, int row, const QString& quantity) {
        onNextModal([row, quantity](QWidget* list) {
            Child<QTableWidget>(list, "StringGrid1")->setCurrentCell(row, 0);
            onNextModal([quantity](QWidget* item) {
                auto* box = Child<NumberBox>(item, "MaskEdit2");
                box->setFocus();
                box->selectAll();
                QTest::keyClicks(box, quantity);
                Child<QWidget>(item, "Edit2")->setFocus();
                Click(item, "BtnSave");
            });
            Click(list, "BtnSelect");
        });
        Click(editor, "BAddItm");
    }
    static QByteArray AllTables() {
        QByteArray bytes;
        for (const char* name : {"INV5.dbf", "ITM5.dbf", "PMT.dbf", "CUST5.dbf", "INV5.dbt",
                                 "CUST5.dbt", "Inv.ntx", "Itm.ntx", "Pmt.ntx"})
            bytes += FileBytes(name);
        return bytes;
    }
};

TEST_F(InvoiceFormTest, TheFirstInvoiceAsksForItsNumberAndTheNextFollowsIt) {
    CurInvRec = 0;
    TInvoice editor;
    editor.show();
    EXPECT_EQ(Text(&editor, "Edit1"), "     1");
    EXPECT_FALSE(Child<QAbstractButton>(&editor, "BtnDelete")->isEnabled());
    ChooseCustomer(&editor);
    EXPECT_TRUE(Child<QPlainTextEdit>(&editor, "Memo1")->toPlainText().startsWith("Ann Adams"));
    AddItem(&editor, 0, "3");  // A: 10.00 x 3, both taxes
    AddItem(&editor, 1, "1");  // B: 5.00 x 1
    EXPECT_EQ(Text(&editor, "MaskEdit2").trimmed(), "35.00");
    EXPECT_EQ(Text(&editor, "MaskEdit5").trimmed(), "35.00");  // products bear no tax

    prompts_
        .expect(prompt::Kind::Input, "What invoice number would you like to start with?",
                {true, ""})
        .expect(prompt::Kind::Question, "Add another invoice?", {true, {}});
    Click(&editor, "BtnSave");
    EXPECT_EQ(prompts_.pending(), 0);
    ASSERT_TRUE(editor.isVisible()) << "Yes keeps the window open for another invoice";
    EXPECT_EQ(Text(&editor, "Edit1"), "     2");
    EXPECT_EQ(CurInvRec, 0);
    EXPECT_EQ(StoredItems(1).size(), 2u);

    ChooseCustomer(&editor);
    prompts_.expect(prompt::Kind::Question, "Add another invoice?", {false, {}});
    Click(&editor, "BtnSave");
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(CurInvRec, 2);
    InvTbl->go(2);
    EXPECT_EQ(InvFld.IvNo->asInt(), 2);
}

TEST_F(InvoiceFormTest, TaxesFollowTheItemsAndATypedTaxStaysUntilTheyChange) {
    ProdTbl->go(1);
    ProdFld.LTax1->assign("T");
    ProdFld.LTax2->assign("T");
    ProdTbl->go(2);
    ProdFld.LTax2->assign("T");
    ProdTbl->flush();
    CurInvRec = 0;
    TInvoice editor;
    editor.show();
    ChooseCustomer(&editor);
    AddItem(&editor, 0, "3");
    AddItem(&editor, 1, "1");
    EXPECT_EQ(Text(&editor, "MaskEdit3").trimmed(), "1.50");
    EXPECT_EQ(Text(&editor, "MaskEdit4").trimmed(), "2.92");
    EXPECT_EQ(Text(&editor, "MaskEdit5").trimmed(), "39.42");

    editor.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    auto* shipping = Child<NumberBox>(&editor, "MaskEdit3");
    shipping->setFocus();
    shipping->selectAll();
    QTest::keyClicks(shipping, "4");
    QTest::keyClick(shipping, Qt::Key_Return);
    EXPECT_EQ(Text(&editor, "MaskEdit5").trimmed(), "41.92");
    EXPECT_EQ(Text(&editor, "MaskEdit7").trimmed(), "41.92");

    onNextModal([](QWidget* payment) {
        auto* amount = Child<NumberBox>(payment, "MaskEdit2");
        amount->setFocus();
        amount->selectAll();
        QTest::keyClicks(amount, "50");
        Child<QWidget>(payment, "MaskEdit1")->setFocus();
        Click(payment, "BtnSave");
    });
    Click(&editor, "BAddPmt");
    EXPECT_EQ(Text(&editor, "MaskEdit3").trimmed(), "4.00") << "payments leave the taxes alone";
    EXPECT_EQ(Text(&editor, "MaskEdit6").trimmed(), "50.00");
    EXPECT_EQ(Text(&editor, "MaskEdit7").trimmed(), "-8.08");

    // Deleting an item recomputes the taxes, replacing the typed amount.
    Child<QTableWidget>(&editor, "StringGrid1")->setCurrentCell(1, 0);
    onNextModal([](QWidget* item) { Click(item, "BtnDelete"); });
    Click(&editor, "BEditItm");
    EXPECT_EQ(Text(&editor, "MaskEdit3").trimmed(), "1.50");
    EXPECT_EQ(Text(&editor, "MaskEdit4").trimmed(), "2.52");
    EXPECT_EQ(Text(&editor, "MaskEdit2").trimmed(), "30.00");
}

TEST_F(InvoiceFormTest, TaxLinesBearTheSetupsLabelsAndAChargeTypedOnARateZeroLineStays) {
    SettingsRecord.ShipLine = QString("Delivery").leftJustified(60);
    SettingsRecord.TaxLine = QString("  ME Sales Tax 5.5%").leftJustified(60);
    SettingsRecord.TaxRate1 = 0;  // delivery is a flat charge typed on each invoice
    SettingsRecord.TaxRate2 = 5.5;
    ProdTbl->go(1);
    ProdFld.LTax2->assign("T");
    ProdTbl->flush();
    CurInvRec = 0;
    TInvoice editor;
    editor.show();
    EXPECT_EQ(Child<QLabel>(&editor, "Label7")->text(), "Delivery:");
    EXPECT_EQ(Child<QLabel>(&editor, "Label8")->text(), "ME Sales Tax 5.5%:");
    ChooseCustomer(&editor);
    editor.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    auto* delivery = Child<NumberBox>(&editor, "MaskEdit3");
    delivery->setFocus();
    delivery->selectAll();
    QTest::keyClicks(delivery, "7.50");
    QTest::keyClick(delivery, Qt::Key_Return);
    EXPECT_EQ(delivery->text(), "      7.50") << "no underscores in a number box";

    AddItem(&editor, 0, "3");  // A: 10.00 x 3, bearing tax 2
    EXPECT_EQ(Text(&editor, "MaskEdit3").trimmed(), "7.50");
    EXPECT_EQ(Text(&editor, "MaskEdit4").trimmed(), "2.06");  // 5.5 % of 30.00 + 7.50
    auto* grid = Child<QTableWidget>(&editor, "StringGrid1");
    EXPECT_EQ(grid->item(0, 4)->text(), "30.00") << "the total column holds the amount alone";
    EXPECT_EQ(grid->item(0, 5)->text(), "2");
    grid->setCurrentCell(0, 0);
    onNextModal([](QWidget* item) {
        auto* quantity = Child<NumberBox>(item, "MaskEdit2");
        quantity->setFocus();
        quantity->selectAll();
        QTest::keyClicks(quantity, "4");
        Child<QWidget>(item, "Edit2")->setFocus();
        Click(item, "BtnSave");
    });
    Click(&editor, "BEditItm");
    EXPECT_EQ(Text(&editor, "MaskEdit3").trimmed(), "7.50") << "a changed item keeps the charge";
    EXPECT_EQ(Text(&editor, "MaskEdit4").trimmed(), "2.61");
    EXPECT_EQ(Text(&editor, "MaskEdit7").trimmed(), "50.11");

    // A new payment starts at the amount due.
    QString offered;
    onNextModal([&offered](QWidget* payment) {
        offered = Child<NumberBox>(payment, "MaskEdit2")->entryText().trimmed();
        Click(payment, "BtnSave");
    });
    Click(&editor, "BAddPmt");
    EXPECT_EQ(offered, "50.11");
    EXPECT_EQ(Text(&editor, "MaskEdit7").trimmed(), "0.00");
}

TEST_F(InvoiceFormTest, CancelLeavesTheTablesAsTheyWereAndDeleteRemovesEverything) {
    OpenInvoice(7, 1, 5, 2);
    const int32_t rec = Store(0);
    OpenInvoice(8, 1, 1, 0);
    Store(0);
    DbContext->closeAll();
    const QByteArray before = AllTables();
    ASSERT_TRUE(OpenCustomers() && OpenGroups() && OpenInvoices() && OpenItems() &&
                OpenPayments() && OpenProducts());

    CurInvRec = rec;
    {
        TInvoice editor;
        editor.show();
        EXPECT_EQ(Text(&editor, "Edit1"), "     7");
        EXPECT_EQ(Child<QTableWidget>(&editor, "StringGrid1")->rowCount(), 5);
        AddItem(&editor, 1, "2");
        Child<QLineEdit>(&editor, "Edit4")->setText("changed note");
        // Changes are thrown away only when the user agrees; Escape asks as Cancel does.
        prompts_.expect(prompt::Kind::WarningConfirm, "Close without saving?", {false, {}});
        Click(&editor, "BtnCancel");
        EXPECT_TRUE(editor.isVisible());
        prompts_.expect(prompt::Kind::WarningConfirm, "Close without saving?");
        QTest::keyClick(&editor, Qt::Key_Escape);
        EXPECT_FALSE(editor.isVisible());
        EXPECT_EQ(prompts_.cancelDefaults(), 2);
    }
    EXPECT_EQ(CurInvRec, rec);
    DbContext->closeAll();
    EXPECT_EQ(AllTables(), before);
    ASSERT_TRUE(OpenCustomers() && OpenGroups() && OpenInvoices() && OpenItems() &&
                OpenPayments() && OpenProducts());

    TInvoice editor;
    editor.show();
    // The invoice has payments: Delete names them and asks, Cancel keeps everything.
    prompts_.expect(prompt::Kind::WarningConfirm, "Invoice 7 has 2 payments", {false, {}});
    Click(&editor, "BtnDelete");
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(InvTbl->recCount(), 2u);
    EXPECT_EQ(PmtTbl->recCount(), 2u);
    prompts_.expect(prompt::Kind::WarningConfirm, "Deleting the invoice deletes them too");
    Click(&editor, "BtnDelete");
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(InvTbl->recCount(), 1u);
    EXPECT_EQ(ItemTbl->recCount(), 1u);
    EXPECT_EQ(PmtTbl->recCount(), 0u);
    EXPECT_EQ(CurInvRec, 1) << "the last invoice left";
}

TEST_F(InvoiceFormTest, ItemsDeletedInTheEditorLeaveTheirRecordsSpare) {
    OpenInvoice(4, 1, 5, 0);
    const int32_t rec = Store(0);
    CurInvRec = rec;
    TInvoice editor;
    editor.show();
    auto* grid = Child<QTableWidget>(&editor, "StringGrid1");
    for (int i = 0; i < 2; ++i) {
        grid->setCurrentCell(0, 0);
        onNextModal([](QWidget* item) { Click(item, "BtnDelete"); });
        Click(&editor, "BEditItm");
    }
    EXPECT_EQ(grid->item(0, 0)->text(), "P3");
    Click(&editor, "BtnSave");
    EXPECT_FALSE(editor.isVisible()) << "a stored invoice closes without asking";
    EXPECT_EQ(CurInvRec, rec);
    const auto items = StoredItems(4);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].second, "P3");
    EXPECT_EQ(StoredItems(0).size(), 2u);
    EXPECT_EQ(ItemTbl->recCount(), 5u);
}

// Prices, quantities, totals and amounts stand right-aligned; products and dates left.
TEST_F(InvoiceFormTest, NumberColumnsOfTheItemAndPaymentGridsStandRight) {
    OpenInvoice(4, 1, 1, 1);
    CurInvRec = Store(0);
    TInvoice editor;
    editor.show();
    TPickPmt payments;
    payments.show();
    const struct {
        QWidget* window;
        QList<bool> right;
    } cases[] = {{&editor, {false, false, true, true, true, false}}, {&payments, {false, true}}};
    for (const auto& c : cases) {
        auto* grid = Child<QTableWidget>(c.window, "StringGrid1");
        QList<bool> right;
        for (int col = 0; col < grid->columnCount(); ++col)
            right << ((grid->item(0, col)->textAlignment() & Qt::AlignHorizontal_Mask) ==
                      Qt::AlignRight);
        EXPECT_EQ(right, c.right) << c.window->objectName().toStdString();
    }
}

TEST_F(InvoiceFormTest, TheInvoiceLoopComesBackToTheListOnTheNewInvoice) {
    DbContext->closeAll();
    CustTbl = GroupTbl = InvTbl = ItemTbl = PmtTbl = ProdTbl = nullptr;
    onNextModal([](QWidget* list) {
        onNextModal([](QWidget* editor) {
            ChooseCustomer(editor);
            onNextModal([](QWidget* again) {
                auto* grid = Child<QTableWidget>(again, "StringGrid1");
                EXPECT_EQ(grid->item(grid->currentRow(), 0)->text().trimmed(), "1");
                Click(again, "BtnCancel");
            });
            Click(editor, "BtnSave");
        });
        Click(list, "BtnNew");
    });
    prompts_.expect(prompt::Kind::Input, "What invoice number", {true, "1"})
        .expect(prompt::Kind::Question, "Add another invoice?", {false, {}});
    RunInvoiceLoop(nullptr);
    EXPECT_EQ(prompts_.pending(), 0);
    EXPECT_EQ(InvTbl, nullptr) << "the loop closes its tables";
    xbase::Table* invoices = DbContext->open("INV5");
    ASSERT_NE(invoices, nullptr);
    EXPECT_EQ(invoices->recCount(), 1u);
}

TEST_F(InvoiceFormTest, TheInvoiceLoopPacksItemsAwayOnceSparesCrowdThemAndOnlyThen) {
    AddCustomer(1, "Adams");
    OpenInvoice(1, 1, 20, 0);
    const int32_t rec = Store(0);
    OpenInvoice(1, 1, 19, 0);
    Store(rec);
    DbContext->closeAll();
    CustTbl = GroupTbl = InvTbl = ItemTbl = PmtTbl = ProdTbl = nullptr;
    const auto leaveTheList = [] { onNextModal([](QWidget* list) { Click(list, "BtnCancel"); }); };
    const auto itemRecords = [] {
        xbase::Table* items = DbContext->open("ITM5");
        const uint32_t count = items ? items->recCount() : 0;
        DbContext->closeAll();
        return count;
    };
    leaveTheList();
    RunInvoiceLoop(nullptr);
    EXPECT_EQ(itemRecords(), 20u) << "one spare in twenty waits for the next save";

    ASSERT_TRUE(OpenCustomers() && OpenGroups() && OpenInvoices() && OpenItems() &&
                OpenPayments() && OpenProducts());
    OpenInvoice(1, 1, 12, 0);
    Store(rec);
    DbContext->closeAll();
    CustTbl = GroupTbl = InvTbl = ItemTbl = PmtTbl = ProdTbl = nullptr;
    leaveTheList();
    RunInvoiceLoop(nullptr);
    EXPECT_EQ(itemRecords(), 12u);
    EXPECT_EQ(prompts_.pending(), 0);
}

TEST_F(InvoiceFormTest, SavingWithoutACustomerIsRefused) {
    CurInvRec = 0;
    TInvoice editor;
    editor.show();
    prompts_.expect(prompt::Kind::Information, "Customer selection required before saving.");
    Click(&editor, "BtnSave");
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(InvTbl->recCount(), 0u);
    prompts_.expect(prompt::Kind::Information, "Customer not selected");
    Click(&editor, "BtnCustEdit");
}

TEST_F(InvoiceFormTest, PrintShowsTheInvoiceAsOnTheScreenAndStoresNothing) {
    DbContext->closeAll();
    const QByteArray before = AllTables();
    ASSERT_TRUE(OpenCustomers() && OpenGroups() && OpenInvoices() && OpenItems() &&
                OpenPayments() && OpenProducts());
    CurInvRec = 0;
    {
        TInvoice withoutPrinting;
        EXPECT_FALSE(Child<QPushButton>(&withoutPrinting, "BtnPrint")->isEnabled());
    }

    ShowInvoiceDocument = reports::PrintOpenInvoice;
    TInvoice editor;
    editor.show();
    ChooseCustomer(&editor);
    AddItem(&editor, 1, "3");  // the quantity as typed into the item's masked box
    Child<QPlainTextEdit>(&editor, "Memo2")->setPlainText("Deliver to the back door.");
    QStringList shown;
    onNextModal([&shown](QWidget* window) {
        for (const reports::ReportLine& line : reports::TheReport().Lines) shown << line.join('|');
        window->close();
    });
    Click(&editor, "BtnPrint");
    ShowInvoiceDocument = {};

    EXPECT_TRUE(shown.contains("C36Invoice|||||||||||B")) << shown.join('\n').toStdString();
    EXPECT_TRUE(shown.contains("L00To:|L10Ann Adams|R60Invoice No:|L621||||||||"));
    EXPECT_TRUE(
        shown.contains("V00|L01B|V12|L13Description of B|V41|R49    5.00|V50|"
                       "R59     3.00|V60|R72       15.00|V73|U"));
    EXPECT_TRUE(shown.contains("L00Deliver to the back door.|||||||||||"));
    EXPECT_TRUE(reports::TheReport().Lines.isEmpty()) << "the document is released";
    EXPECT_TRUE(editor.isVisible());

    prompts_.expect(prompt::Kind::WarningConfirm, "Close without saving?");
    Click(&editor, "BtnCancel");
    DbContext->closeAll();
    EXPECT_EQ(AllTables(), before);
}

}  // namespace
