// An order pair as the parts of an invoice: the customer and header from the Info line, the
// items from the Order lines, and the matching against copies of the supplied tables; the files
// read from disk, and the import directories kept in ImpDirs.
#include <QDir>
#include <QFile>

#include "import/import_dirs.h"
#include "import/order_import.h"
#include "tests/invoice/invoice_fixture.h"

namespace {

// An Info line: every field "f<i>" but those given.
InfoRecord Info(const std::vector<std::pair<int, std::string>>& values) {
    InfoRecord info;
    for (int i = 0; i < 32; ++i) info.fields.push_back("f" + std::to_string(i));
    for (const auto& [index, text] : values) info.fields[static_cast<size_t>(index)] = text;
    return info;
}

std::array<QString, 4> Address(const CustomerRecord& c) {
    return {c.addr1, c.addr2, c.addr3, c.addr4};
}

class OrderImportTest : public InvoiceTest {
protected:
    static void WriteFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    static ImportedItem Item(const QString& code, const QString& option = {}) {
        ImportedItem item;
        item.code = code;
        item.description = "order text";
        item.comment = option;
        item.quantity = "     3.00";
        item.price = "    12.50";
        return item;
    }
    static int32_t AddCustomerAt(int cuno, const QString& last, const QString& first,
                                 const QString& zip) {
        const int32_t rec = AddCustomer(cuno, last, first);
        CustTbl->go(static_cast<uint32_t>(rec));
        WriteText(CustFld.zip, zip);
        CustTbl->flush();
        return rec;
    }
};

TEST_F(OrderImportTest, TheAddressTakesTheCountryOnlyWhereALineIsLeft) {
    const std::vector<std::pair<int, std::string>> three = {
        {7, "1 Main St"}, {8, "Suite 4"}, {9, "Floor 2"}, {10, "Springfield"}, {11, "IL"}};
    auto us = three;
    us.emplace_back(13, "US");
    ImportedOrder order = BuildImportedOrder(Info(us), {}, "A1.txt");
    EXPECT_EQ(Address(order.customer),
              (std::array<QString, 4>{"1 Main St", "Suite 4", "Floor 2", "Springfield, IL"}));
    EXPECT_TRUE(order.countryLeftOut.isEmpty());

    auto abroad = three;
    abroad.emplace_back(13, "Canada");
    order = BuildImportedOrder(Info(abroad), {}, "A1.txt");
    EXPECT_EQ(order.customer.addr4, "Springfield, IL");
    EXPECT_EQ(order.countryLeftOut, "Canada");

    order = BuildImportedOrder(
        Info({{7, "1 Main St"}, {8, "  "}, {9, "Suite 4"}, {10, "Leeds"}, {11, ""}, {13, "UK"}}),
        {}, "A1.txt");
    EXPECT_EQ(Address(order.customer),
              (std::array<QString, 4>{"1 Main St", "Suite 4", "Leeds, ", "UK"}));
    EXPECT_TRUE(order.countryLeftOut.isEmpty());

    // A line too short to have a country field leaves nothing out.
    InfoRecord shortLine = Info(three);
    shortLine.fields.resize(12);
    EXPECT_TRUE(BuildImportedOrder(shortLine, {}, "A1.txt").countryLeftOut.isEmpty());
}

TEST_F(OrderImportTest, TheHeaderCarriesThePaymentTheNoteAndTheAmounts) {
    InfoRecord info = Info({{4, "Mr"},
                            {5, "Ann"},
                            {6, "Smith, Jr."},
                            {12, "60601"},
                            {15, "555"},
                            {16, "1234"},
                            {17, "gift"},
                            {18, "wrap"},
                            {20, "Rush order"},
                            {21, "CREDIT"},
                            {23, "VISA"},
                            {24, "12"},
                            {25, "99"},
                            {26, "Web"},
                            {27, ""}});
    info.salesTax = 1.75;
    info.shipping = 6;
    OrderLine line;
    line.code = "ab";
    line.description = "Shirt";
    line.option = "Large";
    line.price = 12.5;
    line.quantity = 2;
    ImportedOrder order = BuildImportedOrder(info, {line}, "A1.txt");
    EXPECT_EQ(order.customer.last, "Smith, Jr.");
    EXPECT_EQ(order.customer.cuno, 0);
    EXPECT_EQ(order.customer.ngroup, 0);
    EXPECT_EQ(order.customer.phone, "555 1234");
    EXPECT_EQ(order.customer.note, "gift wrap");
    EXPECT_EQ(order.memo, "VISA x12/99");
    EXPECT_EQ(order.remarks,
              "Rush order\nA1.txt\nSource: Web\n\nTHANKS FOR YOUR ORDER.\n\n"
              "ALL DAMAGES AND SHORTAGES MUST BE REPORTED WITHIN 5 DAYS OF RECEIPT.");
    EXPECT_DOUBLE_EQ(order.shipping, 6);
    EXPECT_DOUBLE_EQ(order.salesTax, 1.75);
    ASSERT_EQ(order.items.size(), 1u);
    EXPECT_EQ(order.items[0].quantity, "     2.00");
    EXPECT_EQ(order.items[0].price, "    12.50");
    EXPECT_EQ(order.items[0].comment, "Large");
    EXPECT_TRUE(order.items[0].tax2);

    info.fields[21] = "CHECK";
    info.salesTax = 0;
    order = BuildImportedOrder(info, {line, line}, "A1.txt");
    EXPECT_EQ(order.memo, "CHECK");
    EXPECT_FALSE(order.items[0].tax2);
    EXPECT_FALSE(order.items[1].tax2);
}

TEST_F(OrderImportTest, ProductsMatchByCodeAndByCodeAndOptionLetter) {
    AddProduct("AB", 1.00);
    const int32_t abl = AddProduct("CDL", 2.00);
    ProdTbl->go(static_cast<uint32_t>(abl));
    WriteText(ProdFld.IComm, "Large size");
    ProdTbl->flush();
    const int32_t gone = AddProduct("EF", 3.00);
    ProdTbl->go(static_cast<uint32_t>(gone));
    ProdTbl->deleteRecord();
    ProdTbl->flush();

    ImportedItem item = Item(" ab ");
    ASSERT_TRUE(MatchProduct(&item));
    EXPECT_EQ(item.code, "AB");
    EXPECT_EQ(item.description, "Description of AB");
    EXPECT_EQ(item.quantity, "     3.00") << "the order's quantity and price stay";
    EXPECT_EQ(item.price, "    12.50");
    EXPECT_EQ(CurProdRec, 1);

    item = Item("CD", "Large");
    ASSERT_TRUE(MatchProduct(&item));
    EXPECT_EQ(item.code, "CDL");
    EXPECT_EQ(item.comment, "Large size");
    EXPECT_EQ(CurProdRec, abl);

    for (ImportedItem miss : {Item("CD"), Item("CD", "Small"), Item("X"), Item(""), Item("EF")}) {
        EXPECT_FALSE(MatchProduct(&miss)) << miss.code.toStdString();
        EXPECT_EQ(miss.description, "order text");
        EXPECT_EQ(CurProdRec, 0);
    }
}

TEST_F(OrderImportTest, CustomersMatchByNameAndPostalCodeAndTheFirstOfSeveralIsTaken) {
    AddCustomerAt(1, "Smith", "Ann", "60601");
    const int32_t first = AddCustomerAt(2, "Smithers", "Ann", "60601");
    const int32_t second = AddCustomerAt(3, "Smithers", "Ann", "60601");
    const int32_t deleted = AddCustomerAt(4, "Jones", "Bo", "1");
    CustTbl->go(static_cast<uint32_t>(deleted));
    CustTbl->deleteRecord();
    CustTbl->flush();

    CustomerRecord imported;
    imported.last = "smithers ";
    imported.first = "ANN";
    imported.zip = " 60601";
    CustomerMatch match = MatchCustomer(imported);
    EXPECT_EQ(match.rec, first);
    EXPECT_TRUE(match.multiple);
    EXPECT_NE(match.rec, second);

    imported.last = "Smith";
    match = MatchCustomer(imported);
    EXPECT_EQ(match.rec, 1);
    EXPECT_FALSE(match.multiple);

    imported.zip = "60602";
    EXPECT_EQ(MatchCustomer(imported).rec, 0);
    imported = {};
    imported.last = "Jones";
    imported.first = "Bo";
    imported.zip = "1";
    EXPECT_EQ(MatchCustomer(imported).rec, 0) << "a deleted customer";

    // Names longer than the fields compare as far as the fields hold them.
    AddCustomerAt(5, "Abcdefghijklmnopqrstuvwxyz", "Abcdefghijklmnop", "1");
    imported.last = "Abcdefghijklmnopqrstuvwxyz";
    imported.first = "Abcdefghijklmnop";
    EXPECT_GT(MatchCustomer(imported).rec, 0);
}

TEST_F(OrderImportTest, FilesThatCannotBeReadOrAreMalformedAreRefusedByName) {
    const QString info = QDir::current().filePath("A1.info");
    const QString order = QDir::current().filePath("A1.order");
    InfoRecord read;
    std::vector<OrderLine> lines;
    QString error;
    EXPECT_FALSE(ReadOrderFiles(info, order, &read, &lines, &error));
    EXPECT_TRUE(error.startsWith("The file " + info + " cannot be read")) << error.toStdString();

    WriteFile(info, "0,1,2,3,Mr,Ann,Lee\n");
    WriteFile(order, QByteArray(kMaxOrderFileSize + 1, 'a'));
    EXPECT_FALSE(ReadOrderFiles(info, order, &read, &lines, &error));
    EXPECT_EQ(error, "The file " + order + " is too large to be an order file.");

    WriteFile(order, "1,A,Caf\xC3\xA9,1.00,1\n1,B,Th\xE9 \x80 5,2.00,1\n");
    ASSERT_TRUE(ReadOrderFiles(info, order, &read, &lines, &error)) << error.toStdString();
    const ImportedOrder built = BuildImportedOrder(read, lines, "A1");
    EXPECT_EQ(built.items[0].description, QString::fromUtf8("Caf\xC3\xA9"));
    EXPECT_EQ(built.items[1].description, QString::fromUtf8("Th\xC3\xA9 \xE2\x82\xAC 5"))
        << "not UTF-8: the tables' code page";

    WriteFile(order, "1,A,Shirt,1.00,1\n1,B,T\xE2\x80\x94shirt \xE2\x98\x83,2.00,1\n");
    EXPECT_FALSE(ReadOrderFiles(info, order, &read, &lines, &error));
    EXPECT_EQ(error, "The Order file " + order +
                         " cannot be imported: line 2, field 2: The character \"\u2603\" "
                         "(U+2603) cannot be stored: the data files hold Western European text "
                         "only (code page Windows-1252).")
        << "the dash is the code page's own, the snowman is not";
}

// An Order file that is a link to a file outside the Order directory is refused unread: none of
// its lines reaches the message or an invoice. A link to a file in the directory itself is read.
TEST_F(OrderImportTest, AnOrderFileLinkedToAFileOutsideItsDirectoryIsRefusedUnread) {
    ASSERT_TRUE(QDir::current().mkpath("in"));
    ASSERT_TRUE(QDir::current().mkpath("orders"));
    const QString info = QDir::current().filePath("in/A1");
    const QString order = QDir::current().filePath("orders/A1");
    WriteFile(info, "0,1,2,3,Mr,Ann,Lee\n");
    WriteFile("secret.txt", "1,SECRET,line of another file,1.00,1\n");
    ASSERT_TRUE(QFile::link(QDir::current().filePath("secret.txt"), order));
    InfoRecord read;
    std::vector<OrderLine> lines;
    QString error;
    EXPECT_FALSE(ReadOrderFiles(info, order, &read, &lines, &error));
    EXPECT_EQ(error, "The file " + order + " is a link to a file outside " +
                         QDir::current().filePath("orders") + " and is not imported.");
    EXPECT_TRUE(lines.empty());

    WriteFile("orders/kept.txt", "1,AB,Widget,2.00,1\n");
    ASSERT_TRUE(QFile::remove(order));
    ASSERT_TRUE(QFile::link("kept.txt", order));
    ASSERT_TRUE(ReadOrderFiles(info, order, &read, &lines, &error)) << error.toStdString();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].code, "AB");
}

