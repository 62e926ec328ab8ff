// Index rebuild and pack: which files a start-up rebuild re-creates, the progress both report,
// what a pack keeps and removes, and a pack that has to skip a table.
#include <QDir>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <tuple>

#include "core/convert.h"
#include "core/dates.h"
#include "db/field_values.h"
#include "db/maintenance.h"
#include "db/open_tables.h"
#include "db/read_write.h"
#include "db/schema.h"
#include "tests/db/data_store_fixture.h"

namespace fs = std::filesystem;

namespace {

class MaintenanceTest : public DataStoreTest {
protected:
    void SetUp() override {
        Progress.show = [this](bool visible, const QString& caption) {
            progress_ << QString("show %1 %2").arg(visible).arg(caption);
        };
        Progress.set = [this](int percent) { progress_ << QString::number(percent); };
    }

    void AddCustomers(const std::vector<std::pair<int, const char*>>& customers) {
        ASSERT_TRUE(OpenCustomers());
        for (const auto& [number, last] : customers) {
            CustTbl->appendBlank();
            CustBuf = {};
            CustBuf.cuno = number;
            CustBuf.last = last;
            CustBuf.comments = QString("Notes on %1").arg(last);
            WriteCustomer();
        }
        DbContext->closeAll();
    }

    // The customers in record order, as "number last".
    QStringList Customers() {
        QStringList list;
        EXPECT_TRUE(OpenCustomers());
        CustTbl->select(nullptr);
        for (int rc = CustTbl->top(); rc == 0; rc = CustTbl->skip()) {
            ReadCustomer();
            list << QString("%1 %2").arg(CustBuf.cuno).arg(CustBuf.last.trimmed());
        }
        DbContext->closeAll();
        return list;
    }

    // Marks deleted the customers with these numbers.
    void DeleteCustomers(const std::vector<int>& numbers) {
        ASSERT_TRUE(OpenCustomers());
        CustTbl->select(CustTbl->tag("CCNO"));
        for (int n : numbers) {
            ASSERT_EQ(Seek(CustTbl, PadNum(n, 6)), 0);
            CustTbl->deleteRecord();
        }
        DbContext->closeAll();
    }

    QStringList progress_;
};

// The modification times of the data and index files; the engine's fit records (NAME.fit) are
// written afresh whenever the files they name changed, which the tests here make them do.
std::map<std::string, fs::file_time_type> Stamps() {
    std::map<std::string, fs::file_time_type> stamps;
    for (const auto& entry : fs::directory_iterator("."))
        if (entry.path().extension() != ".fit")
            stamps[entry.path().filename().string()] = entry.last_write_time();
    return stamps;
}

TEST_F(MaintenanceTest, AStartUpRebuildCreatesEveryMissingGroupWithoutProgress) {
    ASSERT_TRUE(RebuildIndexes(true));
    const QStringList files = QDir(".").entryList({"*.ntx", "*.cgp"}, QDir::Files, QDir::Name);
    EXPECT_EQ(files.size(), 25);
    EXPECT_TRUE(files.contains("CUST5.cgp"));
    EXPECT_TRUE(files.contains("ItmP.ntx"));
    EXPECT_TRUE(files.contains("InvB.ntx"));
    EXPECT_TRUE(progress_.isEmpty());
    EXPECT_TRUE(DbContext->autoOpen());
    EXPECT_TRUE(DbContext->safety());
    EXPECT_EQ(DbContext->accessMode(), 0);
}

TEST_F(MaintenanceTest, DeletingOnlyCcnoRecreatesExactlyTheCustomerGroup) {
    ASSERT_TRUE(RebuildIndexes(true));
    AddCustomers({{3, "Carter"}, {1, "Anderson"}, {2, "Baker"}});
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const auto& entry : fs::directory_iterator(".")) fs::last_write_time(entry.path(), old);
    fs::remove("CCNO.ntx");

