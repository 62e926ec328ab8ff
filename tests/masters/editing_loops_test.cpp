// The main window's master-data actions run end to end: pick, edit, come back to the list, and
// leave with the table packed when something was deleted.
#include <QListWidget>

#include "db/field_values.h"
#include "db/open_tables.h"
#include "masters/editing_loops.h"
#include "tests/masters/masters_fixture.h"

namespace {

class LoopTest : public MastersTest {
protected:
    // The actions open their own tables.
    static void CloseTables() {
        DbContext->closeAll();
        CustTbl = GroupTbl = LabTbl = ProdTbl = PurTbl = nullptr;
    }
    static uint32_t RecordsIn(const char* table) {
        xbase::Table* t = DbContext->open(table);
        const uint32_t count = t ? t->recCount() : 0;
        if (t) t->close();
        return count;
    }
    static void SelectRow(QWidget* list, int row) {
        Child<QTableWidget>(list, "StringGrid1")->setCurrentCell(row, 0);
        Click(list, "BtnSelect");
    }
};

TEST_F(LoopTest, DeletingACustomerAndLeavingPacksTheCustomersAtOnce) {
    ASSERT_TRUE(OpenCustomers() && OpenGroups());
    AddGroup(1, "Retail");
    AddCustomer(1, "Adams");
    AddCustomer(2, "Baker");
    AddCustomer(3, "Carter");
    SettingsRecord.ByCust = true;
    CloseTables();

    onNextModal([](QWidget* list) {
        EXPECT_EQ(Child<QTableWidget>(list, "StringGrid1")->currentRow(), 0);
        onNextModal([](QWidget* editor) {
            EXPECT_EQ(Child<QLineEdit>(editor, "Edit4")->text(), "Baker");
            onNextModal([](QWidget* again) {
                // Back on the list, on the customer just deleted, shown as deleted.
                EXPECT_EQ(Column(again, 2)[1], "< DELETED >");
                EXPECT_EQ(Child<QTableWidget>(again, "StringGrid1")->currentRow(), 0);
                Click(again, "BtnCancel");
            });
            Click(editor, "BtnDelete");
        });
        SelectRow(list, 1);
    });
    PackPending = true;  // left from elsewhere: the customer action starts afresh
    RunCustomerLoop(nullptr);

    EXPECT_FALSE(PackPending);
    EXPECT_EQ(CustTbl, nullptr);
    EXPECT_EQ(RecordsIn("CUST5"), 2u);
}

TEST_F(LoopTest, ACustomerMadeThroughNewIsNotEditedTwiceAndNothingIsPacked) {
    ASSERT_TRUE(OpenCustomers() && OpenGroups());
    AddGroup(1, "Retail");
    AddCustomer(1, "Adams");
    CloseTables();
    int editorsShown = 0;

    onNextModal([&](QWidget* list) {
        onNextModal([&](QWidget* editor) {
            ++editorsShown;
            QTest::keyClicks(Child<QLineEdit>(editor, "Edit5"), "Zenith Corp");
            onNextModal([](QWidget* groups) { Click(groups, "BtnSelect"); });
            Click(editor, "BtnGroup");
            onNextModal([](QWidget* again) {
                // By company: the new customer's company sorts after the blank one.
                EXPECT_EQ(Column(again, 0).mid(0, 2), QStringList({"", "Zenith Corp"}));
                Click(again, "BtnCancel");
            });
            Click(editor, "BtnSave");
        });
        Click(list, "BtnNew");
    });
    RunCustomerLoop(nullptr);
    EXPECT_EQ(editorsShown, 1);
    EXPECT_EQ(RecordsIn("CUST5"), 2u);
    EXPECT_FALSE(PackPending);
}

TEST_F(LoopTest, DeletingAGroupMovesItsCustomersAndPacksTheGroups) {
    ASSERT_TRUE(OpenGroups() && OpenCustomers());
    AddGroup(1, "Wholesale");
    AddGroup(2, "Retail");
    AddCustomer(1, "Adams", {}, 2);
    CloseTables();
    prompts_.expect(prompt::Kind::Confirm, "Move Customers in Retail");

    onNextModal([](QWidget* list) {
        // Groups by name: Retail first.
        EXPECT_EQ(ListItems(list), QStringList({"Retail", "Wholesale"}));
        onNextModal([](QWidget* editor) {
            onNextModal([](QWidget* target) {
                Child<QListWidget>(target, "ListBox1")->setCurrentRow(1);
                Click(target, "BtnSelect");
            });
            Click(editor, "BtnDelete");  // returns once the target list and the editor closed
            onNextModal([](QWidget* again) { Click(again, "BtnCancel"); });
        });
        Click(list, "BtnSelect");
    });
    RunGroupLoop(nullptr);

    EXPECT_FALSE(PackPending);
    EXPECT_EQ(RecordsIn("GROUPS"), 1u);
    ASSERT_TRUE(OpenCustomers());
    CustTbl->top();
    EXPECT_EQ(CustFld.ngroup->asInt(), 1);
}

TEST_F(LoopTest, DeletingAPurchasePacksThePurchasesOnly) {
    ASSERT_TRUE(OpenPurchases() && OpenProducts());
    AddProduct("NUT");
    AddPurchase("NUT", "20250101", 1, 1);
    AddPurchase("NUT", "20250201", 2, 2);
    CloseTables();
    onNextModal([](QWidget* list) {
        onNextModal([](QWidget* editor) {
            onNextModal([](QWidget* again) { Click(again, "BtnCancel"); });
            Click(editor, "BtnDelete");
        });
        SelectRow(list, 0);
    });
    RunPurchaseLoop(nullptr);
    EXPECT_EQ(RecordsIn("Pur5"), 1u);
    EXPECT_EQ(RecordsIn("Prod5"), 1u);
    EXPECT_FALSE(PackPending);
}

TEST_F(LoopTest, AProductEditedInTheLoopIsSavedAndTheListComesBack) {
    ASSERT_TRUE(OpenProducts());
    AddProduct("NUT", 1);
    CloseTables();
    onNextModal([](QWidget* list) {
        onNextModal([](QWidget* editor) {
            QTest::keyClicks(Child<QLineEdit>(editor, "Edit2"), " (boxed)");
            onNextModal([](QWidget* again) {
                EXPECT_EQ(Column(again, 1)[0], "Description of NUT (boxed)");
                Click(again, "BtnCancel");
            });
            Click(editor, "BtnSave");
        });
        SelectRow(list, 0);
    });
    RunProductLoop(nullptr);
    EXPECT_EQ(ProdTbl, nullptr);
}

TEST_F(LoopTest, TheFirstLabelStockIsMadeFromAnEmptyListAndTheTableIsClosed) {
    onNextModal([](QWidget* list) {
        EXPECT_TRUE(ListItems(list).isEmpty());
        onNextModal([](QWidget* editor) {
            QTest::keyClicks(Child<QLineEdit>(editor, "Edit1"), "Sheet");
            onNextModal([](QWidget* again) {
                EXPECT_EQ(ListItems(again), QStringList({"Sheet"}));
                Click(again, "BtnCancel");
            });
            Click(editor, "BtnSave");
        });
        Click(list, "BtnNew");
    });
    RunLabelStockLoop(nullptr);
    EXPECT_EQ(LabTbl, nullptr);
    EXPECT_EQ(RecordsIn("LABELS"), 1u);
}

}  // namespace