class ImportDirsTest : public ::testing::Test {
protected:
    ImportDirsTest() : dir_(TempDataDir::SuppliedTables) {
        ResetProgramState();
        EndProgram = [] { ADD_FAILURE() << "the program was ended"; };
        InitDbContext();
    }
    ~ImportDirsTest() override { ResetProgramState(); }
    TempDataDir dir_;
};

TEST_F(ImportDirsTest, AnEmptyTableGetsItsRecordAndAPathATableCannotHoldIsRefused) {
    xbase::Table* t = DbContext->open("ImpDirs");
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->zap(1, 1), 0);
    t->close();
    ASSERT_TRUE(ReadImportDirs());
    EXPECT_EQ(InfoDir, "");
    QString error;
    InfoDir = "/in";
    OrderDir = "/out";
    ASSERT_TRUE(WriteImportDirs(&error)) << error.toStdString();

    OrderDir = QString::fromUtf8("/\xD0\x97\xD0\xB0");  // not a table's text
    EXPECT_FALSE(WriteImportDirs(&error));
    EXPECT_TRUE(error.contains("cannot be stored")) << error.toStdString();
    InfoDir.clear();
    ASSERT_TRUE(ReadImportDirs());
    EXPECT_EQ(InfoDir, "/in");
    EXPECT_EQ(OrderDir, "/out");
}

}  // namespace
