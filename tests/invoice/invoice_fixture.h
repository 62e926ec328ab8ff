// A test case for invoicing: a fresh copy of the supplied tables with their indexes and the
// invoice editor's six tables open, the program-wide state reset before and after, every prompt
// answered from a script, and helpers that write customers and products and build the open
// invoice's rows.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFile>
#include <QLineEdit>

#include "db/current_records.h"
#include "db/field_values.h"
#include "db/maintenance.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "invoice/invoice_data.h"
#include "invoice/invoice_store.h"
#include "masters/address_block.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/temp_data_dir.h"

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

class InvoiceTest : public ::testing::Test {
protected:
    InvoiceTest() : dir_(TempDataDir::SuppliedTables) {
        ResetProgramState();
        EndProgram = [] { ADD_FAILURE() << "the program was ended"; };
        InitDbContext();
        ClearInvoiceRows();
        CurCustRec = CurProdRec = CurInvRec = 0;
        AddressLines = {};
    }
    ~InvoiceTest() override { ResetProgramState(); }
    void SetUp() override {
        ASSERT_TRUE(RebuildIndexes(true));
        ASSERT_TRUE(OpenCustomers() && OpenGroups() && OpenInvoices() && OpenItems() &&
                    OpenPayments() && OpenProducts());
    }

    static int32_t AddCustomer(int cuno, const QString& last, const QString& first = {}) {
        CustTbl->appendBlank();
        CustBuf = {};
        CustBuf.cuno = cuno;
        CustBuf.last = last;
        CustBuf.first = first;
        CustBuf.ngroup = 1;
        WriteCustomer();
        CustTbl->flush();
        return static_cast<int32_t>(CustTbl->recNo());
    }
    static int32_t AddProduct(const QString& id, double price, const QString& rcode = {}) {
        ProdTbl->appendBlank();
        ProdBuf = {};
        ProdBuf.PrID = id;
        ProdBuf.RCode = rcode;
        ProdBuf.PDesc = "Description of " + id;
        ProdBuf.UPrice = price;
        WriteProduct();
        ProdTbl->flush();
        return static_cast<int32_t>(ProdTbl->recNo());
    }
    static ItemRow Item(const QString& id, const QString& quantity, const QString& price) {
        ItemRow row;
        row[kItemPrID] = id;
        row[kItemQty] = quantity;
        row[kItemPrice] = price;
        row[kItemTax1] = "t";
        row[kItemTax2] = "f";
        row[kItemDesc] = "Line " + id;
        return row;
    }
    // Sets up a new invoice of customer `cuno` with `items` items P1, P2 ... and `payments`
    // payments of 1.00.
    static void OpenInvoice(int ivNo, int cuno, int items, int payments) {
        InvBuf = {};
        InvBuf.IvNo = ivNo;
        InvBuf.CuNo = cuno;
        InvBuf.IDate = 46000;
        ClearInvoiceRows();
        for (int i = 1; i <= items; ++i)
            ItemRows.push_back(Item("P" + QString::number(i), QString::number(i), "2.50"));
        for (int i = 1; i <= payments; ++i) PmtRows.push_back({"01/02/26", "      1.00"});
    }
    // Stores the open invoice; the record it went to.
    static int32_t Store(int32_t rec) {
        int32_t saved = 0;
        QString error;
        EXPECT_TRUE(StoreInvoice(rec, {}, &saved, &error)) << error.toStdString();
        return saved;
    }
    // The item records of INV5's invoice `ivNo` in Itm order: record number and product.
    static std::vector<std::pair<uint32_t, QString>> StoredItems(int ivNo) {
        std::vector<std::pair<uint32_t, QString>> items;
        ItemTbl->select(ItemTbl->tag("Itm"));
        for (int rc = ItemTbl->top(); rc == xbase::kFound; rc = ItemTbl->skip())
            if (ItemFld.IvNo->asInt() == ivNo)
                items.emplace_back(ItemTbl->recNo(), ReadText(ItemFld.PrID).trimmed());
        return items;
    }
    static QByteArray FileBytes(const std::string& name) {
        QFile file(QString::fromStdString(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    template <typename W>
    static W* Child(QWidget* form, const char* name) {
        W* w = form->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << "no control named " << name;
        return w;
    }
    static void Click(QWidget* form, const char* button) {
        if (auto* b = Child<QAbstractButton>(form, button)) b->click();
    }
    // The box's text; the blank places of masked boxes as blanks.
    static QString Text(QWidget* form, const char* box) {
        auto* edit = Child<QLineEdit>(form, box);
        return edit ? edit->text().replace('_', ' ') : QString();
    }

    TempDataDir dir_;
    ScriptedPrompts prompts_;
};
