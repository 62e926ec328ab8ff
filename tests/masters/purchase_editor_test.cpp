// The purchase editor: a new purchase's defaults, the product it needs, and the product it turns
// into an inventory item.
#include <QDate>

#include "db/open_tables.h"
#include "masters/purchase_editor.h"
#include "tests/masters/masters_fixture.h"
#include "ui/date_box.h"
#include "ui/number_box.h"

using prompt::Kind;

namespace {

class PurchaseTest : public MastersTest {
protected:
    void SetUp() override {
        MastersTest::SetUp();
        ASSERT_TRUE(OpenPurchases() && OpenProducts());
    }
    static ProductRecord Product(int32_t rec) {
        ProdTbl->go(static_cast<uint32_t>(rec));
        ReadProduct();
        return ProdBuf;
    }
    static PurchaseRecord Purchase(int32_t rec) {
        PurTbl->go(static_cast<uint32_t>(rec));
        ReadPurchase();
        return PurBuf;
    }
    // Picks the product on the given row of the product list shown next.
    static void PickProductRow(int row) {
        onNextModal([row](QWidget* list) {
            Child<QTableWidget>(list, "StringGrid1")->setCurrentCell(row, 0);
            Click(list, "BtnSelect");
        });
    }
    // Types into a box entered as the user enters it, which selects its whole text.
    static void TypeInto(QWidget* editor, const char* box, const QString& text) {
        editor->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(editor));
        auto* w = Child<QWidget>(editor, box);
        w->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(w, text);
    }
};

TEST_F(PurchaseTest, ANewPurchaseShowsTodayAndZerosAndNeedsAProduct) {
    TPurDef editor;
    editor.show();
    EXPECT_EQ(editor.windowTitle(), "Inventory Purchase Definition");
    EXPECT_EQ(Child<DateBox>(&editor, "MaskEdit1")->value(), DateValue(QDate::currentDate()));
    EXPECT_EQ(Child<NumberBox>(&editor, "MaskEdit2")->entryText(), "      0.00");
    EXPECT_EQ(Child<NumberBox>(&editor, "MaskEdit3")->entryText(), "        0.00");
    EXPECT_FALSE(Child<QWidget>(&editor, "BtnDelete")->isEnabled());
    prompts_.expect(Kind::Information, "Product Selection Required.");
    Click(&editor, "BtnSave");
    EXPECT_EQ(PurTbl->recCount(), 0u);
}

TEST_F(PurchaseTest, APurchaseMakesItsProductAnInventoryItem) {
    AddProduct("BOLT");
    const int32_t nut = AddProduct("NUT", 1.5, false);
    TPurDef editor;
    editor.show();
    PickProductRow(1);
    Click(&editor, "BtnProd");
    EXPECT_EQ(Child<QLineEdit>(&editor, "Edit1")->text().trimmed(), "NUT");
    auto* date = Child<DateBox>(&editor, "MaskEdit1");
    date->setEntryText("03/15/71");
    TypeInto(&editor, "MaskEdit2", "40.");
    TypeInto(&editor, "MaskEdit3", "60.25");
    Click(&editor, "BtnSave");
    ASSERT_EQ(editor.result(), QDialog::Accepted);
    ASSERT_EQ(CurPurRec, 1);

    const PurchaseRecord saved = Purchase(1);
    EXPECT_EQ(saved.PURProd.trimmed(), "NUT");
    // Two-digit years fall into the window of 40 years back and 59 ahead.
    const int year = QDate::currentDate().year();
    const int expected = 1971 < year - 40 ? 2071 : 1971;
    EXPECT_EQ(QDateOf(saved.PURDate), QDate(expected, 3, 15));
    EXPECT_EQ(saved.PURQty, 40.0);
    EXPECT_EQ(saved.PURCost, 60.25);
    const ProductRecord product = Product(nut);
    EXPECT_TRUE(product.lInven);
    EXPECT_EQ(product.UPrice, 1.5);
}

TEST_F(PurchaseTest, EditingWithoutChoosingAProductTouchesNoProduct) {
    const int32_t product = AddProduct("NUT");
    const int32_t rec = AddPurchase("NUT", "20250110", 5, 10, 77);
    CurPurRec = rec;
    TPurDef editor;
    editor.show();
    EXPECT_EQ(Child<NumberBox>(&editor, "MaskEdit2")->value(), 5.0);
    auto* cost = Child<NumberBox>(&editor, "MaskEdit3");
    cost->setValue(12);
    Click(&editor, "BtnSave");
    const PurchaseRecord saved = Purchase(rec);
    EXPECT_EQ(saved.PURCost, 12.0);
    EXPECT_EQ(saved.PURNo, 77);
    EXPECT_EQ(QDateOf(saved.PURDate), QDate(2025, 1, 10));
    EXPECT_FALSE(Product(product).lInven);
    EXPECT_EQ(PurTbl->recCount(), 1u);
}

TEST_F(PurchaseTest, AnInvalidDateStopsTheSave) {
    AddProduct("NUT");
    TPurDef editor;
    editor.show();
    PickProductRow(0);
    Click(&editor, "BtnProd");
    Child<DateBox>(&editor, "MaskEdit1")->setEntryText("13/45/25");
    Click(&editor, "BtnSave");
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(PurTbl->recCount(), 0u);
}

TEST_F(PurchaseTest, DeleteMarksThePurchase) {
    const int32_t rec = AddPurchase("NUT", "20250110", 5, 10);
    CurPurRec = rec;
    TPurDef editor;
    editor.show();
    Click(&editor, "BtnDelete");
    PurTbl->go(static_cast<uint32_t>(rec));
    EXPECT_TRUE(PurTbl->deleted());
    EXPECT_TRUE(PackPending);
}

}  // namespace
