// The settings record: the defaults of the supplied blank record, a full write and read, the
// 59-character cut, and a CVN1 that holds no record.
#include "db/settings.h"
#include "db/open_tables.h"
#include "tests/db/data_store_fixture.h"

namespace {

using SettingsTest = DataStoreTest;

SettingsValues Sample() {
    SettingsValues s;
    s.FontName = "DejaVu Sans Mono";
    s.FontSize = 11;
    s.LabID = "Avery 5160";
    s.Company = "Northwind Hardware & Garden Supplies of the Greater Riverton Area";
    s.Addr1 = "1200 Industrial Parkway";
    s.Addr2 = "Unit 4";
    s.Addr3 = "Riverton, WY";
    s.Addr4 = "82501";
    s.CloLine = "Thank you!";
    s.SigLine = "J. Smith, Accounts";
    s.LogoFile =
        "/home/owner/Documents/Business/Letterhead/2025 redesign/final/"
        "logo-with-wordmark-high-resolution.bmp";
    s.LogoHeight = 1.25;
    s.LogoWidth = 99.99;
    s.ShipLine = "Shipping";
    s.TaxLine = "Sales Tax";
    s.ShipTax = 3;
    s.TaxRound = 2;
    s.LHJustify = 2;
    s.TaxRate1 = 7.25;
    s.TaxRate2 = 99.99;
    s.TopMargin = -0.5;
    s.ByCust = true;
    s.fifo = true;
    return s;
}

TEST_F(SettingsTest, TheSuppliedBlankRecordGivesTheDefaults) {
    SettingsRecord = Sample();
    ASSERT_TRUE(LoadSettings());
    const SettingsValues& s = SettingsRecord;
    EXPECT_EQ(s.FontName.trimmed(), "");
    EXPECT_EQ(s.FontSize, 0);
    EXPECT_EQ(s.Company.trimmed(), "");
    EXPECT_EQ(s.LogoFile.trimmed(), "");
    EXPECT_FALSE(s.ByCust);
    EXPECT_FALSE(s.fifo);
    EXPECT_EQ(s.TaxRate1, 0);
    EXPECT_EQ(s.TaxRate2, 0);
    EXPECT_EQ(s.ShipTax, 0);
    EXPECT_EQ(s.TaxRound, 0);
    EXPECT_EQ(s.LHJustify, 0);
    EXPECT_EQ(s.TopMargin, 0);
    EXPECT_TRUE(DbContext->autoOpen());
}

TEST_F(SettingsTest, EveryFieldIsWrittenAndReadBack) {
    const SettingsValues want = Sample();
    SettingsRecord = want;
    ASSERT_TRUE(SaveSettings());
    SettingsRecord = {};
    ASSERT_TRUE(LoadSettings());
    const SettingsValues& s = SettingsRecord;
    EXPECT_EQ(s.FontName.trimmed(), want.FontName);
    EXPECT_EQ(s.FontSize, 11);
    EXPECT_EQ(s.LabID.trimmed(), want.LabID);
    EXPECT_EQ(s.Company.trimmed(), want.Company.left(59));
    EXPECT_EQ(s.Addr1.trimmed(), want.Addr1);
    EXPECT_EQ(s.Addr2.trimmed(), want.Addr2);
    EXPECT_EQ(s.Addr3.trimmed(), want.Addr3);
    EXPECT_EQ(s.Addr4.trimmed(), want.Addr4);
    EXPECT_EQ(s.CloLine.trimmed(), want.CloLine);
    EXPECT_EQ(s.SigLine.trimmed(), want.SigLine);
    // A logo path is kept whole: cut, it would name no file.
    EXPECT_GT(want.LogoFile.size(), 59);
    EXPECT_EQ(s.LogoFile.trimmed(), want.LogoFile);
    EXPECT_DOUBLE_EQ(s.LogoHeight, 1.25);
    EXPECT_DOUBLE_EQ(s.LogoWidth, 99.99);
    EXPECT_EQ(s.ShipLine.trimmed(), want.ShipLine);
    EXPECT_EQ(s.TaxLine.trimmed(), want.TaxLine);
    EXPECT_EQ(s.ShipTax, 3);
    EXPECT_EQ(s.TaxRound, 2);
    EXPECT_EQ(s.LHJustify, 2);
    EXPECT_DOUBLE_EQ(s.TaxRate1, 7.25);
    EXPECT_DOUBLE_EQ(s.TaxRate2, 99.99);
    EXPECT_DOUBLE_EQ(s.TopMargin, -0.5);
    EXPECT_TRUE(s.ByCust);
    EXPECT_TRUE(s.fifo);
    EXPECT_EQ(DbContext->errorCode(), 0);
}

TEST_F(SettingsTest, AWriteStoresFalseLogicalsAndZerosToo) {
    SettingsRecord = Sample();
    ASSERT_TRUE(SaveSettings());
    SettingsRecord = {};
    ASSERT_TRUE(SaveSettings());
    SettingsRecord = Sample();
    ASSERT_TRUE(LoadSettings());
    EXPECT_FALSE(SettingsRecord.ByCust);
    EXPECT_FALSE(SettingsRecord.fifo);
    EXPECT_EQ(SettingsRecord.ShipTax, 0);
    EXPECT_EQ(SettingsRecord.Company.trimmed(), "");
    EXPECT_EQ(SettingsRecord.LogoFile.trimmed(), "");
}

TEST_F(SettingsTest, ACvn1WithoutARecordReadsBlankAndGetsOneOnTheFirstWrite) {
    DbContext->setAutoOpen(false);
    xbase::Table* t = DbContext->open("CVN1");
    ASSERT_NE(t, nullptr);
    t->zap(1, t->recCount());
    DbContext->closeAll();
    DbContext->setAutoOpen(true);

    SettingsRecord = Sample();
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(SettingsRecord.FontSize, 0);
    EXPECT_FALSE(SettingsRecord.ByCust);

    SettingsRecord.TaxRate1 = 5;
    ASSERT_TRUE(SaveSettings());
    ASSERT_TRUE(OpenSettings());
    EXPECT_EQ(SetTbl->recCount(), 1u);
    DbContext->closeAll();
    SettingsRecord = {};
    ASSERT_TRUE(LoadSettings());
    EXPECT_DOUBLE_EQ(SettingsRecord.TaxRate1, 5);
}

}  // namespace
