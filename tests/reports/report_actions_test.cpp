// The report actions of the main window from button to report window: the selection, the report
// shown when there is something to show, and the document released afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "db/chasing_tables.h"
#include "report/date_span_form.h"
#include "report/report_form.h"
#include "reports/invoice_actions.h"
#include "reports/report_actions.h"
#include "tests/reports/report_action_steps.h"
#include "tests/reports/report_data_fixture.h"
#include "ui/date_box.h"

using namespace reports;

namespace {

using ReportActionsTest = ReportActionSteps<ReportDataTest>;

TEST_F(ReportActionsTest, ProductListingIsShownAndThenReleased) {
    AddProduct("P1", "Pliers", 9.5);
    CaptureReport();
    RunProductListing(nullptr);
    ASSERT_EQ(shown_.size(), 9);
    EXPECT_EQ(shown_[8].join('|'), "L00P1|L12Pliers|R51        9.50|R64        0.00|U");
    EXPECT_TRUE(TheReport().Lines.isEmpty());
}

TEST_F(ReportActionsTest, NoProductsShowNoWindow) {
    ExpectNoWindow();
    RunProductListing(nullptr);
    EXPECT_EQ(TheReport().CurLine, -1);
}

TEST_F(ReportActionsTest, PurchasingReportOverTheChosenSpan) {
    AddProduct("P1", "Pliers", 9.5);
    AddPurchase("P1", "20250214", 4, 20);
    AddPurchase("P1", "20250314", 2, 10);
    AnswerSpan("02/01/25", "02/28/25");
    CaptureReport();
    RunPurchasingReport(nullptr);
    ASSERT_EQ(shown_.size(), 10);
    EXPECT_EQ(shown_[2][0], "C35Purchasing Report for 02/01/25 through 02/28/25");
    EXPECT_EQ(shown_[9].join('|'), "L00Total||||R71        20.00|");
    EXPECT_TRUE(TheReport().Lines.isEmpty());
}

TEST_F(ReportActionsTest, TheDateDialogOpensOnTheCurrentMonth) {
    TheReport().SpanStart = TheReport().SpanEnd = 0;
    const QDate today = QDate::currentDate();
    QString shownStart;
    onModalOf<TDateSpan>([&](TDateSpan* dialog) {
        shownStart = dialog->findChild<DateBox*>("MaskEdit1")->entryText();
        dialog->reject();
    });
    ExpectNoWindow();
    RunPurchasingReport(nullptr);
    EXPECT_EQ(shownStart, DateToShortText(DateValue(QDate(today.year(), today.month(), 1))));
}

TEST_F(ReportActionsTest, ACancelledSpanOrAnEmptyOneShowsNoReport) {
    AddProduct("P1", "Pliers", 9.5);
    AddPurchase("P1", "20250214", 4, 20);
    ExpectNoWindow();
    AnswerSpan("02/01/25", "02/28/25", false);
    RunPurchasingReport(nullptr);
    EXPECT_TRUE(progress_.isEmpty());  // no table was read
    AnswerSpan("03/01/25", "03/31/25");
    RunPurchasingReport(nullptr);
    EXPECT_EQ(progress_, QStringList({"show Processing Purchasing Report", "hide"}));
    EXPECT_TRUE(TheReport().Lines.isEmpty());
}

class InvoicePrintingTest : public ReportActionsTest {
protected:
    void SetUp() override {
        SettingsRecord.ByCust = true;
        TermsRecord.business = std::nullopt;  // no due dates among the invoice lines
        AddCustomer(3, "Baxter");
        AddCustomer(17, "Avery");
    }
    static void AddCustomer(int cuno, const QString& last) {
        ASSERT_TRUE(OpenCustomers());
        CustBuf = {};
        CustBuf.cuno = cuno;
        CustBuf.last = last;
        CustBuf.ngroup = 1;
        CustTbl->appendBlank();
        WriteCustomer();
        CloseReportTables();
    }
    static void AddInvoice(int ivNo, int cuno, const char* date, double due) {
        ASSERT_TRUE(OpenInvoices());
        InvBuf = {};
        InvBuf.IvNo = ivNo;
        InvBuf.CuNo = cuno;
        InvBuf.IDate = Day(date);
        InvBuf.Due = due;
        InvTbl->appendBlank();
        WriteInvoice();
        CloseReportTables();
    }
    // Chooses row `row` of the next pick list, then leaves the list that follows.
    static void PickRowThenLeave(int row) {
        onNextModal([row](QWidget* list) {
            list->findChild<QTableWidget*>("StringGrid1")->setCurrentCell(row, 0);
            onNextModal(
                [](QWidget* again) { again->findChild<QPushButton*>("BtnCancel")->click(); });
            list->findChild<QPushButton*>("BtnSelect")->click();
        });
    }
    // Cell `cell` of every line shown whose cell starts with `code`.
    QStringList Shown(int cell, const QString& code) const {
        QStringList cells;
        for (const ReportLine& line : shown_)
            if (line.at(cell).startsWith(code)) cells << line.at(cell);
        return cells;
    }
};

TEST_F(InvoicePrintingTest, BillsWithBalancesDueInTheSpanChosen) {
    AddInvoice(7, 3, "20250305", 12.50);
    AddInvoice(8, 17, "20250306", 0);
    AddInvoice(9, 17, "20250401", 3);
    AnswerSpan("03/01/25", "03/31/25");
    CaptureReport();
    PrintInvoices(nullptr, true, false);
    EXPECT_EQ(Shown(0, "C36"), QStringList({"C36Bill"}));
    EXPECT_EQ(Shown(3, "L62"), QStringList({"L627", "L6203/05/25"}));
    EXPECT_TRUE(TheReport().Lines.isEmpty());
}

TEST_F(InvoicePrintingTest, InvoicesByDateOpenOnTodayAndACancelledSpanShowsNothing) {
    const QDate today = QDate::currentDate();
    AddInvoice(7, 3, qPrintable(today.toString("yyyyMMdd")), 0);
    AddInvoice(8, 3, qPrintable(today.addDays(-1).toString("yyyyMMdd")), 0);
    QString opened;
    onModalOf<TDateSpan>([&opened](TDateSpan* dialog) {
        opened = dialog->findChild<DateBox*>("MaskEdit1")->entryText() + " - " +
                 dialog->findChild<DateBox*>("MaskEdit2")->entryText();
        QTest::mouseClick(dialog->findChild<QPushButton*>("BtnOK"), Qt::LeftButton);
    });
    CaptureReport();
    PrintInvoices(nullptr, true, true);
    const QString day = DateToShortText(DateValue(today));
    EXPECT_EQ(opened, day + " - " + day);
    EXPECT_EQ(Shown(3, "L62"), QStringList({"L627", "L62" + DateToReportText(DateValue(today))}));

    ExpectNoWindow();
    AnswerSpan("03/01/25", "03/31/25", false);
    PrintStatements(nullptr, true);
    EXPECT_TRUE(progress_.filter("Statements").isEmpty());
}

TEST_F(InvoicePrintingTest, PickedInvoicesAndCustomersAreThoseChosenInTheirLists) {
    AddInvoice(7, 3, "20250305", 12.50);
    AddInvoice(8, 17, "20250306", 0);
    // The invoice list opens on the last invoice; the first row is chosen.
    PickRowThenLeave(0);
    CaptureReport();
    PrintInvoices(nullptr, false, false);
    EXPECT_EQ(Shown(0, "C36"), QStringList({"C36Bill"}));

    // Customers are listed by name: Avery, then Baxter.
    PickRowThenLeave(1);
    CaptureReport();
    PrintStatements(nullptr, false);
    EXPECT_EQ(Shown(1, "L10Baxter"), QStringList({"L10Baxter"}));
    EXPECT_EQ(Shown(1, "R08"), QStringList({"R08Invoice", "R08     7"}));
}

TEST_F(InvoicePrintingTest, PickingFromNoInvoicesIsTold) {
    ExpectNoWindow();
    PrintInvoices(nullptr, false, true);
    EXPECT_EQ(messages_, QStringList({"No invoices to select."}));
}

}  // namespace
