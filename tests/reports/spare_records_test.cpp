// The reports over the hand-made business of sales_data_fixture.h after its invoices were saved
// smaller and larger again, so that items and payments went through spare records: each
// report, and each invoice printed, reads as over the business stored plainly.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "invoice/invoice_data.h"
#include "invoice/invoice_store.h"
#include "reports/account_reports.h"
#include "reports/invoice_documents.h"
#include "reports/sales_reports.h"
#include "tests/reports/sales_data_fixture.h"

using namespace reports;

namespace {

class SpareRecordsTest : public SalesDataTest {
protected:
    ReportDocument& doc = TheReport();

    // Every line of every report that reads items or payments, over all the invoices.
    std::vector<std::string> AllReports() {
        const double from = Day("20250201");
        const double to = Day("20250430");
        const std::vector<std::function<bool()>> makes = {
            [&] { return MakeSalesSummary(doc, from, to); },
            [&] { return MakeProductSummary(doc, from, to); },
            [&] { return MakeTaxReport(doc, from, to); },
            [&] { return MakeProductBuyers(doc, "HAM-1", from, to); },
            [&] { return MakeProductBuyers(doc, "NAIL", from, to); },
            [&] { return MakeDailyIncome(doc, from, to); },
            [&] { return MakeReceivables(doc, to); },
            [&] { return MakeInvoicesByNumber(doc, {1, 2, 3, 4, 5}, true, PaperMeasure{}); },
        };
        std::vector<std::string> lines;
        for (const auto& make : makes) {
            EXPECT_TRUE(make());
            for (const std::string& line : Lines(doc, 0)) lines.push_back(line);
        }
        return lines;
    }

    // Loads invoice `ivNo`, lets `change` change its rows and saves it through the invoice store.
    static void Resave(int ivNo, const std::function<void()>& change) {
        ASSERT_TRUE(OpenCustomers() && OpenInvoices() && OpenItems() && OpenPayments() &&
                    OpenProducts());
        InvTbl->select(InvTbl->tag("Inv"));
        ASSERT_EQ(InvTbl->seek(NumberKey(ivNo)), xbase::kFound);
        const auto rec = static_cast<int32_t>(InvTbl->recNo());
        ASSERT_TRUE(LoadInvoice(rec));
        change();
        QString error;
        EXPECT_TRUE(StoreInvoice(rec, CustBuf.note, nullptr, &error)) << error.toStdString();
        CloseReportTables();
    }
};

TEST_F(SpareRecordsTest, ReportsReadAsBeforeOverSparesAndInvoicesGrownIntoThem) {
    const std::vector<std::string> before = AllReports();
    ASSERT_GT(before.size(), 100u);

    // Invoice 3 leaves two item and two payment records spare above every other record.
    Resave(3, [] {
        ItemRows.push_back(ItemRows[0]);
        ItemRows.push_back(ItemRows[0]);
        PmtRows = {{"03/20/25", "      1.00"}, {"03/21/25", "      2.00"}};
    });
    Resave(3, [] {
        ItemRows.resize(1);
        PmtRows.clear();
    });
    // Invoice 1's records, the lowest, become spares; invoice 5 grows into them and shrinks
    // back, and invoice 1 takes its rows back into the spares invoice 5 left.
    std::vector<ItemRow> firstItems;
    std::vector<PmtRow> firstPayments;
    Resave(1, [&] {
        firstItems = ItemRows;
        firstPayments = PmtRows;
        ItemRows.clear();
        PmtRows.clear();
    });
    Resave(5, [] {
        ItemRows.push_back(ItemRows[4]);
        ItemRows.push_back(ItemRows[4]);
    });
    Resave(5, [] { ItemRows.resize(5); });
    Resave(1, [&] {
        ItemRows = firstItems;
        PmtRows = firstPayments;
    });

    ASSERT_TRUE(OpenItems() && OpenPayments());
    EXPECT_EQ(ItemTbl->recCount(), 13u) << "two spares left, none packed";
    EXPECT_EQ(PmtTbl->recCount(), 6u);
    CloseReportTables();
    EXPECT_EQ(AllReports(), before);
}

}  // namespace
