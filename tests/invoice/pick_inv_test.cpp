// The invoice list driven as the user drives it: its columns and deleted marks, the searches by
// invoice number and by customer name, End and Home, the customer of the highlighted invoice,
// and an empty INV5.
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>
#include <memory>

#include "core/convert.h"
#include "db/open_tables.h"
#include "invoice/invoice_data.h"
#include "invoice/pick_inv.h"
#include "tests/masters/masters_fixture.h"

namespace {

class InvoiceListTest : public MastersTest {
protected:
    void SetUp() override {
        MastersTest::SetUp();
        ASSERT_TRUE(OpenCustomers() && OpenInvoices());
        PickInvState = {};
        CurInvRec = 0;
    }
    static int32_t AddInvoice(int number, int customer, const char* yyyymmdd = "20260314",
                              const QString& memo = {}, double due = 0) {
        InvTbl->appendBlank();
        InvBuf = {};
        InvBuf.IvNo = number;
        InvBuf.CuNo = customer;
        InvBuf.IDate = TextToDate(yyyymmdd);
        InvBuf.IMemo = memo;
        InvBuf.Due = due;
        WriteInvoice();
        InvTbl->flush();
        return static_cast<int32_t>(InvTbl->recNo());
    }
    static std::unique_ptr<TPickInv> ShowList() {
        auto list = std::make_unique<TPickInv>();
        list->setNewAllowed(true);
        list->show();
        return list;
    }
    static QString Highlighted(QWidget* list, int col) {
        auto* grid = Child<QTableWidget>(list, "StringGrid1");
        return Column(list, col).value(grid->currentRow());
    }
    static void SearchName(QWidget* list, const QString& name) {
        auto* box = Child<QLineEdit>(list, "Edit3");
        box->clear();
        QTest::keyClicks(box, name);
    }
    static void Search(QWidget* list, const QString& number) {
        auto* box = Child<QLineEdit>(list, "MaskEdit1");
        box->clear();
        box->setCursorPosition(0);
        QTest::keyClicks(box, number);
    }
};

TEST_F(InvoiceListTest, RowsShowNumberDateCustomerDueAndCardTextOrDeletedMark) {
    SettingsRecord.ByCust = true;
    AddCustomer(7, "Lovelace", "Ada");
    AddInvoice(3, 7, "20260105", "Check 1042", 75.5);
    const int32_t gone = AddInvoice(5, 99, "20260106", "Visa");
    MarkDeleted(InvTbl, gone);
    CurInvRec = 0;
    auto list = ShowList();
    EXPECT_EQ(list->windowTitle(), "Select Invoice");
    auto* grid = Child<QTableWidget>(list.get(), "StringGrid1");
    QStringList headers;
    for (int col = 0; col < grid->columnCount(); ++col)
        headers << grid->horizontalHeaderItem(col)->text();
    EXPECT_EQ(headers, QStringList({"Invoice", "Date", "Customer", "Amount Due",
                                    "Check/Credit Card", "RecNo"}));
    EXPECT_EQ(Column(list.get(), 0).mid(0, 3), QStringList({"     3", "     5", ""}));
    EXPECT_EQ(Column(list.get(), 1).mid(0, 2), QStringList({"01/05/26", "01/06/26"}));
    EXPECT_EQ(Column(list.get(), 2).mid(0, 2), QStringList({"Lovelace, Ada", ""}));
    EXPECT_EQ(Column(list.get(), 3).mid(0, 2), QStringList({"75.50", "0.00"}));
    EXPECT_EQ(Column(list.get(), 4).mid(0, 2), QStringList({"Check 1042", "< DELETED >"}));
    EXPECT_EQ(Column(list.get(), 5).mid(0, 2), QStringList({"1", "2"}));
    // The invoice number, amount and record number stand right-aligned, the texts left.
    for (int col = 0; col < grid->columnCount(); ++col)
        EXPECT_EQ(grid->item(0, col)->textAlignment() & Qt::AlignHorizontal_Mask,
                  col == 0 || col == 3 || col == 5 ? Qt::AlignRight : 0)
            << "column " << col;

    auto* customer = Child<QLineEdit>(list.get(), "Edit2");
    EXPECT_EQ(customer->text(), "Ada Lovelace");
    QTest::keyClick(Child<QTableWidget>(list.get(), "StringGrid1"), Qt::Key_Down);
    EXPECT_EQ(customer->text(), "");  // customer 99 is not in CUST5

    Click(list.get(), "BtnSelect");
    EXPECT_EQ(CurInvRec, gone);
}

TEST_F(InvoiceListTest, ACustomersNameFindsTheirInvoicesTogether) {
    SettingsRecord.ByCust = true;
    AddCustomer(1, "Adams", "Ann");
    AddCustomer(3, "Keller", "Anna");
    AddCustomer(4, "Kemp", "Otto");  // no invoices
    for (int number = 1; number <= 30; ++number)
        AddInvoice(number, number == 7 || number == 25 ? 3 : 1);
    auto list = ShowList();

    SearchName(list.get(), "kel");
    EXPECT_EQ(Highlighted(list.get(), 0), "     7");
    const QStringList shown = Column(list.get(), 0);
    const int at = static_cast<int>(shown.indexOf("     7"));
    ASSERT_GE(at, 0);
    EXPECT_EQ(shown.value(at + 1), "    25") << "the customer's invoices stand together";
    EXPECT_EQ(Child<QLineEdit>(list.get(), "Edit2")->text(), "Anna Keller");

    // A name whose customers have no invoice, or that no customer has, moves nothing.
    SearchName(list.get(), "kem");
    EXPECT_EQ(Highlighted(list.get(), 0), "     7");
    SearchName(list.get(), "zz");
    EXPECT_EQ(Highlighted(list.get(), 0), "     7");

    // A number puts the list back in number order.
    Search(list.get(), "12");
    EXPECT_EQ(Column(list.get(), 0).mid(0, 2), QStringList({"    12", "    13"}));

    SearchName(list.get(), "KELLER");
    QTest::keyClick(Child<QLineEdit>(list.get(), "Edit3"), Qt::Key_Return);
    EXPECT_EQ(CurInvRec, 7) << "Enter takes the invoice found";
}

TEST_F(InvoiceListTest, EndAndHomeGoToTheLastAndFirstInvoiceOnTheFirstColumn) {
    for (int number = 1; number <= 30; ++number) AddInvoice(number, 1);
    CurInvRec = 1;
    auto list = ShowList();
    auto* grid = Child<QTableWidget>(list.get(), "StringGrid1");
    QTest::keyClick(grid, Qt::Key_End);
    EXPECT_EQ(Highlighted(list.get(), 0), "    30");
    EXPECT_EQ(grid->currentColumn(), 0);
    EXPECT_EQ(grid->horizontalScrollBar()->value(), 0);
    QTest::keyClick(grid, Qt::Key_Home);
    EXPECT_EQ(Highlighted(list.get(), 0), "     1");
    EXPECT_EQ(grid->currentColumn(), 0);
}

TEST_F(InvoiceListTest, ASearchLandsOnTheNumberOrTheNextHigherOne) {
    AddCustomer(7, "Lovelace", "Ada");
    for (int number = 2; number <= 40; number += 2) AddInvoice(number, number == 12 ? 7 : 1);
    auto list = ShowList();
    EXPECT_EQ(Highlighted(list.get(), 0), "     2");

    Search(list.get(), "12");
    EXPECT_EQ(Highlighted(list.get(), 0), "    12");
    EXPECT_EQ(Column(list.get(), 0).first(), "    12");  // shown at the top
    EXPECT_EQ(Child<QLineEdit>(list.get(), "Edit2")->text(), "Ada Lovelace");

    Search(list.get(), "13");
    EXPECT_EQ(Highlighted(list.get(), 0), "    14");

    // A number beyond the last invoice, pasted at once, moves nothing.
    Child<QLineEdit>(list.get(), "MaskEdit1")->setText("99");
    EXPECT_EQ(Highlighted(list.get(), 0), "    14");

    Click(list.get(), "BtnSelect");
    EXPECT_EQ(CurInvRec, 7);  // invoice 14 is the seventh record
}

TEST_F(InvoiceListTest, TheWheelMovesTheListByItsLinesPerNotch) {
    for (int number = 1; number <= 30; ++number) AddInvoice(number, 1);
    CurInvRec = 1;
    auto list = ShowList();
    auto* grid = Child<QTableWidget>(list.get(), "StringGrid1");
    const QPoint inside = grid->viewport()->rect().center();
    const int lines = QApplication::wheelScrollLines();
    QWheelEvent down(inside, grid->viewport()->mapToGlobal(inside), {}, {0, -120}, Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid->viewport(), &down);
    EXPECT_EQ(PickInvState.TopOffset, lines);
    EXPECT_EQ(Column(list.get(), 0).first(), PadNum(lines + 1, 6));
    QWheelEvent up(inside, grid->viewport()->mapToGlobal(inside), {}, {0, 240}, Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid->viewport(), &up);
    EXPECT_EQ(PickInvState.TopOffset, 0);
}

TEST_F(InvoiceListTest, AnEmptyTableLeavesOnlyNewAndCancel) {
    auto list = ShowList();
    auto* grid = Child<QTableWidget>(list.get(), "StringGrid1");
    EXPECT_EQ(grid->rowCount(), 0);
    EXPECT_FALSE(grid->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(list.get(), "BtnSelect")->isEnabled());
    EXPECT_TRUE(Child<QPushButton>(list.get(), "BtnNew")->isEnabled());
    EXPECT_TRUE(Child<QPushButton>(list.get(), "BtnCancel")->isEnabled());
    Click(list.get(), "BtnNew");
    EXPECT_EQ(CurInvRec, 0);

    auto again = ShowList();
    again->close();  // the window's frame counts as Cancel
    EXPECT_EQ(CurInvRec, -1);
}

}  // namespace
