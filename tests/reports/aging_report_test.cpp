// The aging report: due dates and columns as plain functions, at and around every boundary; the
// report over the hand-made business of sales_data_fixture.h as of several days (payments after
// the day, invoices dated after it, credits, an invoice paid in full, customers' own terms); and
// its total against the receivables report's on generated data.
#include <gtest/gtest.h>

#include <QDate>

#include "core/dates.h"
#include "core/money.h"
#include "db/chasing_tables.h"
#include "db/generator.h"
#include "reports/account_reports.h"
#include "reports/aging_report.h"
#include "tests/reports/sales_data_fixture.h"

using namespace reports;

namespace {

TEST(AgingArithmeticTest, AnInvoiceIsDueItsTermsAfterItsDateAndOnItsDateWithoutTerms) {
    const double day = TextToDate("20250303");
    EXPECT_EQ(DueDay(day, 30), TextToDate("20250402"));
    EXPECT_EQ(DueDay(day + 0.75, 30), TextToDate("20250402"));  // the time of day is dropped
    EXPECT_EQ(DueDay(day, 0), day);
    EXPECT_EQ(DueDay(day, std::nullopt), day);
}

TEST(AgingArithmeticTest, EachBoundaryKeepsItsLastDayAndGivesTheNextDayToTheNextColumn) {
    // Days past due: on the due day still current, the day after 1-30.
    const std::pair<long, int> byDue[] = {{-5, 0}, {-1, 0}, {0, 0},  {1, 1},   {29, 1},
                                          {30, 1}, {31, 2}, {59, 2}, {60, 2},  {61, 3},
                                          {89, 3}, {90, 3}, {91, 4}, {5000, 4}};
    for (const auto& [days, column] : byDue)
        EXPECT_EQ(AgingColumn(days, false), column) << days << " days past due";
    const std::pair<long, int> byDate[] = {{0, 0},  {29, 0}, {30, 0},  {31, 1},  {60, 1}, {61, 2},
                                           {90, 2}, {91, 3}, {119, 3}, {120, 3}, {121, 4}};
    for (const auto& [days, column] : byDate)
        EXPECT_EQ(AgingColumn(days, true), column) << days << " days since the invoice";
    EXPECT_STREQ(AgingColumnCaption(0, false), "Current");
    EXPECT_STREQ(AgingColumnCaption(4, true), "Over 120");
}

class AgingReportTest : public SalesDataTest {
protected:
    // The caption and the six amounts of line `i` (blank where a column has none).
    QStringList Row(int i) {
        QStringList row;
        for (int cell : {1, 3, 5, 7, 9, 11, 13}) row << doc.Lines.at(i).at(cell).mid(3).trimmed();
        return row;
    }
    // The rows after the headings (the line captioned "Customer"), to the end.
    QList<QStringList> Rows() {
        QList<QStringList> rows;
        bool after = false;
        for (int i = 0; i < doc.Lines.size(); ++i) {
            if (after) rows << Row(i);
            after = after || doc.Lines.at(i).at(1) == "L01Customer";
        }
        return rows;
    }
    static void Terms(const PaymentTerms& terms) {
        QString error;
        ASSERT_TRUE(WriteChasingSettings(terms, ReadyReminderLevels(), &error))
            << error.toStdString();
    }

