// Writing every buffer into its table and reading it back, with values at and beyond the
// field widths, and the special fields some writes always set.
#include <fstream>
#include <string>
#include <vector>

#include "core/convert.h"
#include "db/field_values.h"
#include "db/maintenance.h"
#include "db/open_tables.h"
#include "db/read_write.h"
#include "db/settings.h"
#include "tests/db/data_store_fixture.h"

namespace {

QString Padded(const QString& text, int width) {
    return text.leftJustified(width, ' ', true);
}
QString Repeat(char c, int n) {
    return QString(n, QChar(c));
}

class ReadWriteTest : public DataStoreTest {
protected:
    void SetUp() override { ASSERT_TRUE(RebuildIndexes(true)); }
    // Closes and reopens everything so that values come back from the files.
    void Reopen(bool (*open)()) {
        DbContext->closeAll();
        ASSERT_TRUE(open());
    }
};

TEST_F(ReadWriteTest, CustomerTextsAreCutToTheFieldOr59AndMemosTrimmedAndCut) {
    ASSERT_TRUE(OpenCustomers());
    CustTbl->appendBlank();
    CustBuf = {};
    CustBuf.cuno = 999999;
    CustBuf.title = "Mrs.";
    CustBuf.first = "Bartholomew-Jo";
    CustBuf.last = Repeat('L', 20);
    CustBuf.addr1 = "Zoë's Ünique Bäckerei " + Repeat('x', 20);
    CustBuf.addr4 = Repeat('4', 25);
    CustBuf.zip = "12345-6789";
    CustBuf.comments = "First line\r\nSecond line  \r\n \t ";
    CustBuf.ngroup = 99;
    CustBuf.email = Repeat('e', 70);
    WriteCustomer();
    CustTbl->appendBlank();
    CustBuf.cuno = 1;
    CustBuf.comments = Repeat('c', 40000);
    WriteCustomer();
    Reopen(OpenCustomers);

    CustTbl->go(1);
    ReadCustomer();
    EXPECT_EQ(CustBuf.cuno, 999999);
    EXPECT_EQ(CustBuf.title, "Mrs");
    EXPECT_EQ(CustBuf.first, "Bartholomew-J");
    EXPECT_EQ(CustBuf.last, Repeat('L', 20));
    EXPECT_EQ(CustBuf.addr1, ("Zoë's Ünique Bäckerei " + Repeat('x', 20)).left(34));
    EXPECT_EQ(CustBuf.addr2, Padded("", 34));
    EXPECT_EQ(CustBuf.addr4, Repeat('4', 19));
    EXPECT_EQ(CustBuf.zip, "12345-6789");
    EXPECT_EQ(CustBuf.comments, "First line\r\nSecond line");
    EXPECT_EQ(CustBuf.ngroup, 99);
    EXPECT_EQ(CustBuf.email, Padded(Repeat('e', 59), 60));

    CustTbl->go(2);
    ReadCustomer();
    EXPECT_EQ(CustBuf.comments, Repeat('c', 32000));
}

TEST_F(ReadWriteTest, TextIsStoredInTheDeclaredCodePageAndWhatItCannotHoldIsNeverWritten) {
    ASSERT_TRUE(OpenCustomers());
    std::ifstream head("CUST5.dbf", std::ios::binary);
    char header[32] = {};
    head.read(header, sizeof header);
    EXPECT_EQ(static_cast<unsigned char>(header[29]), 0x03) << "Windows-1252 declared";

    CustTbl->appendBlank();
    WriteText(CustFld.last, QString::fromUtf8("Caf\u00e9 \u20ac 5"));
    WriteMemo(CustFld.comments, "one\ntwo\r\nthree");
    EXPECT_EQ(DbContext->errorCode(), 0);
    WriteText(CustFld.first, QString::fromUtf8("\u0141ukasz"));
    EXPECT_EQ(DbContext->errorCode(), xbase::kErrArgument);
    EXPECT_TRUE(QString::fromStdString(DbContext->errorText()).contains("(U+0141)"));
    Reopen(OpenCustomers);
    CustTbl->go(1);
    EXPECT_EQ(CustFld.last->str().substr(0, 8), "Caf\xe9 \x80 5");
    EXPECT_EQ(ReadText(CustFld.last).trimmed(), QString::fromUtf8("Caf\u00e9 \u20ac 5"));
    EXPECT_EQ(CustFld.first->str(), std::string(13, ' ')) << "left as it was, never \"?ukasz\"";
    EXPECT_EQ(CustFld.comments->memo(), "one\r\ntwo\r\nthree");
}

TEST_F(ReadWriteTest, InvoiceNumbersAreSixWideKeysAndDatesDropTheTime) {
    ASSERT_TRUE(OpenInvoices());
    ASSERT_TRUE(OpenItems());
    InvTbl->appendBlank();
    InvBuf = {};
    InvBuf.IvNo = 42;
    InvBuf.CuNo = 123456;
    InvBuf.Dept = Repeat('d', 40);
    InvBuf.IDate = DateValue(QDateTime(QDate(2025, 3, 1), QTime(15, 30)));
    InvBuf.IMemo = "Check 1001";
    InvBuf.Ship = -9999999.99;
    InvBuf.Tax = 1234.5;
    InvBuf.Due = 9999999999.99;
    InvBuf.REM = "Deliver to the back door.   ";
    WriteInvoice();
    ItemTbl->appendBlank();
    ItemBuf = {};
    ItemBuf.IvNo = 42;
    WriteItem();
    DbContext->closeAll();
    ASSERT_TRUE(OpenInvoices());
    ASSERT_TRUE(OpenItems());

    ReadInvoice();
    EXPECT_EQ(InvBuf.IvNo, 42);
    EXPECT_EQ(InvBuf.CuNo, 123456);
    EXPECT_EQ(InvBuf.Dept, Repeat('d', 30));
    EXPECT_EQ(InvBuf.IDate, DateValue(QDate(2025, 3, 1)));
    EXPECT_EQ(InvBuf.IMemo, Padded("Check 1001", 30));
    EXPECT_DOUBLE_EQ(InvBuf.Ship, -9999999.99);
    EXPECT_DOUBLE_EQ(InvBuf.Tax, 1234.5);
    EXPECT_DOUBLE_EQ(InvBuf.Due, 9999999999.99);
    EXPECT_EQ(InvBuf.REM, "Deliver to the back door.");
    // The stored number, as read, is the key of the invoice's items.
    EXPECT_EQ(ReadText(InvFld.IvNo), "    42");
    EXPECT_EQ(Seek(ItemTbl, ReadText(InvFld.IvNo)), 0);
    EXPECT_EQ(DbContext->errorCode(), 0);
}

TEST_F(ReadWriteTest, ItemWritesAlwaysClearBuildAndBackOrder) {
    ASSERT_TRUE(OpenItems());
    ItemTbl->appendBlank();
    ItemTbl->field("lBuild")->assign("T");
    ItemTbl->field("BackOrder")->assignDouble(5);
    ItemBuf = {};
    ItemBuf.IvNo = 7;
    ItemBuf.PrID = "ABCDEFGHIJKL";
    ItemBuf.Qty = 999999.99;
    ItemBuf.UPR = 99999.99;
    ItemBuf.LTax1 = true;
    ItemBuf.PDesc = Repeat('p', 30);
    ItemBuf.IComm = "gift wrap";
    WriteItem();
    ItemTbl->appendBlank();
    ItemBuf.Qty = -99999.99;
    ItemBuf.UPR = -9999.99;
    ItemBuf.LTax1 = false;
    ItemBuf.LTax2 = true;
    WriteItem();
    Reopen(OpenItems);

    ItemTbl->go(1);
    ReadItem();
    EXPECT_EQ(ItemBuf.IvNo, 7);
    EXPECT_EQ(ItemBuf.PrID, "ABCDEFGHIJ");
    EXPECT_DOUBLE_EQ(ItemBuf.Qty, 999999.99);
    EXPECT_DOUBLE_EQ(ItemBuf.UPR, 99999.99);
    EXPECT_TRUE(ItemBuf.LTax1);
    EXPECT_FALSE(ItemBuf.LTax2);
    EXPECT_EQ(ItemBuf.PDesc, Repeat('p', 27));
    EXPECT_EQ(ItemBuf.IComm, Padded("gift wrap", 27));
    EXPECT_FALSE(ItemTbl->field("lBuild")->isTrue());
    EXPECT_EQ(ItemTbl->field("lBuild")->str(), "F");
    EXPECT_EQ(ItemTbl->field("BackOrder")->asDouble(), 0);

    ItemTbl->go(2);
    ReadItem();
    EXPECT_DOUBLE_EQ(ItemBuf.Qty, -99999.99);
    EXPECT_DOUBLE_EQ(ItemBuf.UPR, -9999.99);
    EXPECT_FALSE(ItemBuf.LTax1);
    EXPECT_TRUE(ItemBuf.LTax2);
    EXPECT_EQ(DbContext->errorCode(), 0);
}

TEST_F(ReadWriteTest, AmountsReadAsAsprintfWritesTheFieldsValue) {
    // Amounts the program writes, across the fields' widths, then texts other tools may leave:
    // blanks among the digits (the engine reads up to the first), a minus zero, signs and points
    // out of place, exponents, more decimals than two, overflow stars, numbers past a cent's
    // precision.
    std::vector<std::string> texts;
    for (int64_t cents = 0; cents < 10'000'000'000'000; cents = cents * 3 + 1)
        for (const int64_t sign : {1, -1})
            texts.push_back(
                QString::asprintf("%.2f", static_cast<double>(sign * cents) / 100.0).toStdString());
    for (const char* odd : {"", "0", "-0", "-0.00", "-.5", ".05", "12.", "007.10", "1 2.05",
                            "12 .5", "- 5", "-1 ", "+5", "5-", "1e2", "1.005", "0.999",
                            "**********", "99999999999", "-9999999999", "9999999.995", ".", "-",
                            "0x1A"})
        texts.push_back(odd);
    ASSERT_TRUE(OpenItems());
    ASSERT_TRUE(OpenPayments());
    ItemTbl->appendBlank();
    PmtTbl->appendBlank();
    const struct {
        xbase::Field* field;
        int width;
    } amounts[] = {{ItemFld.Qty, 9}, {ItemFld.UPR, 8}, {PmtFld.PAmt, 10}};
    int read = 0;
    for (const auto& [field, width] : amounts)
        for (const std::string& text : texts) {
            if (text.size() > static_cast<size_t>(field->length())) continue;
            field->assign(text);
            ASSERT_EQ(DbContext->errorCode(), 0) << text;
            EXPECT_EQ(ReadAmount(field, width).toStdString(),
                      QString::asprintf("%*.2f", width, field->asDouble()).toStdString())
                << '"' << field->str() << '"';
            ++read;
        }
    EXPECT_GT(read, 2 * static_cast<int>(texts.size()));
}

TEST_F(ReadWriteTest, LabelMeasuresKeepThreeDecimals) {
    ASSERT_TRUE(OpenLabels());
    LabTbl->appendBlank();
    LabBuf = {Repeat('n', 45), 9999.999, -999.999, 0.125, 36, 189.5, 72.001, 9.0, 0.5, 9, true};
    WriteLabel();
    Reopen(OpenLabels);
    LabBuf = {};
    ReadLabel();
    EXPECT_EQ(LabBuf.Name, Repeat('n', 40));
    EXPECT_DOUBLE_EQ(LabBuf.TopM, 9999.999);
    EXPECT_DOUBLE_EQ(LabBuf.LeftM, -999.999);
    EXPECT_DOUBLE_EQ(LabBuf.BottomM, 0.125);
    EXPECT_DOUBLE_EQ(LabBuf.RightM, 36);
    EXPECT_DOUBLE_EQ(LabBuf.Width, 189.5);
    EXPECT_DOUBLE_EQ(LabBuf.Height, 72.001);
    EXPECT_DOUBLE_EQ(LabBuf.HGap, 9.0);
    EXPECT_DOUBLE_EQ(LabBuf.VGap, 0.5);
    EXPECT_EQ(LabBuf.NAcross, 9);
    EXPECT_TRUE(LabBuf.Continuous);
}

TEST_F(ReadWriteTest, ABlankDateReadsAsNowAndIsWrittenBackAsToday) {
    ASSERT_TRUE(OpenPayments());
    PmtTbl->appendBlank();
    const double before = NowValue();
    ReadPayment();
    const double after = NowValue();
    EXPECT_GE(PmtBuf.PDate, before);
    EXPECT_LE(PmtBuf.PDate, after);
    PmtBuf.IvNo = 3;
    PmtBuf.PAmt = 9999999.99;
    WritePayment();
    Reopen(OpenPayments);
    EXPECT_EQ(ReadText(PmtFld.PDate), QDate::currentDate().toString("yyyyMMdd"));
    ReadPayment();
    EXPECT_EQ(PmtBuf.IvNo, 3);
    EXPECT_DOUBLE_EQ(PmtBuf.PAmt, 9999999.99);
}

TEST_F(ReadWriteTest, ProductReadsStockByNameAndWritesNoBuild) {
    ASSERT_TRUE(OpenProducts());
    ProdTbl->appendBlank();
    ProdTbl->field("lBuild")->assign("T");
    ProdBuf = {"WIDGET-0001X",
               "LIC-1234567",
               Repeat('w', 27),
               99999.99,
               true,
               true,
               true,
               Repeat('i', 28),
               "Warranty: one year.\r\n\r\n",
               999999.99,
               -12.5};
    WriteProduct();
    Reopen(OpenProducts);
    ProdBuf = {};
    ReadProduct();
    EXPECT_EQ(ProdBuf.PrID, "WIDGET-000");
    EXPECT_EQ(ProdBuf.RCode, "LIC-123456");
    EXPECT_EQ(ProdBuf.PDesc, Repeat('w', 27));
    EXPECT_DOUBLE_EQ(ProdBuf.UPrice, 99999.99);
    EXPECT_TRUE(ProdBuf.LTax1);
    EXPECT_TRUE(ProdBuf.LTax2);
    EXPECT_TRUE(ProdBuf.lInven);
    EXPECT_EQ(ProdBuf.IComm, Repeat('i', 27));
    EXPECT_EQ(ProdBuf.PMemo, "Warranty: one year.");
    EXPECT_DOUBLE_EQ(ProdBuf.REORDER, 999999.99);
    EXPECT_DOUBLE_EQ(ProdBuf.ONHAND, -12.5);
    EXPECT_EQ(ProdTbl->field("lBuild")->str(), "F");
}

TEST_F(ReadWriteTest, PurchaseNumberIsCarriedThroughReadAndWrite) {
    ASSERT_TRUE(OpenPurchases());
    PurTbl->appendBlank();
    PurTbl->field("PURNo")->assignLong(4711);
    ReadPurchase();
    EXPECT_EQ(PurBuf.PURNo, 4711);
    PurBuf.PURProd = "BOLT-10MM";
    PurBuf.PURDate = DateValue(QDate(2024, 12, 31));
    PurBuf.PURQty = 9999999.99;
    PurBuf.PURCost = 999999999.99;
    WritePurchase();
    Reopen(OpenPurchases);
    PurBuf = {};
    ReadPurchase();
    EXPECT_EQ(PurBuf.PURNo, 4711);
    EXPECT_EQ(PurBuf.PURProd, "BOLT-10MM ");
    EXPECT_EQ(PurBuf.PURDate, DateValue(QDate(2024, 12, 31)));
    EXPECT_DOUBLE_EQ(PurBuf.PURQty, 9999999.99);
    EXPECT_DOUBLE_EQ(PurBuf.PURCost, 999999999.99);
}

class FindGroupTest : public ReadWriteTest {
protected:
    void SetUp() override {
        ReadWriteTest::SetUp();
        ASSERT_TRUE(OpenGroups());
        for (const GroupRecord& g : {GroupRecord{2, "Wholesale"}, GroupRecord{1, "Retail"}}) {
            GroupTbl->appendBlank();
            GroupBuf = g;
            WriteGroup();
        }
        GroupTbl->select(GroupTbl->tag("cGroup"));
        GroupBuf = {5, "stale"};
    }
};

TEST_F(FindGroupTest, FindsTheCustomersGroupByItsTwoPlaceKey) {
    CustBuf.ngroup = 2;
    FindGroup();
    EXPECT_EQ(LastRc, 0);
    EXPECT_EQ(GroupBuf.nGroup, 2);
    EXPECT_EQ(GroupBuf.cGroup, Padded("Wholesale", 30));
    EXPECT_EQ(GroupTbl->selected()->name(), GroupTbl->tag("nGroup")->name());
}

TEST_F(FindGroupTest, GroupZeroAndAVanishedGroupGiveAnEmptyGroup) {
    for (int missing : {0, 7, 99}) {
        GroupBuf = {5, "stale"};
        CustBuf.ngroup = missing;
        FindGroup();
        EXPECT_NE(LastRc, 0) << missing;
        EXPECT_EQ(GroupBuf.nGroup, 0) << missing;
        EXPECT_EQ(GroupBuf.cGroup, "") << missing;
    }
}

TEST_F(FindGroupTest, GroupNamesAreCutToTheirWidth) {
    GroupTbl->appendBlank();
    GroupBuf = {3, Repeat('g', 64)};
    WriteGroup();
    CustBuf.ngroup = 3;
    FindGroup();
    EXPECT_EQ(GroupBuf.cGroup, Repeat('g', 30));
}

}  // namespace
