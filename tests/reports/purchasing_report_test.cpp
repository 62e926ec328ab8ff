// The purchasing report over hand-made purchases (exact lines) and over generated data.
#include <gtest/gtest.h>

#include <cmath>

#include "core/convert.h"
#include "db/generator.h"
#include "reports/purchasing_report.h"
#include "tests/reports/report_data_fixture.h"
#include "tests/support/default_locale.h"

using namespace reports;

namespace {

QString Line(const ReportDocument& doc, int i) {
    return doc.Lines.at(i).join('|');
}

class PurchasingReportTest : public ReportDataTest {
protected:
    void SetUp() override {
        AddProduct("HAM-1", "Claw hammer", 11);
        AddProduct("SAW-2", "Hand saw", 25);
        AddPurchase("HAM-1", "20250310", 5, 27.5);
        AddPurchase("XYZ-9", "20250331", 1, 9.99);
        AddPurchase("HAM-1", "20250401", 3, 16.5);
        AddPurchase("saw-2", "20250301", 2, 30);
        AddPurchase("HAM-1", "20250305", 10, 55);
        AddPurchase("HAM-1", "20250228", 1, 5);
    }
};

TEST_F(PurchasingReportTest, PurchasesInTheSpanByProductAndDateWithTheirTotal) {
    ReportDocument& doc = TheReport();
    ASSERT_TRUE(MakePurchasingReport(doc, Day("20250301"), Day("20250331")));
    ASSERT_EQ(doc.Lines.size(), 13);
    EXPECT_EQ(Line(doc, 2), "C35Purchasing Report for 03/01/25 through 03/31/25|||||B");
    EXPECT_EQ(Line(doc, 7), "L00Product|L12Description|R47Date|R58Quantity|R71Cost|U");
    // The product shows on the first line of its run only; a code is looked up in upper case.
    EXPECT_EQ(Line(doc, 8), "L00HAM-1|L12Claw hammer|R4703/05/25|R58     10.00|R71       55.00|");
    EXPECT_EQ(Line(doc, 9), "||R4703/10/25|R58      5.00|R71       27.50|");
    EXPECT_EQ(Line(doc, 10), "L00saw-2|L12Hand saw|R4703/01/25|R58      2.00|R71       30.00|");
    EXPECT_EQ(Line(doc, 11), "L00XYZ-9|L12Not Found|R4703/31/25|R58      1.00|R71        9.99|U");
    EXPECT_EQ(Line(doc, 12), "L00Total||||R71       122.49|");

    EXPECT_EQ(progress_, QStringList({"show Processing Purchasing Report", "hide"}));
    EXPECT_EQ(percents_, QList<int>({16, 33, 50, 66, 83, 100}));
    EXPECT_EQ(PurTbl, nullptr);
    EXPECT_EQ(ProdTbl, nullptr);
}

TEST_F(PurchasingReportTest, UnderALocaleWithAFourDigitYearTheDatesKeepIt) {
    const ScopedDefaultLocale sweden(QLocale(QLocale::Swedish, QLocale::Sweden));
    ReportDocument& doc = TheReport();
    ASSERT_TRUE(MakePurchasingReport(doc, Day("20250301"), Day("20250331")));
    // The date column and the report are two columns wider than the eight a date is laid out in.
    EXPECT_EQ(doc.RptWidth, 73);
    EXPECT_EQ(doc.Lines[2][0], "C36Purchasing Report for 2025-03-01 through 2025-03-31");
    EXPECT_EQ(doc.Lines[8][2], "R492025-03-05");
    EXPECT_EQ(doc.Lines[11][2], "R492025-03-31");
}

TEST_F(PurchasingReportTest, OneDaySpanAndDeletedPurchases) {
    MarkDeleted(OpenPurchases, &PurTbl, "HAM-1     20250305");
    ReportDocument& doc = TheReport();
    EXPECT_FALSE(MakePurchasingReport(doc, Day("20250305"), Day("20250305")));
    EXPECT_EQ(doc.CurLine, -1);

    ASSERT_TRUE(MakePurchasingReport(doc, Day("20250401"), Day("20250401")));
    ASSERT_EQ(doc.Lines.size(), 10);
    EXPECT_EQ(Line(doc, 8), "L00HAM-1|L12Claw hammer|R4704/01/25|R58      3.00|R71       16.50|U");
    EXPECT_EQ(Line(doc, 9), "L00Total||||R71        16.50|");
}

TEST_F(PurchasingReportTest, ARunBrokenByAPageRepeatsNothingAndKeepsCounting) {
    PageLength(10);
    ReportDocument& doc = TheReport();
    ASSERT_TRUE(MakePurchasingReport(doc, Day("20250101"), Day("20251231")));
    QStringList details;
    for (const ReportLine& line : doc.Lines)
        if (line[2].startsWith("R47") && line[2] != "R47Date") details << line[0];
    EXPECT_EQ(details, QStringList({"L00HAM-1", "", "", "", "L00saw-2", "L00XYZ-9"}));
    EXPECT_EQ(doc.PageNo, 3);
    EXPECT_EQ(doc.Lines.last().join('|'), "L00Total||||R71       143.99|");
}

class GeneratedPurchasesTest : public ReportDataTest {};

TEST_F(GeneratedPurchasesTest, EveryPurchaseOfTheSpanIsListedAndTotalled) {
    GeneratorCounts counts;
    QString error;
    ASSERT_TRUE(GenerateData({40, 200, 9}, &counts, &error)) << error.toStdString();

    const double from = Day("20240401");
    const double to = Day("20250331");
    double expected = 0;
    int inSpan = 0;
    ASSERT_TRUE(OpenPurchases());
    for (int rc = PurTbl->top(); rc == xbase::kFound; rc = PurTbl->skip()) {
        ReadPurchase();
        if (PurBuf.PURDate < from || PurBuf.PURDate > to) continue;
        expected += PurBuf.PURCost;
        ++inSpan;
    }
    CloseReportTables();
    ASSERT_GT(inSpan, 0);

    ReportDocument& doc = TheReport();
    ASSERT_TRUE(MakePurchasingReport(doc, from, to));
    int details = 0;
    double sum = 0;
    for (const ReportLine& line : doc.Lines) {
        if (!line[4].startsWith("R71") || line[4] == "R71Cost" || line[0] == "L00Total") continue;
        ++details;
        sum += ReadNumber(line[4].mid(3).trimmed()).value_or(NAN);
        EXPECT_NE(line[1], "L12Not Found");
    }
    EXPECT_EQ(details, inSpan);
    EXPECT_NEAR(sum, expected, 0.005);
    EXPECT_EQ(doc.Lines.last()[4], "R71" + NumText(expected, 13, 2));
}

}  // namespace
