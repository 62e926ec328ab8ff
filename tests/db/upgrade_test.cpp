// The upgrade from the earlier product: old tables written with the engine from the field names
// the conversion reads, converted into a fresh data directory.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <map>

#include "core/dates.h"
#include "db/data_check.h"
#include "db/maintenance.h"
#include "db/open_tables.h"
#include "db/read_write.h"
#include "db/schema.h"
#include "db/staged_files.h"
#include "db/upgrade.h"
#include "tests/db/data_store_fixture.h"
#include "tests/support/scripted_prompts.h"
#include "tests/xbase/fault_env.h"

namespace fs = std::filesystem;
using prompt::Kind;

namespace {

std::map<std::string, std::string> Snapshot(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (!entry.is_regular_file() || entry.path().filename() == "changes.lck") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] = {std::istreambuf_iterator<char>(in), {}};
    }
    return files;
}

struct OldCustomer {
    int cuno;
    const char* last;
    const char* comments;
};
struct OldItem {
    int ivno;
    const char* prid;
    double qty;
};

// The earlier product's tables in a directory of their own.
class OldTables {
public:
    explicit OldTables(const QString& dir) : ctx_(QFile::encodeName(dir).toStdString()) {
        ctx_.setAutoOpen(false);
    }

    void products(const std::vector<std::pair<const char*, const char*>>& rows) {
        xbase::Table* t = ctx_.create("Prod4", {{"PRID", 'C', 10},
                                                {"RCODE", 'C', 10},
                                                {"PDESC", 'C', 27},
                                                {"UPRICE", 'N', 8, 2},
                                                {"LTAX1", 'L', 1},
                                                {"LTAX2", 'L', 1},
                                                {"ICOMM", 'C', 27},
                                                {"PMEMO", 'M', 10}});
        for (const auto& [id, desc] : rows) {
            t->appendBlank();
            t->field("PRID")->assign(id);
            t->field("PDESC")->assign(desc);
            t->field("UPRICE")->assignDouble(12.5);
            t->field("LTAX1")->assign("T");
            t->field("PMEMO")->assignMemo(std::string("memo of ") + id);
        }
        t->close();
    }
    void customers(const std::vector<OldCustomer>& rows) {
        xbase::Table* t = ctx_.create("cust2", {{"CUNO", 'N', 6},
                                                {"NGROUP", 'N', 2},
                                                {"TITLE", 'C', 3},
                                                {"FIRST", 'C', 13},
                                                {"LAST", 'C', 20},
                                                {"ADDR1", 'C', 34},
                                                {"ADDR2", 'C', 34},
                                                {"ADDR3", 'C', 34},
                                                {"ADDR4", 'C', 19},
                                                {"ZIP", 'C', 10},
                                                {"COMMENTS", 'M', 10},
                                                {"NOTE", 'C', 34}});
        for (const OldCustomer& c : rows) {
            t->appendBlank();
            t->field("CUNO")->assignInt(c.cuno);
            t->field("NGROUP")->assignInt(3);
            t->field("LAST")->assign(c.last);
            t->field("ADDR1")->assign("1 High Street");
            t->field("COMMENTS")->assignMemo(c.comments);
        }
        t->close();
    }
    void invoices(int count) {
        xbase::Table* t = ctx_.create("inv", {{"IVNO", 'N', 6},
                                              {"CUNO", 'N', 6},
                                              {"IDATE", 'D', 8},
                                              {"IMEMO", 'C', 20},
                                              {"REM", 'M', 10},
                                              {"SHIP", 'N', 9, 2},
                                              {"TAX", 'N', 9, 2},
                                              {"DUE", 'N', 10, 2}});
        for (int n = 1; n <= count; ++n) {
            t->appendBlank();
            t->field("IVNO")->assignInt(n);
            t->field("CUNO")->assignInt(1);
            t->field("IDATE")->assign("20250314");
            t->field("REM")->assignMemo("remark   ");
            t->field("DUE")->assignDouble(99.95);
        }
        t->close();
    }
    void items(const std::vector<OldItem>& rows) {
        xbase::Table* t = ctx_.create("itm4", {{"IVNO", 'N', 6},
                                               {"PRID", 'C', 10},
                                               {"ICOMM", 'C', 27},
                                               {"QTY", 'N', 9, 2},
                                               {"UPR", 'N', 8, 2},
                                               {"LTAX1", 'L', 1},
                                               {"LTAX2", 'L', 1}});
        for (const OldItem& i : rows) {
            t->appendBlank();
            t->field("IVNO")->assignInt(i.ivno);
            t->field("PRID")->assign(i.prid);
            t->field("QTY")->assignDouble(i.qty);
        }
        t->close();
    }
    // Groups, label stock and payments have the current layout.
    void currentLayouts() {
        for (const char* name : {"Groups", "labels", "pmt"}) {
            const char* schemaName = std::string(name) == "Groups"   ? "GROUPS"
                                     : std::string(name) == "labels" ? "LABELS"
                                                                     : "PMT";
            xbase::Table* t = ctx_.create(name, SuppliedSchema().table(schemaName)->fields);
            t->appendBlank();
            t->fieldAt(0)->assign("7");
            t->close();
        }
    }
    void all() {
        products({{"widget", "Blue widget"}, {"GADGET", "Gadget"}});
        customers({{1, "Abel", "first customer"}, {2, "Baker", ""}});
        invoices(2);
        items({{1, "WIDGET", 2}, {1, "gone", 1}, {2, "gadget", 3}});
        currentLayouts();
    }
    bool ok() { return ctx_.errorCode() == 0; }

private:
    xbase::Context ctx_;
};

