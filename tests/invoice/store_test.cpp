// Storing, loading and deleting invoices through the program's own tables: items and payments
// rewritten in place, surplus records left spare and taken again in order, other invoices
// untouched.
#include "tests/invoice/invoice_fixture.h"

TEST_F(InvoiceTest, NumbersStartAtOneAndFollowTheHighest) {
    EXPECT_EQ(NextInvoiceNo(), 1);
    AddCustomer(1, "Adams");
    OpenInvoice(40, 1, 0, 0);
    Store(0);
    OpenInvoice(7, 1, 0, 0);
    Store(0);
    EXPECT_EQ(NextInvoiceNo(), 41);
}

TEST_F(InvoiceTest, AStoredInvoiceLoadsBackAsItWasWritten) {
    SettingsRecord.ByCust = true;
    const int32_t cust = AddCustomer(3, "Baker", "Bo");
    AddProduct("P2", 2.5, "R-2");
    OpenInvoice(12, 3, 3, 2);
    ItemRows[1][kItemComment] = "gift wrap";
    InvBuf.Ship = 1.25;
    InvBuf.Due = 13.75;
    int32_t saved = 0;
    QString error;
    ASSERT_TRUE(StoreInvoice(0, "  pays late ", &saved, &error)) << error.toStdString();

    ClearInvoiceRows();
    InvBuf = {};
    ASSERT_TRUE(LoadInvoice(saved));
    EXPECT_EQ(InvBuf.IvNo, 12);
    EXPECT_DOUBLE_EQ(InvBuf.Ship, 1.25);
    ASSERT_EQ(ItemHigh(), 2);
    EXPECT_EQ(ItemRows[1][kItemPrID].trimmed(), "P2");
    EXPECT_EQ(ItemRows[1][kItemQty], "     2.00");
    EXPECT_EQ(ItemRows[1][kItemPrice], "    2.50");
    EXPECT_EQ(ItemRows[1][kItemComment], "gift wrap");
    EXPECT_EQ(ItemRows[1][kItemRCode], "R-2");
    // Products that are not (or no longer) in Prod5 keep the stored description.
    EXPECT_EQ(ItemRows[0][kItemRCode], "");
    EXPECT_EQ(ItemRows[0][kItemDesc].trimmed(), "Line P1");
    ASSERT_EQ(PmtHigh(), 1);
    EXPECT_EQ(PmtRows[0][kPmtAmount], "      1.00");
    EXPECT_EQ(CurCustRec, cust);
    EXPECT_EQ(CustBuf.note.trimmed(), "pays late");
    EXPECT_EQ(AddressLines[0].trimmed(), "Bo Baker");
}

TEST_F(InvoiceTest, AnInvoiceWhoseCustomerIsGoneStillLoads) {
    OpenInvoice(5, 77, 1, 0);
    const int32_t saved = Store(0);
    ASSERT_TRUE(LoadInvoice(saved));
    EXPECT_EQ(InvBuf.CuNo, 77);
    EXPECT_EQ(AddressLines[0], "");
}

TEST_F(InvoiceTest, ItemsAndPaymentsAreRewrittenInPlaceAndTheSurplusLeftSpareAndBlank) {
    AddCustomer(1, "Adams");
    OpenInvoice(1, 1, 0, 0);
    Store(0);  // a neighbour whose records must stay
    OpenInvoice(2, 1, 5, 3);
    const int32_t rec = Store(0);
    OpenInvoice(3, 1, 1, 0);
    Store(0);
    const auto five = StoredItems(2);
    ASSERT_EQ(five.size(), 5u);

    OpenInvoice(2, 1, 3, 1);
    ItemRows[2][kItemPrID] = "NEW3";
    Store(rec);
    const auto three = StoredItems(2);
    ASSERT_EQ(three.size(), 3u);
    EXPECT_EQ(three[2].second, "NEW3");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(three[i].first, five[i].first) << "rewritten in place";
    EXPECT_EQ(ItemTbl->recCount(), 6u) << "nothing packed";
    const auto spares = StoredItems(0);
    ASSERT_EQ(spares.size(), 2u);
    for (const auto& [spare, product] : spares) {
        ASSERT_EQ(ItemTbl->go(spare), xbase::kFound);
        EXPECT_TRUE(ItemTbl->deleted());
        EXPECT_EQ(product, "") << "a spare keeps nothing of the item";
        EXPECT_DOUBLE_EQ(ItemFld.Qty->asDouble(), 0);
    }
    PmtTbl->select(PmtTbl->tag("Pmt"));
    ASSERT_EQ(Seek(PmtTbl, InvKey(0)), xbase::kFound);
    EXPECT_TRUE(PmtTbl->deleted());
    EXPECT_EQ(ReadText(PmtFld.PDate).trimmed(), "");

    OpenInvoice(2, 1, 5, 1);
    Store(rec);
    EXPECT_EQ(StoredItems(2), five) << "the spares are taken back";
    EXPECT_TRUE(StoredItems(0).empty());
    EXPECT_EQ(ItemTbl->recCount(), 6u);
    EXPECT_EQ(StoredItems(3).size(), 1u);
}

