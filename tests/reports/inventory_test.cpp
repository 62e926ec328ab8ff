// Costing stock by purchase lots, and the stock reports over hand-made tables.
#include <gtest/gtest.h>

#include "core/convert.h"
#include "invoice/invoice_data.h"
#include "invoice/invoice_store.h"
#include "reports/inventory_costing.h"
#include "reports/inventory_reports.h"
#include "tests/reports/report_data_fixture.h"

using namespace reports;

namespace {

constexpr double kJan1 = 46023;  // 2026-01-01

Purchase Lot(double day, int64_t quantity, int64_t cost) {
    return {kJan1 + day, quantity * 100, cost * 100};
}
Sale Sold(double day, int64_t quantity) {
    return {kJan1 + day, quantity * 100};
}

}  // namespace

TEST(CostLots, FirstInTakesTheOldestLotLastInTheNewest) {
    const std::vector<Purchase> lots = {Lot(0, 10, 100), Lot(5, 10, 200)};
    const std::vector<Sale> sale = {Sold(10, 15)};
    const ProductCost fifo = CostLots(lots, sale, kJan1 + 30, true);
    EXPECT_EQ(fifo.lotQuantity, 500);  // 0 and 5 left
    EXPECT_EQ(fifo.lotValue, 10000);   // 5 at 20.00
    const ProductCost lifo = CostLots(lots, sale, kJan1 + 30, false);
    EXPECT_EQ(lifo.lotQuantity, 500);  // 5 and 0 left
    EXPECT_EQ(lifo.lotValue, 5000);    // 5 at 10.00
    EXPECT_EQ(fifo.unmatchedSold, 0);

    // Last in: a sale dated before the newest lot takes from the older lots first.
    const ProductCost early = CostLots(lots, {Sold(3, 4)}, kJan1 + 30, false);
    EXPECT_EQ(early.lotValue, 6 * 1000 + 10 * 2000);
}

TEST(CostLots, UnmatchedSalesOnOrderAndEmptyPurchases) {
    const std::vector<Purchase> lots = {Lot(0, 10, 100), Lot(1, 0, 50), Lot(40, 7, 70)};
    const ProductCost c = CostLots(lots, {Sold(2, 12), Sold(45, 3)}, kJan1 + 30, true);
    EXPECT_EQ(c.lotQuantity, 0);
    EXPECT_EQ(c.onOrder, 700);              // bought after the date
    EXPECT_EQ(c.unmatchedSold, 200 + 300);  // beyond every lot, and sold after the date
    const ProductCost none = CostLots({}, {Sold(1, 2)}, kJan1 + 30, false);
    EXPECT_EQ(none.unmatchedSold, 200);
}

TEST(CostLots, AReturnGoesBackToTheFirstLotOrLowersTheUnmatched) {
    const std::vector<Purchase> lots = {Lot(0, 10, 100), Lot(5, 10, 300)};
    const std::vector<Sale> sales = {Sold(6, 12), Sold(7, -2)};
    const ProductCost fifo = CostLots(lots, sales, kJan1 + 30, true);
    EXPECT_EQ(fifo.lotQuantity, 1000);
    EXPECT_EQ(fifo.lotValue, 2 * 1000 + 8 * 3000);
    const ProductCost lifo = CostLots(lots, sales, kJan1 + 30, false);
    EXPECT_EQ(lifo.lotQuantity, 800);
    EXPECT_EQ(lifo.unmatchedSold, -200);
}

TEST(CostLots, UnitCostsOfOddPurchasesAreValuedToTheCent) {
    // 3 for 10.00: each 3.333...; one left is worth 3.33, two 6.67.
    EXPECT_EQ(CostLots({Lot(0, 3, 10)}, {Sold(1, 2)}, kJan1 + 5, true).lotValue, 333);
    EXPECT_EQ(CostLots({Lot(0, 3, 10)}, {Sold(1, 1)}, kJan1 + 5, true).lotValue, 667);
}