class UpgradeTest : public DataStoreTest {
protected:
    UpgradeTest() : old_(oldDir_.path()) { RebuildIndexes(false); }

    QTemporaryDir oldDir_;
    OldTables old_;
    ScriptedPrompts prompts_;
};

}  // namespace

TEST_F(UpgradeTest, TheOldTablesAreConvertedFieldByField) {
    old_.all();
    ASSERT_TRUE(old_.ok());
    const auto oldFiles = Snapshot(oldDir_.path().toStdString());
    prompts_.expect(Kind::WarningConfirm,
                    "Warning: All previously entered data will be overwritten");
    ASSERT_TRUE(UpgradeData(oldDir_.path()));
    PackAll();
    EXPECT_EQ(Snapshot(oldDir_.path().toStdString()), oldFiles);
    EXPECT_TRUE(QFile::exists("Prod4.dbf"));
    EXPECT_EQ(CheckDataFiles(), QStringList());

    ASSERT_TRUE(OpenCustomers());
    QStringList customers;
    for (int rc = CustTbl->top(); rc == 0; rc = CustTbl->skip()) {
        ReadCustomer();
        customers << QString("%1 %2 %3 %4")
                         .arg(CustBuf.cuno)
                         .arg(CustBuf.last.trimmed())
                         .arg(CustBuf.ngroup)
                         .arg(CustBuf.comments);
        EXPECT_EQ(CustBuf.phone.trimmed() + CustBuf.fax.trimmed() + CustBuf.email.trimmed(), "");
    }
    EXPECT_EQ(customers, QStringList({"1 Abel 3 first customer", "2 Baker 3 "}));
    CloseAllTables();

    ASSERT_TRUE(OpenInvoices());
    int invoices = 0;
    for (int rc = InvTbl->top(); rc == 0; rc = InvTbl->skip(), ++invoices) {
        ReadInvoice();
        EXPECT_EQ(InvBuf.Dept.trimmed(), "");
        EXPECT_EQ(DateToText(InvBuf.IDate), "20250314");
        EXPECT_EQ(InvBuf.REM, "remark");
        EXPECT_DOUBLE_EQ(InvBuf.Due, 99.95);
    }
    EXPECT_EQ(invoices, 2);
    CloseAllTables();

    ASSERT_TRUE(OpenProducts());
    for (int rc = ProdTbl->top(); rc == 0; rc = ProdTbl->skip()) {
        ReadProduct();
        EXPECT_FALSE(ProdBuf.lInven);
        EXPECT_TRUE(ProdBuf.LTax1);
        EXPECT_EQ(ProdBuf.PMemo, "memo of " + ProdBuf.PrID.trimmed());
    }
    CloseAllTables();

    // Items take their product's description; one whose product is gone keeps an empty one.
    ASSERT_TRUE(OpenItems());
    QStringList items;
    for (int rc = ItemTbl->top(); rc == 0; rc = ItemTbl->skip()) {
        ReadItem();
        items << ItemBuf.PrID.trimmed() + "=" + ItemBuf.PDesc.trimmed();
    }
    EXPECT_EQ(items, QStringList({"WIDGET=Blue widget", "gone=", "gadget=Gadget"}));
    CloseAllTables();
    ASSERT_TRUE(OpenGroups());
    EXPECT_EQ(GroupTbl->recCount(), 1u);
    CloseAllTables();
}