    ASSERT_TRUE(RebuildIndexes(true));
    std::set<std::string> rewritten;
    for (const auto& [file, stamp] : Stamps())
        if (stamp != old) rewritten.insert(file);
    EXPECT_EQ(rewritten, (std::set<std::string>{"CName.ntx", "CCNO.ntx", "CZip.ntx", "cComp.ntx",
                                                "CUST5.cgp"}));
    ASSERT_TRUE(OpenCustomers());
    CustTbl->select(CustTbl->tag("ccno"));
    EXPECT_EQ(Seek(CustTbl, PadNum(2, 6)), 0);
    ReadCustomer();
    EXPECT_EQ(CustBuf.last.trimmed(), "Baker");
}

TEST_F(MaintenanceTest, AFullRebuildReportsItsProgressAndRebuildsStaleIndexes) {
    ASSERT_TRUE(RebuildIndexes(true));
    // Records added while the indexes are not open leave them stale.
    DbContext->setAutoOpen(false);
    CustTbl = DbContext->open("CUST5");
    ASSERT_TRUE(BindCustomerFields());
    CustTbl->appendBlank();
    CustBuf = {};
    CustBuf.cuno = 77;
    WriteCustomer();
    DbContext->closeAll();
    DbContext->setAutoOpen(true);

    ASSERT_TRUE(RebuildIndexes(false));
    EXPECT_EQ(progress_, QStringList({"show 1 Rebuilding Indexes", "5", "25", "30", "35", "40",
                                      "60", "80", "100", "100", "show 0 "}));
    ASSERT_TRUE(OpenCustomers());
    CustTbl->select(CustTbl->tag("CCNO"));
    EXPECT_EQ(Seek(CustTbl, PadNum(77, 6)), 0);
}

// Index files that are present but not the table's own: one left from before a record was
// added, one holding another tag's key, one from a data set with more records. A start-up
// rebuild re-creates the group of each, and nothing else, as it does a missing one.
TEST_F(MaintenanceTest, AStartUpRebuildRecreatesIndexFilesThatDoNotFitTheirTable) {
    ASSERT_TRUE(RebuildIndexes(true));
    AddCustomers({{1, "Anderson"}, {2, "Baker"}});
    fs::create_directory("other");
    fs::copy_file("CCNO.ntx", "other/stale.ntx");
    AddCustomers({{3, "Carter"}, {4, "Dunn"}, {5, "Evans"}});
    fs::copy_file("CCNO.ntx", "other/bigger.ntx");
    DeleteCustomers({4, 5});
    ASSERT_TRUE(PackTable("CUST5", false));

    const std::set<std::string> customerGroup = {"CName.ntx", "CCNO.ntx", "CZip.ntx",
                                                 "cComp.ntx", "CUST5.cgp"};
    const std::vector<std::tuple<std::string, std::string, std::set<std::string>>> cases = {
        {"other/stale.ntx", "CCNO.ntx", customerGroup},
        {"other/bigger.ntx", "CCNO.ntx", customerGroup},
        {"CGroup.ntx", "NGroup.ntx", {"NGroup.ntx", "CGroup.ntx", "GROUPS.cgp"}},
    };
    for (const auto& [from, to, rebuilt] : cases) {
        fs::copy_file(from, to, fs::copy_options::overwrite_existing);
        const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
        for (const auto& entry : fs::directory_iterator(".")) fs::last_write_time(entry.path(), old);
        ASSERT_TRUE(RebuildIndexes(true)) << from;
        std::set<std::string> rewritten;
        for (const auto& [file, stamp] : Stamps())
            if (stamp != old) rewritten.insert(file);
        EXPECT_EQ(rewritten, rebuilt) << from;
        ASSERT_TRUE(OpenCustomers());
        CustTbl->select(CustTbl->tag("CCNO"));
        QStringList inOrder;
        for (int rc = CustTbl->top(); rc == 0; rc = CustTbl->skip()) {
            ReadCustomer();
            inOrder << CustBuf.last.trimmed();
        }
        DbContext->closeAll();
        EXPECT_EQ(inOrder, QStringList({"Anderson", "Baker", "Carter"})) << from;
    }
    EXPECT_EQ(endCalls_, 0);
    EXPECT_TRUE(messages_.isEmpty());
}