namespace {

class InventoryReportTest : public ReportDataTest {
protected:
    void SetUp() override {
        AddProduct("BOLT", "Bolts", 1, 40);
        AddProduct("NUT", "Nuts", 1, 5);
        AddProduct("SRV", "Service", 50);
        ASSERT_TRUE(OpenProducts());
        ProdTbl->go(3);
        ProdFld.lInven->assign("F");
        reports::CloseReportTables();
        AddPurchase("BOLT", "20260105", 10, 10);
        AddPurchase("BOLT", "20260110", 10, 30);
        AddPurchase("NUT", "20260301", 20, 2);
        Sell(1, "20260112", "BOLT", "15");
        Sell(2, "20260113", "SRV", "1");
        SettingsRecord.fifo = true;
    }
    static void Sell(int ivNo, const char* date, const QString& product, const QString& qty) {
        ASSERT_TRUE(OpenCustomers() && OpenInvoices() && OpenItems() && OpenPayments() &&
                    OpenProducts());
        InvBuf = {};
        InvBuf.IvNo = ivNo;
        InvBuf.CuNo = 1;
        InvBuf.IDate = TextToDate(date);
        ClearInvoiceRows();
        ItemRow row;
        row[kItemPrID] = product;
        row[kItemQty] = qty;
        row[kItemPrice] = "1.00";
        ItemRows.push_back(row);
        QString error;
        ASSERT_TRUE(StoreInvoice(0, {}, nullptr, &error)) << error.toStdString();
        reports::CloseReportTables();
    }
    static QString Line(const ReportDocument& doc, int i) { return doc.Lines.at(i).join('|'); }
};

}  // namespace

TEST_F(InventoryReportTest, ValuationListsTrackedProductsWithTheirTotal) {
    ReportDocument& doc = TheReport();
    ASSERT_TRUE(MakeInventoryValuation(doc, Day("20260131")));
    EXPECT_EQ(Line(doc, 2), "C33Inventory as of 01/31/26||||B");
    EXPECT_EQ(Line(doc, 8), "L00BOLT|L12Bolts|R52        5.00|R67       15.00|");
    EXPECT_EQ(Line(doc, 9), "L00NUT|L12Nuts|R52        0.00|R67        0.00|U");
    EXPECT_EQ(Line(doc, 10), "||R52Total|R67       15.00|");
    EXPECT_EQ(doc.Lines.size(), 11);
}

TEST_F(InventoryReportTest, StockOnHandMarksWhatMustBeReordered) {
    ReportDocument& doc = TheReport();
    ASSERT_TRUE(MakeStockOnHand(doc, Day("20260201")));
    EXPECT_EQ(Line(doc, 9),
              "L00BOLT|L12Bolts|R52        5.00|R65        0.00|R78       40.00|R85YES|B");
    EXPECT_EQ(Line(doc, 10),
              "L00NUT|L12Nuts|R52        0.00|R65       20.00|R78        5.00|R85OK|U");
}

TEST_F(InventoryReportTest, CostOfGoodsSoldOverASpan) {
    ReportDocument& doc = TheReport();
    ASSERT_TRUE(MakeCostOfGoodsSold(doc, Day("20260101"), Day("20260131")));
    const int first = doc.CurLine - 4;
    EXPECT_EQ(Line(doc, first), "L00Beginning Inventory|R50        0.00|");
    EXPECT_EQ(Line(doc, first + 1), "L00Inventory Purchases|R50       40.00|U");
    EXPECT_EQ(Line(doc, first + 3), "L00Ending Inventory|R50       15.00|U");
    EXPECT_EQ(Line(doc, first + 4), "L00Cost of Goods Sold|R50       25.00|");

    ASSERT_TRUE(MakeCostOfGoodsSold(doc, Day("20260601"), Day("20260630")));
    EXPECT_EQ(Line(doc, doc.CurLine - 4), "L00Beginning Inventory|R50       17.00|");
    EXPECT_EQ(Line(doc, doc.CurLine), "L00Cost of Goods Sold|R50        0.00|");
}
