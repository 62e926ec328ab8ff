// The sales summary, sales by product, tax report and buyers of a product over the hand-made
// business of sales_data_fixture.h: every line of each report, its totals to the cent, and what
// is told when nothing qualifies.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/field_values.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "reports/invoice_pass.h"
#include "reports/sales_reports.h"
#include "tests/reports/sales_data_fixture.h"

using namespace reports;

namespace {

class SalesReportsTest : public SalesDataTest {
protected:
    ReportDocument& doc = TheReport();
    const double march1 = Day("20250301");
    const double march31 = Day("20250331");
};

TEST_F(SalesReportsTest, SalesSummaryListsEachInvoiceOfTheSpanWithItsCentExactTotals) {
    ASSERT_TRUE(MakeSalesSummary(doc, march1, march31));
    EXPECT_EQ(doc.Lines[2][0], "C32Sales Summary for 03/01/25 through 03/31/25");
    EXPECT_EQ(Lines(doc, 7),
              std::vector<std::string>({
                  "V00|R07Inv. No|V08|R17Date|V18|R28Items|V29|R40State Tax|V41|R52Local Tax|"
                  "V53|R63Total|V64|U",
                  "V00|R07     1|V08|R1703/03/25|V18|R28     22.30|V29|R40      1.12|V41|"
                  "R52      0.44|V53|R63     23.86|V64|",
                  // 0.5 x 2.01 counts as the invoice counted it: 1.01.
                  "V00|R07     2|V08|R1703/10/25|V18|R28     26.01|V29|R40      0.00|V41|"
                  "R52      0.50|V53|R63     26.51|V64|",
                  "V00|R07     3|V08|R1703/10/25|V18|R28     10.00|V29|R40      0.50|V41|"
                  "R52      0.00|V53|R63     10.50|V64|U",
                  "V00|||R17Totals|V18|R28     58.31|V29|R40      1.62|V41|R52      0.94|V53|"
                  "R63     60.87|V64|U",
              }));
    EXPECT_EQ(progress_, QStringList({"show Processing Sales", "hide"}));
    EXPECT_EQ(percents_, QList<int>({33, 66, 100}));
    EXPECT_EQ(InvTbl, nullptr);
    EXPECT_EQ(ItemTbl, nullptr);
}

TEST_F(SalesReportsTest, ACreditCountsNegativeAndASpanWithoutInvoicesIsTold) {
    ASSERT_TRUE(MakeSalesSummary(doc, Day("20250402"), Day("20250402")));
    EXPECT_EQ(Lines(doc, 8).front(),
              "V00|R07     4|V08|R1704/02/25|V18|R28    -11.00|V29|R40     -0.55|V41|"
              "R52     -0.22|V53|R63    -11.77|V64|U");

    for (auto make : {MakeSalesSummary, MakeProductSummary, MakeTaxReport}) {
        messages_.clear();
        EXPECT_FALSE(make(doc, Day("20250305"), Day("20250309")));
        EXPECT_EQ(messages_, QStringList({"No Invoices within selected dates."}));
        EXPECT_EQ(InvTbl, nullptr);
    }
    messages_.clear();
    EXPECT_FALSE(MakeProductBuyers(doc, "HAM-1", Day("20250501"), Day("20251231")));
    EXPECT_EQ(messages_, QStringList({"No Invoices within selected dates."}));
}

TEST_F(SalesReportsTest, ASpanHoldingOnlyDeletedInvoicesIsToldAsAnEmptyOne) {
    AddInvoice(6, 1, "20250601", 1.00, 0.50, 11.50, "");
    AddItem(6, "HAM-1", 1, 10, true, true);
    MarkDeleted(OpenInvoices, &InvTbl, "     6");
    for (auto make : {MakeSalesSummary, MakeProductSummary, MakeTaxReport}) {
        messages_.clear();
        EXPECT_FALSE(make(doc, Day("20250601"), Day("20250630")));
        EXPECT_EQ(messages_, QStringList({"No Invoices within selected dates."}));
        EXPECT_EQ(InvTbl, nullptr);
    }
}

TEST_F(SalesReportsTest, EveryLineIsRoundedAsTheInvoiceRoundsItAndTotalsAreTheSumOfTheLines) {
    // 1.5 x 0.33 is 0.495: each invoice bills 0.50. As a binary fraction it would print 0.49 on
    // every line and 99.00 at the end.
    for (int i = 0; i < 200; ++i) {
        AddInvoice(100 + i, 1, "20250601", 0.01, 0.03, 0, "");
        AddItem(100 + i, "NAIL", 1.5, 0.33, true, false);
    }
    ASSERT_TRUE(MakeSalesSummary(doc, Day("20250601"), Day("20250630")));
    EXPECT_EQ(doc.Lines[8][5], "R28      0.50");
    EXPECT_EQ(doc.Lines.last().join('|'),
              "V00|||R17Totals|V18|R28    100.00|V29|R40      2.00|V41|R52      6.00|V53|"
              "R63    108.00|V64|U");
    ASSERT_TRUE(MakeProductSummary(doc, Day("20250601"), Day("20250630")));
    EXPECT_EQ(Lines(doc, 8),
              std::vector<std::string>({
                  "V00|L02NAIL|V13|L15Nails, box|V43|R49    300.00|V51|R63    100.00|V65|U",
                  "V00|L02Total Sales|||||V51|R63    100.00|V65|U",
              }));
}

TEST_F(SalesReportsTest, ProductSummaryListsKnownProductsInCodeOrderThenUnknownOnes) {
    AddItem(3, "ZED-0", 2, 1.50, false, false);  // never on file
    ASSERT_TRUE(MakeProductSummary(doc, march1, march31));
    EXPECT_EQ(doc.Lines[2][0], "C32Sales by Product from 03/01/25 through 03/31/25");
    EXPECT_EQ(Lines(doc, 7),
              std::vector<std::string>({
                  "V00|L02Item Code|V13|L15Description|V43|R49Qty.|V51|R63Sale Total|V65|U",
                  "V00|L02HAM-1|V13|L15Claw hammer|V43|R49      3.00|V51|R63     32.00|V65|",
                  "V00|L02NAIL|V13|L15Nails, box|V43|R49      3.00|V51|R63      0.30|V65|",
                  "V00|L02SAW-2|V13|L15Hand saw|V43|R49      1.00|V51|R63     25.00|V65|",
                  // Deleted after it was sold, and never on file: in the order first sold.
                  "V00|L02GONE-9|V13|L15Unknown Product|V43|R49      0.50|V51|R63      1.01|V65|",
                  "V00|L02ZED-0|V13|L15Unknown Product|V43|R49      2.00|V51|R63      3.00|V65|U",
                  "V00|L02Total Sales|||||V51|R63     61.31|V65|U",
              }));
}

TEST_F(SalesReportsTest, ProductSummaryOfInvoicesWithoutItemsIsTold) {
    AddInvoice(9, 1, "20250701", 0, 0, 0, "");
    EXPECT_FALSE(MakeProductSummary(doc, Day("20250701"), Day("20250731")));
    EXPECT_EQ(messages_, QStringList({"No Sales within selected dates."}));
}

TEST_F(SalesReportsTest, TaxReportSumsTaxableSalesAndCharges) {
    ASSERT_TRUE(MakeTaxReport(doc, march1, march31));
    EXPECT_EQ(doc.Lines[2][0], "C25Tax report for 03/01/25 through 03/31/25");
    EXPECT_EQ(Lines(doc, 5), std::vector<std::string>({
                                 "|||U",
                                 "L00Net Item Sales||R50      58.31|U",
                                 "L00Sales subject to State Tax|R38      32.30||",
                                 "L00State Tax Charged||R50       1.62|U",
                                 "L00Sales subject to Local Tax|R38      57.00||",
                                 "L00Local Tax Charged||R50       0.94|U",
                                 "L00Total||R50      60.87|U",
                             }));
    EXPECT_EQ(progress_, QStringList({"show Processing Sales", "hide"}));
}

TEST_F(SalesReportsTest, TaxReportWithoutAFirstRateHasNoFirstTaxableLine) {
    Settings([](SettingsValues& s) { s.TaxRate1 = 0; });
    ASSERT_TRUE(MakeTaxReport(doc, march1, march31));
    EXPECT_EQ(Lines(doc, 5), std::vector<std::string>({
                                 "|||U",
                                 "L00Net Item Sales||R50      58.31|",
                                 "L00State Tax Charged||R50       1.62|U",
                                 "L00Sales subject to Local Tax|R38      57.00||",
                                 "L00Local Tax Charged||R50       0.94|U",
                                 "L00Total||R50      60.87|U",
                             }));
}

TEST_F(SalesReportsTest, TheFirstChargeIsSecondTaxableAlwaysOrWhenTheInvoiceBearsTheSecond) {
    // Always: 57.00 + 1.12 + 0.00 + 0.50.
    Settings([](SettingsValues& s) { s.ShipTax = 2; });
    ASSERT_TRUE(MakeTaxReport(doc, march1, march31));
    EXPECT_EQ(doc.Lines[9].join('|'), "L00Sales subject to Local Tax|R38      58.62||");
    // Only where the second charge is above zero: invoice 3 has none, so 57.00 + 1.12 + 0.00.
    Settings([](SettingsValues& s) { s.ShipTax = 3; });
    ASSERT_TRUE(MakeTaxReport(doc, march1, march31));
    EXPECT_EQ(doc.Lines[9].join('|'), "L00Sales subject to Local Tax|R38      58.12||");
}

TEST_F(SalesReportsTest, BuyersOfAProductWithTheirGroupsOrUnknown) {
    ASSERT_TRUE(MakeProductBuyers(doc, "nail", Day("20250201"), march31));
    EXPECT_EQ(doc.Lines[2][0], "C38Buyers of NAIL-Nails, box");
    EXPECT_EQ(doc.Lines[3][0], "C38from 02/01/25 through 03/31/25");
    EXPECT_EQ(Lines(doc, 8),
              std::vector<std::string>({
                  "V00|L01Customer|V36|L37MailGroup|V57|R66Date|V67|R76U-Price|V77|U",
                  // Customer 3's group 9 is not on file.
                  "V00|L01Cy Doe|V36|L37UNKNOWN|V57|R6602/27/25|V67|R76    0.10|V77|",
                  "V00|L01Cy Doe|V36|L37UNKNOWN|V57|R6602/27/25|V67|R76    0.10|V77|",
                  "V00|L01Ms Ann Lee|V36|L37Retail|V57|R6603/03/25|V67|R76    0.10|V77|U",
              }));
    EXPECT_EQ(progress_, QStringList({"show Processing Sales", "hide"}));

    // Customers by company; a customer no longer on file.
    Settings([](SettingsValues& s) { s.ByCust = false; });
    ASSERT_TRUE(MakeProductBuyers(doc, "HAM-1", march1, march31));
    EXPECT_EQ(doc.Lines[2][0], "C38Buyers of HAM-1-Claw hammer");
    EXPECT_EQ(Lines(doc, 9),
              std::vector<std::string>({
                  "V00|L0112 Oak St|V36|L37Retail|V57|R6603/03/25|V67|R76   11.00|V77|",
                  "V00|L01UNKNOWN|V36|L37UNKNOWN|V57|R6603/10/25|V67|R76   10.00|V77|U",
              }));
}

// The buyers are found through the items' product tag; an item or an invoice marked deleted
// drops its line.
TEST_F(SalesReportsTest, BuyersPassOverItemsAndInvoicesMarkedDeleted) {
    MarkDeleted(OpenItems, &ItemTbl, "     5");  // the first of invoice 5's two NAIL items
    MarkDeleted(OpenInvoices, &InvTbl, "     3");
    ASSERT_TRUE(MakeProductBuyers(doc, "NAIL", Day("20250201"), march31));
    EXPECT_EQ(Lines(doc, 9),
              std::vector<std::string>({
                  "V00|L01Cy Doe|V36|L37UNKNOWN|V57|R6602/27/25|V67|R76    0.10|V77|",
                  "V00|L01Ms Ann Lee|V36|L37Retail|V57|R6603/03/25|V67|R76    0.10|V77|U",
              }));
    ASSERT_TRUE(MakeProductBuyers(doc, "HAM-1", march1, march31));
    EXPECT_EQ(Lines(doc, 9), std::vector<std::string>({"V00|L01Ms Ann Lee|V36|L37Retail|V57|"
                                                       "R6603/03/25|V67|R76   11.00|V77|U"}));
}

// A pass reads on from where the items of the invoice before ended when the next invoice's
// follow them, and seeks otherwise: going back, skipping an invoice, one without items, one
// asked twice, and one whose first item is marked deleted all read what ForEachItem reads.
TEST_F(SalesReportsTest, AnItemPassReadsWhatForEachItemReadsInAnyOrderOfInvoices) {
    MarkDeleted(OpenItems, &ItemTbl, "     5");
    AddInvoice(6, 1, "20250402", 0, 0, 0, "");  // no items
    ASSERT_TRUE(OpenItems());
    const auto sales = [](const std::function<void(int, const std::function<void()>&)>& each,
                          std::initializer_list<int> numbers) {
        std::vector<std::string> read;
        for (int number : numbers)
            each(number, [&] {
                ReadItemCode();
                read.push_back(std::to_string(ItemBuf.IvNo) + ":" +
                               TrimRight(ItemBuf.PrID).toStdString() + "=" +
                               std::to_string(ItemSale()));
            });
        return read;
    };
    for (const std::initializer_list<int> numbers :
         {std::initializer_list<int>{1, 2, 3, 4, 5, 6}, {4, 5, 1, 3, 3, 6, 2, 5, 7}}) {
        ItemPass pass;
        const std::vector<std::string> passed =
            sales([&pass](int n, const std::function<void()>& visit) { pass.ForEach(n, visit); },
                  numbers);
        EXPECT_EQ(passed, sales(ForEachItem, numbers));
        EXPECT_EQ(passed.size(), numbers.size() == 6 ? 10u : 15u);
    }
    CloseReportTables();
}

// The engine's cache is cut for a pass and given back after it, and never grows past the setting.
TEST_F(SalesReportsTest, AOnePassCacheHoldsTheEngineToLittleOnlyWhileItLives) {
    const size_t setting = DbContext->cacheLimit();
    {
        const OnePassCache pass;
        EXPECT_EQ(DbContext->cacheLimit(), size_t{8} << 20);
        ASSERT_TRUE(MakeSalesSummary(doc, march1, march31));
    }
    EXPECT_EQ(DbContext->cacheLimit(), setting);
    DbContext->setCacheLimit(size_t{1} << 20);
    {
        const OnePassCache pass;
        EXPECT_EQ(DbContext->cacheLimit(), size_t{1} << 20);
    }
    EXPECT_EQ(DbContext->cacheLimit(), size_t{1} << 20);
    DbContext->setCacheLimit(setting);
}

TEST_F(SalesReportsTest, BuyersOfAProductNotOnFileOrNotSoldAreToldADeletedOneIsStillFound) {
    EXPECT_FALSE(MakeProductBuyers(doc, "ZZZ-1", march1, march31));
    EXPECT_FALSE(MakeProductBuyers(doc, "HAM", march1, march31));
    EXPECT_FALSE(MakeProductBuyers(doc, "SAW-2", Day("20250301"), Day("20250309")));
    EXPECT_EQ(messages_, QStringList({"Product not on file: ZZZ-1", "Product not on file: HAM",
                                      "No Buyers within selected dates."}));
    EXPECT_EQ(ProdTbl, nullptr);

    // A product deleted after it was sold keeps its buyers.
    ASSERT_TRUE(MakeProductBuyers(doc, "GONE-9", march1, march31));
    EXPECT_EQ(doc.Lines[2][0], "C38Buyers of GONE-9-Old stock");
    EXPECT_EQ(Lines(doc, 9), std::vector<std::string>({"V00|L01Bob Ray|V36|L37Wholesale|V57|"
                                                       "R6603/10/25|V67|R76    2.01|V77|U"}));
}

}  // namespace