// The invoices' tag on date and balance follows appends, a changed balance and a pack, and a
// start-up rebuild re-creates it when it is cut short, left from fewer invoices, or missing from
// a data directory made before it.
TEST_F(MaintenanceTest, TheInvoiceBalanceTagIsKeptAndRecreatedLikeTheOthers) {
    ASSERT_TRUE(RebuildIndexes(true));
    const auto addInvoice = [](int number, const char* date, double due) {
        ASSERT_TRUE(OpenInvoices());
        InvBuf = {};
        InvBuf.IvNo = number;
        InvBuf.CuNo = 1;
        InvBuf.IDate = TextToDate(date);
        InvBuf.Due = due;
        InvTbl->appendBlank();
        WriteInvoice();
        DbContext->closeAll();
    };
    const auto keys = [] {
        QStringList keys;
        EXPECT_TRUE(OpenInvoices());
        InvTbl->select(InvTbl->tag("InvB"));
        for (int rc = InvTbl->top(); rc == 0; rc = InvTbl->skip())
            keys << QString::fromStdString(InvTbl->currentKey());
        DbContext->closeAll();
        return keys;
    };
    addInvoice(1, "20250302", 5);
    fs::copy_file("InvB.ntx", "fewer.ntx");
    addInvoice(2, "20250301", 0);
    addInvoice(3, "20250302", -1.5);
    ASSERT_TRUE(OpenInvoices());
    InvTbl->select(InvTbl->tag("Inv"));
    ASSERT_EQ(Seek(InvTbl, PadNum(1, 6)), 0);
    InvFld.Due->assignDouble(0);
    ASSERT_EQ(Seek(InvTbl, PadNum(2, 6)), 0);
    InvTbl->deleteRecord();
    DbContext->closeAll();
    ASSERT_TRUE(PackTable("INV5", false));
    const QStringList expected = {"20250302         0.00", "20250302        -1.50"};
    EXPECT_EQ(keys(), expected);

    const auto cutShort = [] { fs::resize_file("InvB.ntx", 1024); };
    const auto fromFewer = [] {
        fs::copy_file("fewer.ntx", "InvB.ntx", fs::copy_options::overwrite_existing);
    };
    // As a data directory made before the tag: a group of the three other tags, no InvB.ntx.
    const auto beforeTheTag = [] {
        std::vector<xbase::TagInfo> older = SuppliedSchema().table("INV5")->tags;
        std::erase_if(older, [](const xbase::TagInfo& tag) { return tag.name == "InvB"; });
        ASSERT_EQ(older.size(), 3u);
        DbContext->setAutoOpen(false);
        DbContext->setSafety(false);
        xbase::Table* t = DbContext->open("INV5");
        ASSERT_NE(t, nullptr);
        DbContext->createIndex(t, "INV5", older);
        DbContext->closeAll();
        DbContext->setAutoOpen(true);
        DbContext->setSafety(true);
        ASSERT_EQ(DbContext->errorCode(), 0);
        fs::remove("InvB.ntx");
    };
    for (const auto& damage : {std::function<void()>(cutShort), std::function<void()>(fromFewer),
                               std::function<void()>(beforeTheTag)}) {
        damage();
        ASSERT_TRUE(RebuildIndexes(true));
        EXPECT_EQ(keys(), expected);
    }
    EXPECT_EQ(endCalls_, 0);
    EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(MaintenanceTest, ARebuildThatCannotOpenATableEndsTheProgram) {
    fs::remove("Pur5.dbf");
    EXPECT_FALSE(RebuildIndexes(true));
    EXPECT_EQ(endCalls_, 1);
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_[0].endsWith("\nProgram will now terminate."))
        << messages_[0].toStdString();
    EXPECT_TRUE(DbContext->autoOpen());
    EXPECT_TRUE(DbContext->safety());
    EXPECT_EQ(DbContext->accessMode(), 0);
    EXPECT_EQ(DbContext->errorCode(), 0);
}

