// The report actions of the main window from button to report window: the selection, the report
// shown when there is something to show, and the document released afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/entry/date_box.h"
#include "reports/date_span_form.h"
#include "reports/report_actions.h"
#include "reports/report_form.h"
#include "tests/reports/report_action_steps.h"
#include "tests/reports/report_data_fixture.h"

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

}  // namespace
