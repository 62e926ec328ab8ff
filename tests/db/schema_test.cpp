// The table description: what the parser refuses, what the build wrote from it, that its widths
// hold what the editors let the user type, and the data check that compares a directory with it.
#include <QDir>
#include <filesystem>
#include <fstream>

#include "db/data_check.h"
#include "db/maintenance.h"
#include "db/open_tables.h"
#include "db/read_write.h"
#include "db/schema.h"
#include "tests/db/data_store_fixture.h"

namespace fs = std::filesystem;

namespace {

std::string ParseError(const char* text) {
    Schema schema;
    std::string error;
    EXPECT_FALSE(ParseSchema(text, &schema, &error)) << text;
    return error;
}

TEST(Schema, ParsesTablesFieldsAndTagsWithSpacesInExpressions) {
    Schema schema;
    std::string error;
    ASSERT_TRUE(
        ParseSchema("# comment\n\ntable T records 2\n  a C 5 # note\n  b N 8 2\n"
                    "  tag Both  Upper(a)+ Str(b, 8, 2)\n",
                    &schema, &error))
        << error;
    ASSERT_EQ(schema.tables.size(), 1u);
    const TableSchema& t = schema.tables[0];
    EXPECT_EQ(t.records, 2);
    ASSERT_EQ(t.fields.size(), 2u);
    EXPECT_EQ(t.fields[1].type, 'N');
    EXPECT_EQ(t.fields[1].length, 8);
    EXPECT_EQ(t.fields[1].decimals, 2);
    ASSERT_EQ(t.tags.size(), 1u);
    EXPECT_EQ(t.tags[0].name, "Both");
    EXPECT_EQ(t.tags[0].expression, "Upper(a)+ Str(b, 8, 2)");
    EXPECT_EQ(schema.table("t"), &t);
    EXPECT_EQ(t.field("B"), &t.fields[1]);
}

TEST(Schema, RefusesMalformedDescriptionsNamingTheLine) {
    EXPECT_EQ(ParseError("a C 5\n"), "line 1: a field or tag before the first table");
    EXPECT_EQ(ParseError("table T\n a X 5\n"), "line 2: a: type must be C, N, D, L or M");
    EXPECT_EQ(ParseError("table T\n a C 255\n"), "line 2: a: character width must be 1 to 254");
    EXPECT_EQ(ParseError("table T\n a N 4 3\n"), "line 2: a: decimals do not fit the width");
    EXPECT_EQ(ParseError("table T\n a D 6\n"), "line 2: a: a date is 8 wide");
    EXPECT_EQ(ParseError("table T\n a C 5\n A C 6\n"), "line 3: field A twice");
    EXPECT_EQ(ParseError("table T\n a C x\n"), "line 2: width must be a number");
    EXPECT_EQ(ParseError("table T\n LongerThan10 C 5\n"), "line 2: bad field name");
    EXPECT_EQ(ParseError("table T\n a C 5\n tag K\n"), "line 3: expected: tag NAME EXPRESSION");
    EXPECT_EQ(ParseError("table T records -1\n a C 5\n"), "line 1: expected: records N");
    EXPECT_EQ(ParseError("table T\ntable U\n a C 5\n"), "table T has no fields");
}

// The fewest characters each text must hold: what the editors and dialogs let the user type.
TEST(Schema, TextWidthsHoldWhatTheEditorsAccept) {
    const std::vector<std::tuple<const char*, const char*, int>> least = {
        {"CUST5", "title", 3},     {"CUST5", "first", 13},      {"CUST5", "last", 20},
        {"CUST5", "addr1", 34},    {"CUST5", "addr3", 34},      {"CUST5", "addr4", 19},
        {"CUST5", "zip", 10},      {"CUST5", "note", 34},       {"CUST5", "phone", 20},
        {"CUST5", "fax", 20},      {"CUST5", "email", 59},      {"GROUPS", "cGroup", 20},
        {"INV5", "IMemo", 30},     {"ITM5", "PrID", 10},        {"ITM5", "PDesc", 27},
        {"ITM5", "IComm", 27},     {"LABELS", "Name", 40},      {"Prod5", "PrID", 10},
        {"Prod5", "RCode", 10},    {"Prod5", "PDesc", 27},      {"Prod5", "IComm", 27},
        {"Pur5", "PURProd", 10},   {"CVN1", "Company", 35},     {"CVN1", "Addr3", 35},
        {"CVN1", "Addr4", 25},     {"CVN1", "CloLine", 25},     {"CVN1", "SigLine", 59},
        {"CVN1", "LabID", 40},     {"CVN1", "ShipLine", 59},    {"CVN1", "TaxLine", 59},
        {"CVN1", "LogoFile", 254}, {"ImpDirs", "InfoDir", 126}, {"ImpDirs", "OrderDir", 126},
    };
    for (const auto& [table, field, width] : least) {
        const xbase::FieldInfo* f = SuppliedSchema().table(table)->field(field);
        ASSERT_NE(f, nullptr) << table << "." << field;
        EXPECT_GE(f->length, width) << table << "." << field;
    }
    // Invoice numbers are read as text and used directly as the keys of items and payments.
    const xbase::FieldInfo* ivNo = SuppliedSchema().table("INV5")->field("IvNo");
    EXPECT_EQ(ivNo->length, 6);
    EXPECT_EQ(ivNo->decimals, 0);
}

using SuppliedTablesTest = DataStoreTest;

TEST_F(SuppliedTablesTest, TheBuildWroteEveryTableFromTheDescription) {
    DbContext->setAutoOpen(false);
    for (const TableSchema& want : SuppliedSchema().tables) {
        xbase::Table* t = DbContext->open(want.name);
        ASSERT_NE(t, nullptr) << want.name;
        EXPECT_EQ(t->recCount(), uint32_t(want.records)) << want.name;
        ASSERT_EQ(t->fieldCount(), int(want.fields.size())) << want.name;
        for (int i = 0; i < t->fieldCount(); ++i) {
            EXPECT_TRUE(SameName(t->fieldAt(i)->name(), want.fields[i].name)) << want.name;
            EXPECT_EQ(t->fieldAt(i)->length(), want.fields[i].length) << want.name;
        }
        t->close();
    }
    EXPECT_EQ(QDir(".").entryList({"*.ntx", "*.cgp"}, QDir::Files).size(), 0);
}

class DataCheckTest : public DataStoreTest {
protected:
    void SetUp() override { ASSERT_TRUE(RebuildIndexes(true)); }
};

TEST_F(DataCheckTest, AWholeDirectoryHasNoProblems) {
    EXPECT_EQ(CheckDataFiles(), QStringList());
}

TEST_F(DataCheckTest, ReportsMissingFilesAndAnEmptySettingsTable) {
    fs::remove("LABELS.dbf");
    fs::remove("Prod5.dbt");
    fs::remove("PmtD.ntx");
    DbContext->setAutoOpen(false);
    xbase::Table* t = DbContext->open("CVN1");
    t->zap(1, 1);
    DbContext->closeAll();
    DbContext->setAutoOpen(true);

    const QStringList problems = CheckDataFiles();
    EXPECT_TRUE(problems.contains("LABELS.dbf is missing")) << problems.join('\n').toStdString();
    EXPECT_TRUE(problems.contains("Prod5.dbt is missing")) << problems.join('\n').toStdString();
    EXPECT_TRUE(problems.contains("PMT: PmtD.ntx is missing")) << problems.join('\n').toStdString();
    EXPECT_TRUE(problems.contains("CVN1 holds no record")) << problems.join('\n').toStdString();
}

TEST_F(DataCheckTest, ReportsAFieldOfTheWrongWidth) {
    for (const char* file : {"GROUPS.dbf", "GROUPS.cgp", "NGroup.ntx", "CGroup.ntx"})
        fs::remove(file);
    xbase::Table* t = DbContext->create("GROUPS", {{"nGroup", 'N', 2, 0}, {"cGroup", 'C', 12, 0}});
    ASSERT_NE(t, nullptr);
    DbContext->closeAll();
    ASSERT_TRUE(RebuildIndexes(false));
    EXPECT_EQ(CheckDataFiles(), QStringList{"GROUPS: field cGroup is C 12.0, expected C 30.0"});
}

TEST_F(DataCheckTest, ReportsNumbersUsedTwiceAmongLiveRecords) {
    ASSERT_TRUE(OpenInvoices());
    for (int number : {5, 6, 5, 6}) {
        InvTbl->appendBlank();
        InvBuf = {};
        InvBuf.IvNo = number;
        WriteInvoice();
    }
    InvTbl->go(4);
    InvTbl->deleteRecord();
    DbContext->closeAll();
    EXPECT_EQ(CheckDataFiles(), QStringList{"INV5: invoice number 5 is used by records 1 and 3"});
}

TEST_F(DataCheckTest, PassesOnTheEnginesFindingsInADamagedIndex) {
    ASSERT_TRUE(OpenInvoices());
    for (int number = 1; number <= 50; ++number) {
        InvTbl->appendBlank();
        InvBuf = {};
        InvBuf.IvNo = number;
        WriteInvoice();
    }
    DbContext->closeAll();
    {
        std::fstream ntx("Inv.ntx", std::ios::in | std::ios::out | std::ios::binary);
        ntx.seekp(1024 + 40);
        ntx.write("garbage!garbage!", 16);
    }
    const QStringList problems = CheckDataFiles();
    ASSERT_FALSE(problems.isEmpty());
    for (const QString& p : problems) EXPECT_TRUE(p.startsWith("INV5")) << p.toStdString();
}

}  // namespace
