// The synthetic data: the same seed writes the same files, and what it writes hangs together
// the way the program's own records do.
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "core/convert.h"
#include "db/data_check.h"
#include "db/field_values.h"
#include "db/generator.h"
#include "db/open_tables.h"
#include "db/read_write.h"
#include "tests/db/data_store_fixture.h"

namespace fs = std::filesystem;

namespace {

std::string Contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The table and memo files of a directory, by name.
std::map<std::string, std::string> TableFiles(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string ext = entry.path().extension().string();
        if (ext == ".dbf" || ext == ".dbt")
            files[entry.path().filename().string()] = Contents(entry.path());
    }
    return files;
}

class GeneratorTest : public DataStoreTest {
protected:
    GeneratorCounts Generate(const GeneratorOptions& options) {
        GeneratorCounts counts;
        QString error;
        EXPECT_TRUE(GenerateData(options, &counts, &error)) << error.toStdString();
        return counts;
    }
};

TEST_F(GeneratorTest, TheSameSeedWritesTheSameFiles) {
    Generate({60, 300, 42});
    const auto first = TableFiles(dir_.path());
    {
        TempDataDir again(TempDataDir::SuppliedTables);
        Generate({60, 300, 42});
        EXPECT_TRUE(TableFiles(again.path()) == first);
    }
    {
        TempDataDir other(TempDataDir::SuppliedTables);
        Generate({60, 300, 43});
        EXPECT_FALSE(TableFiles(other.path()) == first);
    }
}

TEST_F(GeneratorTest, InvoicesHangTogetherWithTheirCustomersItemsAndPayments) {
    const GeneratorCounts counts = Generate({120, 800, 7});
    EXPECT_EQ(counts.customers, 120);
    EXPECT_EQ(counts.invoices, 800);
    EXPECT_GE(counts.groups, 1);
    EXPECT_GT(counts.purchases, 0);
    EXPECT_EQ(CheckDataFiles(), QStringList());

    ASSERT_TRUE(OpenCustomers() && OpenGroups() && OpenInvoices() && OpenItems() &&
                OpenPayments() && OpenProducts());
    std::set<int> customers;
    for (int rc = CustTbl->top(); rc == 0; rc = CustTbl->skip()) {
        ReadCustomer();
        customers.insert(CustBuf.cuno);
        FindGroup();
        EXPECT_TRUE(CustBuf.ngroup == 0 || GroupBuf.nGroup == CustBuf.ngroup) << CustBuf.ngroup;
    }
    EXPECT_EQ(customers.size(), 120u);

    const double first = TextToDate(kGeneratedFirstDay);
    const double last = TextToDate(kGeneratedLastDay);
    double previous = first;
    int items = 0;
    int payments = 0;
    for (int rc = InvTbl->top(); rc == 0; rc = InvTbl->skip()) {
        ReadInvoice();
        EXPECT_TRUE(customers.count(InvBuf.CuNo)) << InvBuf.IvNo;
        EXPECT_GE(InvBuf.IDate, previous) << InvBuf.IvNo;
        EXPECT_LE(InvBuf.IDate, last) << InvBuf.IvNo;
        previous = InvBuf.IDate;

        double subtotal = 0;
        int count = 0;
        for (Seek(ItemTbl, ReadText(InvFld.IvNo)); LastRc == 0; LastRc = ItemTbl->skip()) {
            ReadItem();
            if (ItemBuf.IvNo != InvBuf.IvNo) break;
            subtotal += RoundCents(ItemBuf.UPR * ItemBuf.Qty);
            EXPECT_EQ(Seek(ProdTbl, ItemBuf.PrID), 0) << ItemBuf.PrID.toStdString();
            ++count;
        }
        EXPECT_GE(count, 1) << InvBuf.IvNo;
        EXPECT_LE(count, 8) << InvBuf.IvNo;
        items += count;

        double paid = 0;
        count = 0;
        for (Seek(PmtTbl, ReadText(InvFld.IvNo)); LastRc == 0; LastRc = PmtTbl->skip()) {
            ReadPayment();
            if (PmtBuf.IvNo != InvBuf.IvNo) break;
            EXPECT_GE(PmtBuf.PDate, InvBuf.IDate);
            EXPECT_LE(PmtBuf.PDate, last);
            paid += PmtBuf.PAmt;
            ++count;
        }
        EXPECT_LE(count, 2) << InvBuf.IvNo;
        payments += count;
        EXPECT_NEAR(InvBuf.Due, subtotal + InvBuf.Ship + InvBuf.Tax - paid, 0.005) << InvBuf.IvNo;
    }
    EXPECT_EQ(items, counts.items);
    EXPECT_EQ(payments, counts.payments);
}

TEST_F(GeneratorTest, RefusesADirectoryThatAlreadyHoldsRecords) {
    Generate({10, 5, 1});
    GeneratorCounts counts;
    QString error;
    EXPECT_FALSE(GenerateData({10, 5, 1}, &counts, &error));
    EXPECT_TRUE(error.contains("already holds records")) << error.toStdString();
    EXPECT_EQ(endCalls_, 0);
}

}  // namespace
