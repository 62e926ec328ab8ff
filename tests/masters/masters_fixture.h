// A test case for the master-data forms: a fresh copy of the supplied tables with their indexes,
// the program-wide state reset before and after (tables, buffers, current records, pick-list
// state), every prompt answered from a script, and helpers that write records and read what a
// form shows.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTest>

#include "core/dates.h"
#include "db/current_records.h"
#include "db/maintenance.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "masters/address_block.h"
#include "masters/pick_cust.h"
#include "masters/pick_prod.h"
#include "masters/pick_pur.h"
#include "tests/support/modal.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/temp_data_dir.h"

// Shows texts in failure messages as text rather than as bytes.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

class MastersTest : public ::testing::Test {
protected:
    MastersTest() : dir_(TempDataDir::SuppliedTables) {
        ResetProgramState();
        EndProgram = [this] { ++endCalls_; };
        InitDbContext();
        PickCustState = PickProdState = PickPurState = {};
        CurCustRec = CurGroupRec = CurProdRec = CurPurRec = CurLabRec = 0;
        AddressLines = {};
    }
    ~MastersTest() override { ResetProgramState(); }
    void SetUp() override { ASSERT_TRUE(RebuildIndexes(true)); }

    // Appends a record through the program's own write operation; gives its record number.
    static int32_t AddCustomer(int cuno, const QString& last, const QString& first = {},
                               int group = 1, const QString& company = {}) {
        CustTbl->appendBlank();
        CustBuf = {};
        CustBuf.cuno = cuno;
        CustBuf.last = last;
        CustBuf.first = first;
        CustBuf.ngroup = group;
        CustBuf.addr1 = company;
        WriteCustomer();
        CustTbl->flush();
        return static_cast<int32_t>(CustTbl->recNo());
    }
    static int32_t AddGroup(int number, const QString& name) {
        GroupTbl->appendBlank();
        GroupBuf = {number, name};
        WriteGroup();
        GroupTbl->flush();
        return static_cast<int32_t>(GroupTbl->recNo());
    }
    static int32_t AddProduct(const QString& id, double price = 0, bool inventory = false) {
        ProdTbl->appendBlank();
        ProdBuf = {};
        ProdBuf.PrID = id;
        ProdBuf.PDesc = "Description of " + id;
        ProdBuf.UPrice = price;
        ProdBuf.lInven = inventory;
        WriteProduct();
        ProdTbl->flush();
        return static_cast<int32_t>(ProdTbl->recNo());
    }
    static int32_t AddPurchase(const QString& product, const char* yyyymmdd, double quantity,
                               double cost, int number = 0) {
        PurTbl->appendBlank();
        PurBuf = {product, TextToDate(yyyymmdd), quantity, cost, number};
        WritePurchase();
        PurTbl->flush();
        return static_cast<int32_t>(PurTbl->recNo());
    }
    static void MarkDeleted(xbase::Table* table, int32_t rec) {
        table->go(static_cast<uint32_t>(rec));
        table->deleteRecord();
        table->flush();
    }

    template <typename W>
    static W* Child(QWidget* form, const char* name) {
        W* w = form->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << "no control named " << name;
        return w;
    }
    static void Click(QWidget* form, const char* button) {
        QAbstractButton* b = Child<QAbstractButton>(form, button);
        if (b) b->click();
    }
    // One column of the ten grid rows.
    static QStringList Column(QWidget* list, int col) {
        auto* grid = Child<QTableWidget>(list, "StringGrid1");
        QStringList texts;
        for (int row = 0; row < grid->rowCount(); ++row)
            texts << (grid->item(row, col) ? grid->item(row, col)->text() : QString());
        return texts;
    }
    static QStringList RecNos(QWidget* list) { return Column(list, 3); }
    static QStringList ListItems(QWidget* list) {
        auto* box = Child<QListWidget>(list, "ListBox1");
        QStringList items;
        for (int i = 0; i < box->count(); ++i) items << box->item(i)->text();
        return items;
    }

    TempDataDir dir_;
    ScriptedPrompts prompts_;
    int endCalls_ = 0;
};