    ReportDocument& doc = TheReport();
};

TEST_F(AgingReportTest, BalancesGoInTheColumnsOfDaysPastDueWithCreditsNegative) {
    ASSERT_TRUE(MakeAgingReport(doc, {Day("20250412"), false, false}));
    EXPECT_EQ(doc.Titles, QStringList({"AGING as of 04/12/25", "Days past due"}));
    const int headings = static_cast<int>(doc.Lines.size() - Rows().size()) - 1;
    EXPECT_EQ(Row(headings),
              QStringList({"Customer", "Current", "1-30", "31-60", "61-90", "Over 90", "Total"}));
    // Invoice 1 (due 04/02) is ten days late; the credit 4 is not due before 05/02; invoice 2
    // is paid in full and its customer has no line.
    EXPECT_EQ(Rows(), QList<QStringList>({
                          {"Cy Doe", "", "1.05", "", "", "", "1.05"},
                          {"Ms Ann Lee", "-11.77", "3.86", "", "", "", "-7.91"},
                          {"UNKNOWN", "", "10.50", "", "", "", "10.50"},
                          {"Total", "-11.77", "15.41", "", "", "", "3.64"},
                      }));
    EXPECT_EQ(doc.Lines.last().last(), "U");
    EXPECT_EQ(InvTbl, nullptr);
    EXPECT_EQ(PmtTbl, nullptr);

    // Sixty days on, every invoice has moved two columns; by invoice date the columns differ.
    ASSERT_TRUE(MakeAgingReport(doc, {Day("20250611"), false, false}));
    EXPECT_EQ(Rows().at(1), QStringList({"Ms Ann Lee", "", "", "-11.77", "3.86", "", "-7.91"}));
    ASSERT_TRUE(MakeAgingReport(doc, {Day("20250412"), true, false}));
    EXPECT_EQ(doc.Titles.at(1), "Days since invoice date");
    EXPECT_EQ(Rows().at(1), QStringList({"Ms Ann Lee", "-11.77", "3.86", "", "", "", "-7.91"}));
    EXPECT_EQ(Rows().at(2), QStringList({"UNKNOWN", "", "10.50", "", "", "", "10.50"}));
}

TEST_F(AgingReportTest, APastDayCountsNeitherLaterInvoicesNorLaterPayments) {
    // On 03/11/25 invoice 2 still owed the 10.00 paid on 03/12, and the credit of 04/02 was not
    // yet given.
    ASSERT_TRUE(MakeAgingReport(doc, {Day("20250311"), false, false}));
    EXPECT_EQ(Rows(), QList<QStringList>({
                          {"Bob Ray", "10.00", "", "", "", "", "10.00"},
                          {"Cy Doe", "1.05", "", "", "", "", "1.05"},
                          {"Ms Ann Lee", "3.86", "", "", "", "", "3.86"},
                          {"UNKNOWN", "10.50", "", "", "", "", "10.50"},
                          {"Total", "25.41", "", "", "", "", "25.41"},
                      }));
    // Before the first invoice nobody owed anything.
    EXPECT_FALSE(MakeAgingReport(doc, {Day("20250226"), false, false}));
    EXPECT_EQ(messages_, QStringList({"No Invoices with a balance due."}));
}

TEST_F(AgingReportTest, TheDetailListsEachOpenInvoiceByTheDayItIsAgedFrom) {
    ASSERT_TRUE(MakeAgingReport(doc, {Day("20250412"), false, true}));
    EXPECT_EQ(Rows(), QList<QStringList>({
                          {"Cy Doe", "", "1.05", "", "", "", "1.05"},
                          {"5 03/29/25", "", "1.05", "", "", "", "1.05"},
                          {"Ms Ann Lee", "-11.77", "3.86", "", "", "", "-7.91"},
                          {"1 04/02/25", "", "3.86", "", "", "", "3.86"},
                          {"4 05/02/25", "-11.77", "", "", "", "", "-11.77"},
                          {"UNKNOWN", "", "10.50", "", "", "", "10.50"},
                          {"3 04/09/25", "", "10.50", "", "", "", "10.50"},
                          {"Total", "-11.77", "15.41", "", "", "", "3.64"},
                      }));
}

TEST_F(AgingReportTest, ACustomersOwnTermsAndNoTermsMoveTheDueDay) {
    PaymentTerms terms;
    terms.business = std::nullopt;  // due on receipt
    terms.customers.insert(3, 60);
    Terms(terms);
    PaymentTerms stored;
    ASSERT_TRUE(ReadPaymentTerms(&stored));
    EXPECT_EQ(stored.business, std::nullopt);
    EXPECT_EQ(stored.customers, terms.customers);
    ASSERT_TRUE(MakeAgingReport(doc, {Day("20250412"), false, false}));
    EXPECT_EQ(Rows(), QList<QStringList>({
                          {"Cy Doe", "1.05", "", "", "", "", "1.05"},
                          {"Ms Ann Lee", "", "-11.77", "3.86", "", "", "-7.91"},
                          {"UNKNOWN", "", "", "10.50", "", "", "10.50"},
                          {"Total", "1.05", "-11.77", "14.36", "", "", "3.64"},
                      }));
}

class AgingOnGeneratedDataTest : public ReportDataTest {};

TEST_F(AgingOnGeneratedDataTest, TheAgingTotalIsTheReceivablesTotalOfTheSameDay) {
    GeneratorCounts counts;
    QString error;
    ASSERT_TRUE(GenerateData({60, 900, 11}, &counts, &error)) << error.toStdString();
    ASSERT_TRUE(LoadSettings());
    ReportDocument& doc = TheReport();
    const double today = DateValue(QDate::currentDate());
    ASSERT_TRUE(MakeReceivables(doc, today));
    const QString receivables = doc.Lines.last().at(7).mid(3).trimmed();
    for (const bool byInvoiceDate : {false, true}) {
        ASSERT_TRUE(MakeAgingReport(doc, {today, byInvoiceDate, false}));
        const QStringList& total = doc.Lines.last();
        EXPECT_EQ(total.at(1), "L01Total");
        EXPECT_EQ(total.at(13).mid(3).trimmed(), receivables);
        // The columns add up to the total.
        Cents columns = 0;
        for (int cell : {3, 5, 7, 9, 11}) columns += TextCentsOr0(total.at(cell).mid(3));
        EXPECT_EQ(columns, TextCentsOr0(total.at(13).mid(3)));
    }
    EXPECT_FALSE(receivables.isEmpty());
}

}  // namespace
