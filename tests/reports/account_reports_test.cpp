// Daily income and receivables over the hand-made business of sales_data_fixture.h: the lines
// of each day with its total, receivables aged to a given day with credits listed negative, and
// what is told when nothing qualifies.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reports/account_reports.h"
#include "tests/reports/sales_data_fixture.h"

using namespace reports;

namespace {

class AccountReportsTest : public SalesDataTest {
protected:
    ReportDocument& doc = TheReport();
};

TEST_F(AccountReportsTest, DailyIncomeGroupsThePaymentsOfEachDayUnderItsTotal) {
    ASSERT_TRUE(MakeDailyIncome(doc, Day("20250301"), Day("20250331")));
    EXPECT_EQ(doc.Lines[2][0], "C36Daily Income from 03/01/25 through 03/31/25");
    EXPECT_EQ(Lines(doc, 7),
              std::vector<std::string>({
                  "V00|L01Pmt Date|V10|R16Inv No.|V17|L18Check - Credit Card No.|V48|R58Amount|"
                  "V59|R71Daily Total|V72|U",
                  "V00|L0103/05/25|V10|R161|V17|L18Check 101|V48|R58     20.00|V59||V72|",
                  "V00||V10|R162|V17|L18Card 4242|V48|R58     16.51|V59|R71       36.51|V72|U",
                  "V00|L0103/12/25|V10|R162|V17|L18Card 4242|V48|R58     10.00|V59|"
                  "R71       10.00|V72|U",
                  "V00|L01Total Payments|||||||V59|R71       46.51|V72|U",
              }));
    EXPECT_EQ(progress_, QStringList({"show Processing Payments", "hide"}));
    EXPECT_EQ(percents_, QList<int>({33, 66, 100}));
    EXPECT_EQ(PmtTbl, nullptr);
    EXPECT_EQ(InvTbl, nullptr);
}

TEST_F(AccountReportsTest, APaymentOfAnInvoiceNotOnFileHasNoMemo) {
    ASSERT_TRUE(MakeDailyIncome(doc, Day("20250401"), Day("20250430")));
    EXPECT_EQ(Lines(doc, 8),
              std::vector<std::string>({
                  "V00|L0104/15/25|V10|R1677|V17|L18|V48|R58      5.00|V59|R71        5.00|V72|U",
                  "V00|L01Total Payments|||||||V59|R71        5.00|V72|U",
              }));
}

TEST_F(AccountReportsTest, ASpanWhoseFirstPaymentIsAfterItsEndIsTold) {
    EXPECT_FALSE(MakeDailyIncome(doc, Day("20250306"), Day("20250311")));
    EXPECT_FALSE(MakeDailyIncome(doc, Day("20250501"), Day("20250531")));
    EXPECT_EQ(messages_, QStringList({"No Payments within selected dates.",
                                      "No Payments within selected dates."}));
    EXPECT_EQ(doc.CurLine, -1);
    EXPECT_EQ(PmtTbl, nullptr);
}

TEST_F(AccountReportsTest, ReceivablesAgeEveryOpenInvoiceAndListCreditsNegative) {
    ASSERT_TRUE(MakeReceivables(doc, Day("20250412")));
    EXPECT_EQ(doc.Lines[2][0], "C35RECEIVABLES");
    EXPECT_EQ(Lines(doc, 7), std::vector<std::string>({
                                 "V00|R07Inv. No|V08|L10Customer|V50|R55Days|V57|R69Amount|V71|U",
                                 "V00|R071|V08|L10Ms Ann Lee|V50|R5540|V57|R69      3.86|V71|",
                                 "V00|R073|V08|L10UNKNOWN|V50|R5533|V57|R69     10.50|V71|",
                                 "V00|R074|V08|L10Ms Ann Lee|V50|R5510|V57|R69    -11.77|V71|",
                                 "V00|R075|V08|L10Cy Doe|V50|R5544|V57|R69      1.05|V71|U",
                                 "V00|L01Total Receivables|||||V57|R69      3.64|V71|U",
                             }));
    EXPECT_EQ(progress_, QStringList({"show Processing Receivables", "hide"}));
    EXPECT_EQ(percents_, QList<int>({20, 40, 60, 80, 100}));

    // By company, on another day.
    Settings([](SettingsValues& s) { s.ByCust = false; });
    ASSERT_TRUE(MakeReceivables(doc, Day("20250502")));
    EXPECT_EQ(doc.Lines[8].join('|'), "V00|R071|V08|L1012 Oak St|V50|R5560|V57|R69      3.86|V71|");
    EXPECT_EQ(doc.Lines[11][3], "L10Doe Bakery");
}

// The open invoices are gathered in record order and listed in number order: an invoice
// written later under an earlier number takes its place by number.
TEST_F(AccountReportsTest, ReceivablesListByNumberWhateverTheRecordOrder) {
    AddInvoice(3, 2, "20250411", 0, 0, 2.00, "");
    ASSERT_TRUE(MakeReceivables(doc, Day("20250412")));
    std::vector<std::string> numbers;
    for (const std::string& line : Lines(doc, 8)) numbers.push_back(line.substr(0, 20));
    EXPECT_EQ(numbers, std::vector<std::string>({"V00|R071|V08|L10Ms A", "V00|R073|V08|L10UNKN",
                                                 "V00|R073|V08|L10Bob ", "V00|R074|V08|L10Ms A",
                                                 "V00|R075|V08|L10Cy D", "V00|L01Total Receiva"}));
}

TEST_F(AccountReportsTest, ReceivablesWithNoOpenInvoiceAreTold) {
    for (const char* key : {"     1", "     3", "     4", "     5"})
        MarkDeleted(OpenInvoices, &InvTbl, key);
    EXPECT_FALSE(MakeReceivables(doc, Day("20250412")));
    EXPECT_EQ(messages_, QStringList({"No Invoices with a balance due."}));
    EXPECT_EQ(InvTbl, nullptr);
}

class EmptyAccountsTest : public ReportDataTest {};

TEST_F(EmptyAccountsTest, ReceivablesOfAnEmptyInvoiceTableAreToldAsTheDateReportsAre) {
    ReportDocument& doc = TheReport();
    EXPECT_FALSE(MakeReceivables(doc, Day("20250412")));
    EXPECT_EQ(messages_, QStringList({"No Invoices within selected dates."}));
    EXPECT_TRUE(progress_.isEmpty());
}

}  // namespace
