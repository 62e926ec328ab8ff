// The loader of printed runs against LoadInvoice over the same records: what the documents read
// of the open invoice must come out the same, invoice after invoice, whatever the amount fields
// hold, with the products looked up once in the run and the payments left undated.
#include <gtest/gtest.h>

#include <QString>
#include <vector>

#include "core/dates.h"
#include "invoice/invoice_data.h"
#include "invoice/invoice_store.h"
#include "masters/address_block.h"
#include "reports/invoice_loader.h"
#include "tests/reports/report_data_fixture.h"

using namespace reports;

namespace {

// What a document reads of the open invoice (of the payments, their amounts).
struct Loaded {
    int ivNo = 0;
    int cuNo = 0;
    double date = 0;
    QString memo;
    QString remarks;
    double ship = 0;
    double tax = 0;
    double due = 0;
    std::vector<ItemRow> items;
    std::vector<QString> paid;  // the payments' amounts
    std::array<QString, 5> address;

    static Loaded Now() {
        std::vector<QString> paid;
        for (const PmtRow& row : PmtRows) paid.push_back(row[kPmtAmount]);
        return {InvBuf.IvNo, InvBuf.CuNo, InvBuf.IDate, InvBuf.IMemo, InvBuf.REM, InvBuf.Ship,
                InvBuf.Tax,  InvBuf.Due,  ItemRows,     paid,         AddressLines};
    }
    bool operator==(const Loaded&) const = default;
};

class InvoiceLoaderTest : public ReportDataTest {
protected:
    static bool OpenAll() {
        return OpenCustomers() && OpenInvoices() && OpenItems() && OpenPayments() &&
               OpenProducts();
    }

    // Appends an invoice of customer `cuno` whose items have these product codes and raw
    // quantity and price texts, and these raw payment amounts; its INV5 record.
    static uint32_t AddInvoice(int ivNo, int cuno,
                               const std::vector<std::array<const char*, 3>>& items,
                               const std::vector<const char*>& payments) {
        InvBuf = {};
        InvBuf.IvNo = ivNo;
        InvBuf.CuNo = cuno;
        InvBuf.IDate = Day("20250310");
        InvBuf.IMemo = "Order";
        InvBuf.Ship = 1.5;
        InvBuf.Due = 4.25;
        InvBuf.REM = "Thank you.";
        InvTbl->appendBlank();
        WriteInvoice();
        const uint32_t rec = InvTbl->recNo();
        for (const auto& [code, qty, price] : items) {
            ItemBuf = {};
            ItemBuf.IvNo = ivNo;
            ItemBuf.PrID = code;
            ItemBuf.PDesc = "Desc";
            ItemBuf.IComm = "Note  ";
            ItemBuf.LTax1 = true;
            ItemTbl->appendBlank();
            WriteItem();
            ItemFld.Qty->assign(qty);
            ItemFld.UPR->assign(price);
        }
        for (const char* amount : payments) {
            PmtBuf = {ivNo, Day("20250311"), 0};
            PmtTbl->appendBlank();
            WritePayment();
            PmtFld.PAmt->assign(amount);
        }
        return rec;
    }
};

TEST_F(InvoiceLoaderTest, LoadsWhatLoadInvoiceLoadsInvoiceAfterInvoice) {
    ASSERT_TRUE(OpenAll());
    CustBuf = {};
    CustBuf.cuno = 3;
    CustBuf.first = "Ann";
    CustBuf.last = "Baxter";
    CustBuf.addr1 = "4 Elm Road";
    CustBuf.zip = "62704";
    CustBuf.comments = "Pays late.";
    CustTbl->appendBlank();
    WriteCustomer();
    ProdBuf = {};
    ProdBuf.PrID = "NAIL";
    ProdBuf.RCode = " RC-9 ";
    ProdBuf.PMemo = "Keep dry.\n";
    ProdTbl->appendBlank();
    WriteProduct();
    // Plain amounts, negative ones, a minus zero, blanks, a third decimal and an exponent.
    const std::vector<uint32_t> recs = {
        AddInvoice(1, 3, {{"NAIL", "3.00", "2.50"}, {"nail", "-1.5", "-0.00"}}, {"1.00", "-0.84"}),
        AddInvoice(2, 99, {{"GONE", "", ".5"}, {"NAIL", "1.005", "1e2"}}, {}),
        AddInvoice(3, 3, {}, {"  12345.67"}),
    };
    InvoiceLoader loader;
    for (uint32_t rec : recs) {
        ASSERT_TRUE(LoadInvoice(static_cast<int32_t>(rec)));
        const Loaded expected = Loaded::Now();
        for (const PmtRow& row : PmtRows)
            EXPECT_EQ(row[kPmtDate], DateToShortText(Day("20250311")));
        InvBuf = {};
        ItemRows.clear();
        PmtRows.clear();
        AddressLines = {"stale"};
        ASSERT_TRUE(loader.Load(rec));
        EXPECT_TRUE(Loaded::Now() == expected) << "record " << rec;
        for (const PmtRow& row : PmtRows) EXPECT_EQ(row[kPmtDate], "");
    }
    EXPECT_EQ(ItemRows.size(), 0u);
    EXPECT_EQ(PmtRows.at(0).at(kPmtAmount), "  12345.67");
    EXPECT_FALSE(loader.Load(InvTbl->recCount() + 1));
    CloseReportTables();
}

}  // namespace
