// The invoice list driven as the user drives it: its columns and deleted marks, the search by
// invoice number, the customer of the highlighted invoice, and an empty INV5.
#include <QLineEdit>
#include <QPushButton>
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
                              const QString& memo = {}) {
        InvTbl->appendBlank();
        InvBuf = {};
        InvBuf.IvNo = number;
        InvBuf.CuNo = customer;
        InvBuf.IDate = TextToDate(yyyymmdd);
        InvBuf.IMemo = memo;
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
    static void Search(QWidget* list, const QString& number) {
        auto* box = Child<QLineEdit>(list, "MaskEdit1");
        box->clear();
        box->setCursorPosition(0);
        QTest::keyClicks(box, number);
    }
};

TEST_F(InvoiceListTest, RowsShowNumberDateNoteOrDeletedMarkAndTheCustomer) {
    AddCustomer(7, "Lovelace", "Ada");
    AddInvoice(3, 7, "20260105", "Check 1042");
    const int32_t gone = AddInvoice(5, 99, "20260106", "Visa");
    MarkDeleted(InvTbl, gone);
    CurInvRec = 0;
    auto list = ShowList();
    EXPECT_EQ(list->windowTitle(), "Select Invoice");
    EXPECT_EQ(Column(list.get(), 0).mid(0, 3), QStringList({"     3", "     5", ""}));
    EXPECT_EQ(Column(list.get(), 1).mid(0, 2), QStringList({"01/05/26", "01/06/26"}));
    EXPECT_EQ(Column(list.get(), 2).mid(0, 2), QStringList({"Check 1042", "< DELETED >"}));
    EXPECT_EQ(RecNos(list.get()).mid(0, 2), QStringList({"1", "2"}));
    // The invoice and record numbers stand right-aligned, the date and note left.
    auto* grid = Child<QTableWidget>(list.get(), "StringGrid1");
    for (int col = 0; col < grid->columnCount(); ++col)
        EXPECT_EQ(grid->item(0, col)->textAlignment() & Qt::AlignHorizontal_Mask,
                  col == 0 || col == 3 ? Qt::AlignRight : 0)
            << "column " << col;

    auto* customer = Child<QLineEdit>(list.get(), "Edit2");
    EXPECT_EQ(customer->text(), "Ada Lovelace");
    QTest::keyClick(Child<QTableWidget>(list.get(), "StringGrid1"), Qt::Key_Down);
    EXPECT_EQ(customer->text(), "");  // customer 99 is not in CUST5

    Click(list.get(), "BtnSelect");
    EXPECT_EQ(CurInvRec, gone);
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