TEST_F(UpgradeTest, AnEmptyOldTableGivesAnEmptyNewOne) {
    old_.products({});
    old_.customers({{1, "Abel", ""}});
    old_.invoices(0);
    old_.items({});
    old_.currentLayouts();
    QList<int> percents;
    Progress.set = [&percents](int p) { percents << p; };
    prompts_.expect(Kind::WarningConfirm, "Warning");
    ASSERT_TRUE(UpgradeData(oldDir_.path()));
    for (const char* table : {"Prod5", "INV5", "ITM5"}) {
        xbase::Table* t = DbContext->open(table);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->recCount(), 0u) << table;
        t->close();
    }
    // Only the customers' step moved the progress past the copies.
    EXPECT_EQ(percents.mid(0, 6), QList<int>({5, 10, 15, 20, 25, 50}));
}

TEST_F(UpgradeTest, MissingTablesOrCancelChangeNothing) {
    old_.all();
    fs::remove(fs::path(oldDir_.path().toStdString()) / "itm4.dbf");
    const auto before = Snapshot(".");
    prompts_.expect(Kind::Information, "Data files not found in " + oldDir_.path());
    EXPECT_TRUE(UpgradeData(oldDir_.path()));
    old_.items({});
    prompts_.expect(Kind::WarningConfirm, "Warning", {false, {}});
    EXPECT_TRUE(UpgradeData(oldDir_.path()));
    EXPECT_EQ(Snapshot("."), before);
}

TEST_F(UpgradeTest, AFailureHalfWayLeavesTheCurrentAndTheOldTablesAsTheyWere) {
    old_.all();
    const auto oldFiles = Snapshot(oldDir_.path().toStdString());
    const auto before = Snapshot(".");
    FaultEnv env;
    DbContext->closeAll();
    DbContext = std::make_unique<xbase::Context>(".", &env);
    for (int k : {1, 6, 30, 60, 90, 120, 150}) {
        env.failAfter(k, FaultEnv::Fault::Sticky);
        prompts_.expect(Kind::WarningConfirm, "Warning");
        prompts_.expect(Kind::Information, "The conversion failed");
        EXPECT_FALSE(UpgradeData(oldDir_.path())) << k;
        env.failAfter(0);
        bool finished = false;
        QString error;
        ASSERT_TRUE(FinishStagedFiles(&finished, &error));
        if (finished) break;
        EXPECT_EQ(Snapshot("."), before) << k;
        EXPECT_EQ(Snapshot(oldDir_.path().toStdString()), oldFiles) << k;
    }
}

// Old tables of another layout are refused before anything is taken: a payments table with the
// wrong fields (copied as it is, it would leave every start unable to index PMT), and an empty
// customer table lacking a field the conversion reads. Every current table stays byte-identical
// and the message names the file and what is wrong.
TEST_F(UpgradeTest, AnOldTableOfAnotherLayoutIsRefusedAndNothingIsReplaced) {
    old_.all();
    const fs::path oldDir = oldDir_.path().toStdString();
    const auto before = Snapshot(".");
    const std::string payments = Snapshot(oldDir).at("pmt.dbf");
    fs::remove(oldDir / "pmt.dbf");
    {
        xbase::Context ctx(oldDir.string());
        ctx.setAutoOpen(false);
        ctx.create("pmt", {{"AMOUNT", 'N', 10, 2}, {"NOTE", 'C', 20}})->close();
        ASSERT_EQ(ctx.errorCode(), 0);
    }
    prompts_.expect(Kind::WarningConfirm, "Warning");
    prompts_.expect(Kind::Information,
                    "The conversion failed; the data files are as they were.\nThe tables in " +
                        oldDir_.path() + " cannot be converted:\n" + oldDir_.path() +
                        "/pmt.dbf has no field IvNo of type N");
    EXPECT_FALSE(UpgradeData(oldDir_.path()));
    EXPECT_EQ(Snapshot("."), before);

    std::ofstream(oldDir / "pmt.dbf", std::ios::binary | std::ios::trunc) << payments;
    fs::remove(oldDir / "cust2.dbf");
    fs::remove(oldDir / "cust2.dbt");
    {
        xbase::Context ctx(oldDir.string());
        ctx.setAutoOpen(false);
        ctx.create("cust2", {{"LAST", 'C', 20}, {"COMMENTS", 'M', 10}})->close();
        ASSERT_EQ(ctx.errorCode(), 0);
    }
    prompts_.expect(Kind::WarningConfirm, "Warning");
    prompts_.expect(Kind::Information, oldDir_.path() + "/cust2.dbf has no field CuNo of type N");
    EXPECT_FALSE(UpgradeData(oldDir_.path()));
    EXPECT_EQ(Snapshot("."), before);
}
