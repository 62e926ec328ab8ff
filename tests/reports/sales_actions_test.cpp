// The sales, income and profile actions of the main window's report menus, from the menu item to
// the report window over the hand-made business: the dialogs and pick lists they ask through, the
// report shown, nothing shown when the user cancels or nothing qualifies, and the document
// released afterwards.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QTableWidget>

#include "masters/pick_cust.h"
#include "masters/pick_prod.h"
#include "report/mult_group_form.h"
#include "reports/report_actions.h"
#include "tests/reports/report_action_steps.h"
#include "tests/reports/sales_data_fixture.h"

using namespace reports;

namespace {

using SalesActionsTest = ReportActionSteps<SalesDataTest>;

// Picks, one showing of the pick list after another, the row whose first column reads each text
// with Enter; a text no row has closes the list.
template <typename PickList>
void PickRows(QStringList texts) {
    onModalOf<PickList>([texts](PickList* list) {
        auto* grid = list->template findChild<QTableWidget*>("StringGrid1");
        for (int row = 0; row < grid->rowCount(); ++row) {
            if (grid->item(row, 0) && grid->item(row, 0)->text().trimmed() == texts.first()) {
                if (texts.size() > 1) PickRows<PickList>(texts.mid(1));
                grid->setCurrentCell(row, 0);
                QTest::keyClick(grid, Qt::Key_Return);
                return;
            }
        }
        list->close();
    });
}

QString Joined(const ReportLine& line) {
    return line.join('|');
}

TEST_F(SalesActionsTest, EachSpanReportShowsItsReportOverTheChosenSpan) {
    const struct {
        void (*run)(QWidget*);
        QString title;
        QString last;
    } reports[] = {
        {RunSalesSummary, "C32Sales Summary for 03/01/25 through 03/31/25",
         "V00|||R17Totals|V18|R28     58.31|V29|R40      1.62|V41|R52      0.94|V53|"
         "R63     60.87|V64|U"},
        {RunProductSummary, "C32Sales by Product from 03/01/25 through 03/31/25",
         "V00|L02Total Sales|||||V51|R63     58.31|V65|U"},
        {RunDailyIncome, "C36Daily Income from 03/01/25 through 03/31/25",
         "V00|L01Total Payments|||||||V59|R71       46.51|V72|U"},
        {RunTaxReport, "C25Tax report for 03/01/25 through 03/31/25", "L00Total||R50      60.87|U"},
    };
    for (const auto& report : reports) {
        shown_.clear();
        AnswerSpan("03/01/25", "03/31/25");
        CaptureReport();
        report.run(nullptr);
        ASSERT_GT(shown_.size(), 3) << report.title.toStdString();
        EXPECT_EQ(shown_[2][0], report.title);
        EXPECT_EQ(Joined(shown_.last()), report.last);
        EXPECT_TRUE(TheReport().Lines.isEmpty());
    }
}

TEST_F(SalesActionsTest, ProductBuyersAsksForTheProductThenTheSpan) {
    PickRows<TPickProd>({"HAM-1"});
    AnswerSpan("03/01/25", "03/31/25");
    CaptureReport();
    RunProductBuyers(nullptr);
    ASSERT_EQ(shown_.size(), 11);
    EXPECT_EQ(shown_[2][0], "C38Buyers of HAM-1-Claw hammer");
    EXPECT_EQ(Joined(shown_[9]),
              "V00|L01Ms Ann Lee|V36|L37Retail|V57|R6603/03/25|V67|"
              "R76   11.00|V77|");
    EXPECT_EQ(ProdTbl, nullptr);

    // Closing the product list asks for no span.
    ExpectNoWindow();
    PickRows<TPickProd>({"no such product"});
    RunProductBuyers(nullptr);
    EXPECT_EQ(ProdTbl, nullptr);
}

TEST_F(SalesActionsTest, ReceivablesAskForTheDayTheyAreAgedTo) {
    QString caption;
    bool endingShown = true;
    onModalOf<TDateSpan>([&](TDateSpan* dialog) {
        caption = dialog->findChild<QLabel*>("Label1")->text();
        endingShown = dialog->findChild<DateBox*>("MaskEdit2")->isVisible();
        dialog->findChild<DateBox*>("MaskEdit1")->setEntryText("04/12/25");
        QTest::mouseClick(dialog->findChild<QPushButton*>("BtnOK"), Qt::LeftButton);
    });
    CaptureReport();
    RunReceivables(nullptr);
    EXPECT_EQ(caption, "Receivables as Of:");
    EXPECT_FALSE(endingShown);
    ASSERT_EQ(shown_.size(), 13);
    EXPECT_EQ(Joined(shown_[8]), "V00|R071|V08|L10Ms Ann Lee|V50|R5540|V57|R69      3.86|V71|");
    EXPECT_EQ(Joined(shown_[12]), "V00|L01Total Receivables|||||V57|R69      3.64|V71|U");

    // The dialog is back to its span use afterwards; cancelling it shows nothing.
    TDateSpan dialog;
    EXPECT_EQ(dialog.findChild<QLabel*>("Label1")->text(), "Print Beginning:");
    ExpectNoWindow();
    AnswerSpan("04/12/25", "04/12/25", false);
    RunReceivables(nullptr);
}

TEST_F(SalesActionsTest, ProfileOfCustomersPickedUntilTheListIsClosed) {
    PickRows<TPickCust>({"Ray", "Lee", "no such customer"});
    CaptureReport();
    RunCustomerProfile(nullptr);
    QStringList customers;
    for (const ReportLine& line : shown_)
        if (line[1].startsWith("L01Cust#")) customers << line[1];
    EXPECT_EQ(customers,
              QStringList({"L01Cust#: 2  Group: Wholesale", "L01Cust#: 1  Group: Retail"}));
    EXPECT_EQ(CustTbl, nullptr);
}

TEST_F(SalesActionsTest, ProfileOfTheGroupsChosenOrNothing) {
    onModalOf<TMultGroup>([](TMultGroup* dialog) {
        auto* list = dialog->findChild<QListWidget*>("ListBox1");
        EXPECT_EQ(list->count(), 2);
        if (QListWidgetItem* item = list->item(1)) {
            EXPECT_EQ(item->text(), " 2 - Wholesale");
            item->setSelected(true);
        }
        QTest::mouseClick(dialog->findChild<QPushButton*>("BtnRun"), Qt::LeftButton);
    });
    CaptureReport();
    RunGroupProfile(nullptr);
    ASSERT_EQ(shown_.size(), 14);
    EXPECT_EQ(shown_[13][1], "L01Cust#: 2  Group: Wholesale");

    ExpectNoWindow();
    onModalOf<TMultGroup>([](TMultGroup* dialog) {
        QTest::mouseClick(dialog->findChild<QPushButton*>("BtnRun"), Qt::LeftButton);
    });
    RunGroupProfile(nullptr);
    EXPECT_EQ(GroupTbl, nullptr);
}

}  // namespace