TEST_F(MaintenanceTest, APackWithNothingMarkedKeepsRecordsAndOrder) {
    ASSERT_TRUE(RebuildIndexes(true));
    AddCustomers({{3, "Carter"}, {1, "Anderson"}, {2, "Baker"}});
    const QStringList before = Customers();
    EXPECT_TRUE(PackTable("CUST5", true));
    EXPECT_EQ(Customers(), before);
    ASSERT_TRUE(OpenCustomers());
    ReadCustomer();
    EXPECT_EQ(CustBuf.last.trimmed(), "Anderson");
    EXPECT_EQ(CustBuf.comments, "Notes on Anderson");
}

TEST_F(MaintenanceTest, APackRemovesMarkedRecordsAndRebuildsTheTags) {
    ASSERT_TRUE(RebuildIndexes(true));
    AddCustomers({{3, "Carter"}, {1, "Anderson"}, {2, "Baker"}, {4, "Dalton"}});
    DeleteCustomers({1, 4});
    EXPECT_TRUE(PackTable("cust5", false));
    EXPECT_EQ(Customers(), QStringList({"3 Carter", "2 Baker"}));
    ASSERT_TRUE(OpenCustomers());
    CustTbl->select(CustTbl->tag("CCNO"));
    EXPECT_NE(Seek(CustTbl, PadNum(1, 6)), 0);
    EXPECT_EQ(Seek(CustTbl, PadNum(2, 6)), 0);
    EXPECT_EQ(CustTbl->recNo(), 2u);
}

TEST_F(MaintenanceTest, CompactingTheMemoFileShrinksItAndKeepsTheMemos) {
    ASSERT_TRUE(RebuildIndexes(true));
    AddCustomers({{1, "Anderson"}});
    ASSERT_TRUE(OpenCustomers());
    for (int i = 0; i < 20; ++i) {
        CustBuf.comments = QString(600, QChar('a' + i));
        WriteCustomer();
        CustTbl->flush();
    }
    DbContext->closeAll();
    const auto grown = fs::file_size("CUST5.dbt");
    EXPECT_TRUE(PackTable("CUST5", false));
    EXPECT_EQ(fs::file_size("CUST5.dbt"), grown);
    EXPECT_TRUE(PackTable("CUST5", true));
    EXPECT_LT(fs::file_size("CUST5.dbt"), grown);
    ASSERT_TRUE(OpenCustomers());
    ReadCustomer();
    EXPECT_EQ(CustBuf.comments, QString(600, QChar('t')));
}

TEST_F(MaintenanceTest, PackAllReportsProgressSkipsAMissingTableAndClearsPackPending) {
    ASSERT_TRUE(RebuildIndexes(true));
    AddCustomers({{1, "Anderson"}, {2, "Baker"}});
    DeleteCustomers({1});
    fs::remove("Pur5.dbf");
    PackPending = true;

    const QStringList failed = PackAll();
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(failed[0].startsWith("Pur5: cannot open ")) << failed[0].toStdString();
    EXPECT_TRUE(failed[0].endsWith("Pur5.dbf: no such file")) << failed[0].toStdString();
    EXPECT_FALSE(PackPending);
    EXPECT_EQ(Customers(), QStringList{"2 Baker"});
    EXPECT_EQ(progress_, QStringList({"show 1 Packing Data Files", "10", "30", "35", "50", "70",
                                      "75", "85", "100", "show 0 "}));
    EXPECT_TRUE(messages_.isEmpty());
    EXPECT_EQ(endCalls_, 0);
    EXPECT_EQ(DbContext->accessMode(), 0);
    EXPECT_EQ(DbContext->errorCode(), 0);
}

}  // namespace