TEST_F(InvoiceTest, AnInvoiceGrowingIntoSparesBelowItsRecordsKeepsItsRowsInOrder) {
    AddCustomer(1, "Adams");
    OpenInvoice(1, 1, 3, 2);
    const int32_t first = Store(0);
    OpenInvoice(2, 1, 1, 1);
    const int32_t second = Store(0);
    OpenInvoice(1, 1, 0, 0);
    Store(first);  // records 1-3 of ITM5 and 1-2 of PMT become spares

    OpenInvoice(2, 1, 4, 3);
    for (int i = 0; i < 4; ++i) ItemRows[i][kItemPrID] = QString("ROW%1").arg(i);
    PmtRows = {{"01/02/26", "1.00"}, {"01/03/26", "2.00"}, {"01/04/26", "3.00"}};
    Store(second);
    EXPECT_EQ(ItemTbl->recCount(), 4u);
    EXPECT_EQ(PmtTbl->recCount(), 3u);
    ASSERT_TRUE(LoadInvoice(second));
    ASSERT_EQ(ItemRows.size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ItemRows[i][kItemPrID].trimmed(), QString("ROW%1").arg(i));
    ASSERT_EQ(PmtRows.size(), 3u);
    EXPECT_EQ(PmtRows[0][kPmtAmount].trimmed(), "1.00");
    EXPECT_EQ(PmtRows[2][kPmtAmount].trimmed(), "3.00");
}

TEST_F(InvoiceTest, DeleteRemovesTheInvoiceWithItsItemsAndPaymentsOnly) {
    AddCustomer(1, "Adams");
    OpenInvoice(1, 1, 2, 1);
    Store(0);
    OpenInvoice(2, 1, 4, 2);
    const int32_t rec = Store(0);
    QString error;
    EXPECT_FALSE(RemoveInvoice(rec, 1, &error)) << "the record holds another invoice";
    EXPECT_FALSE(RemoveInvoice(0, 2, &error));
    ASSERT_TRUE(RemoveInvoice(rec, 2, &error)) << error.toStdString();
    EXPECT_EQ(InvTbl->recCount(), 1u);
    EXPECT_EQ(ItemTbl->recCount(), 2u);
    EXPECT_EQ(PmtTbl->recCount(), 1u);
    EXPECT_EQ(StoredItems(1).size(), 2u);
}

TEST_F(InvoiceTest, TablesArePackedOnlyOnceTheirSparesPassATenth) {
    AddCustomer(1, "Adams");
    OpenInvoice(1, 1, 20, 1);
    const int32_t rec = Store(0);
    OpenInvoice(1, 1, 18, 1);
    Store(rec);
    EXPECT_TRUE(TablesCrowdedWithSpares().isEmpty()) << "2 of 20 items";
    OpenInvoice(1, 1, 17, 0);
    Store(rec);
    EXPECT_EQ(TablesCrowdedWithSpares(), QStringList({"ITM5", "PMT"}));
}

TEST_F(InvoiceTest, ValuesThatDoNotFitTheirFieldsAreRefusedAndNothingIsWritten) {
    AddCustomer(1, "Adams");
    OpenInvoice(1, 1, 1, 0);
    Store(0);
    DbContext->closeAll();
    const QByteArray items = FileBytes("ITM5.dbf");
    const QByteArray invoices = FileBytes("INV5.dbf");
    ASSERT_TRUE(OpenCustomers() && OpenGroups() && OpenInvoices() && OpenItems() &&
                OpenPayments() && OpenProducts());

    QString error;
    OpenInvoice(2, 1, 1, 0);
    ItemRows[0][kItemQty] = "123456789.00";
    EXPECT_FALSE(StoreInvoice(0, {}, nullptr, &error));
    EXPECT_TRUE(error.contains("quantity")) << error.toStdString();
    OpenInvoice(2, 1, 1, 0);
    ItemRows[0][kItemPrID] = "UNKNOWN-1";
    ItemRows[0][kItemDesc] = QString(28, 'd');
    EXPECT_FALSE(StoreInvoice(0, {}, nullptr, &error));
    EXPECT_EQ(error, "Item UNKNOWN-1: the description is longer than its field's 27 characters.");
    OpenInvoice(2, 1, 0, 1);
    PmtRows[0][kPmtDate] = "31/31/26";
    EXPECT_FALSE(StoreInvoice(0, {}, nullptr, &error));
    OpenInvoice(1000000, 1, 0, 0);
    EXPECT_FALSE(StoreInvoice(0, {}, nullptr, &error));
    DbContext->closeAll();
    EXPECT_EQ(FileBytes("ITM5.dbf"), items);
    EXPECT_EQ(FileBytes("INV5.dbf"), invoices);
}
