// Opening the tables: the order and first record each open leaves, and the message and end of
// the program when a table, tag or field cannot be opened.
#include <filesystem>

#include "db/field_values.h"
#include "db/maintenance.h"
#include "db/open_tables.h"
#include "db/read_write.h"
#include "db/schema.h"
#include "db/settings.h"
#include "tests/db/data_store_fixture.h"

namespace fs = std::filesystem;

namespace {

class OpenTest : public DataStoreTest {
protected:
    void SetUp() override { ASSERT_TRUE(RebuildIndexes(true)); }

    // Replaces the table's index group by one holding only the named tags.
    void KeepOnlyTags(const char* table, const std::vector<std::string>& keep) {
        std::vector<xbase::TagInfo> tags;
        for (const xbase::TagInfo& tag : SuppliedSchema().table(table)->tags)
            if (std::find(keep.begin(), keep.end(), tag.name) != keep.end()) tags.push_back(tag);
        DbContext->setAutoOpen(false);
        DbContext->setSafety(false);
        xbase::Table* t = DbContext->open(table);
        ASSERT_NE(t, nullptr);
        DbContext->createIndex(t, table, tags);
        DbContext->closeAll();
        DbContext->setAutoOpen(true);
        DbContext->setSafety(true);
        ASSERT_EQ(DbContext->errorCode(), 0);
    }

    QString Failure(const QString& file) {
        return "Unable to open file " + file + "\nProgram will now terminate.";
    }
};

TEST_F(OpenTest, AnErrorLeftByAnEarlierCallDoesNotFailTheNextOpen) {
    ASSERT_TRUE(OpenCustomers());
    CustTbl->appendBlank();
    CustFld.cuno->assignLong(12345678);  // too wide: refused, the error stays pending
    DbContext->closeAll();
    ASSERT_TRUE(OpenCustomers());
    ASSERT_TRUE(OpenSettings());
    EXPECT_EQ(DbContext->errorCode(), 0);
}

TEST_F(OpenTest, EachOpenLeavesItsTableOnTheFirstRecordOfItsTag) {
    ASSERT_TRUE(OpenCustomers());
    EXPECT_EQ(LastRc, xbase::kEof);
    for (const char* last : {"Zimmer", "adams", "Miller"}) {
        CustTbl->appendBlank();
        CustBuf = {};
        CustBuf.last = last;
        WriteCustomer();
    }
    DbContext->closeAll();
    ASSERT_TRUE(OpenCustomers());
    EXPECT_EQ(LastRc, 0);
    EXPECT_EQ(CustTbl->recNo(), 2u);
    ASSERT_TRUE(OpenGroups());
    ASSERT_TRUE(OpenInvoices());
    ASSERT_TRUE(OpenItems());
    ASSERT_TRUE(OpenLabels());
    ASSERT_TRUE(OpenPayments());
    ASSERT_TRUE(OpenProducts());
    ASSERT_TRUE(OpenPurchases());
    EXPECT_EQ(LastRc, xbase::kEof);
    EXPECT_TRUE(messages_.isEmpty());
    EXPECT_EQ(endCalls_, 0);
}

TEST_F(OpenTest, AMissingTableEndsTheProgramNamingItsFile) {
    fs::remove("Prod5.dbf");
    EXPECT_FALSE(OpenProducts());
    EXPECT_EQ(messages_, QStringList{Failure("PROD5.DBF")});
    EXPECT_EQ(endCalls_, 1);
    EXPECT_EQ(ProdTbl, nullptr);
    // The failure is not left behind for the next open.
    EXPECT_TRUE(OpenCustomers());
    EXPECT_EQ(endCalls_, 1);
}

TEST_F(OpenTest, AMissingSettingsTableEndsTheProgramAlsoWhenSaving) {
    fs::remove("CVN1.dbf");
    EXPECT_FALSE(LoadSettings());
    EXPECT_FALSE(SaveSettings());
    EXPECT_EQ(messages_, QStringList({Failure("CVN1.DBF"), Failure("CVN1.DBF")}));
    EXPECT_EQ(endCalls_, 2);
    EXPECT_TRUE(DbContext->autoOpen());
}

TEST_F(OpenTest, AMissingTagNamesItsIndexFile) {
    KeepOnlyTags("CUST5", {"CCNO"});
    KeepOnlyTags("GROUPS", {"CGroup"});
    KeepOnlyTags("INV5", {"InvC", "InvD"});
    KeepOnlyTags("PMT", {"PmtD"});
    EXPECT_FALSE(OpenCustomers());
    EXPECT_FALSE(OpenGroups());
    EXPECT_FALSE(OpenInvoices());
    EXPECT_FALSE(OpenPayments());
    EXPECT_EQ(messages_, QStringList({Failure("AccTag.Ntx"), Failure("AccTag.Ntx"),
                                      Failure("Inv.Ntx"), Failure("Pmt.Ntx")}));
    EXPECT_EQ(endCalls_, 4);
}

TEST_F(OpenTest, ATableLackingABoundFieldCountsAsUnopenable) {
    fs::remove("LABELS.dbf");
    fs::remove("LABELS.cgp");
    fs::remove("Labels.ntx");
    xbase::Table* t = DbContext->create("LABELS", {{"Name", 'C', 40, 0}, {"TopM", 'N', 9, 3}});
    ASSERT_NE(t, nullptr);
    DbContext->createIndex(t, "LABELS", SuppliedSchema().table("LABELS")->tags);
    DbContext->closeAll();
    ASSERT_EQ(DbContext->errorCode(), 0);

    EXPECT_FALSE(OpenLabels());
    EXPECT_EQ(messages_, QStringList{Failure("LABELS.DBF")});
    EXPECT_EQ(endCalls_, 1);
}

}  // namespace

TEST(CacheSetting, WholeMegabytesInRangeAreTakenAnythingElseGivesTheDefault) {
    EXPECT_EQ(CacheBytesFromSetting("16"), size_t{16} << 20);
    EXPECT_EQ(CacheBytesFromSetting(" 200\n"), size_t{200} << 20);
    EXPECT_EQ(CacheBytesFromSetting("65536"), size_t{65536} << 20);
    for (const char* bad : {"", "0", "-5", "1.5", "64MB", "65537"})
        EXPECT_EQ(CacheBytesFromSetting(bad), size_t{64} << 20) << bad;
    InitDbContext();
    EXPECT_EQ(DbContext->cacheLimit(), CacheBytesFromSetting(qgetenv("CORVANE_CACHE_MB")));
    FreeDbContext();
}
