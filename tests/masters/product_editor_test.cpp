// The product editor: IDs in capitals and unique, the tax box captions, and what a save writes.
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QToolTip>

#include "db/field_values.h"
#include "db/open_tables.h"
#include "masters/product_editor.h"
#include "tests/masters/masters_fixture.h"
#include "ui/number_box.h"

using prompt::Kind;

namespace {

class ProductTest : public MastersTest {
protected:
    void SetUp() override {
        MastersTest::SetUp();
        ASSERT_TRUE(OpenProducts());
    }
    static ProductRecord Stored(int32_t rec) {
        ProdTbl->go(static_cast<uint32_t>(rec));
        ReadProduct();
        return ProdBuf;
    }
    // Opens the editor on a new product, types the ID and saves; true when it was saved.
    static bool SaveNew(const QString& id) {
        CurProdRec = 0;
        TProdDef editor;
        editor.show();
        QTest::keyClicks(Child<QLineEdit>(&editor, "Edit1"), id);
        Click(&editor, "BtnSave");
        return editor.result() == QDialog::Accepted;
    }
    static bool IsRed(QWidget* box) {
        return box->palette().color(QPalette::Text) == QColor(Qt::red);
    }
};

TEST_F(ProductTest, AnIdIsStoredTrimmedInCapitalsWithNothingOnHand) {
    const int32_t shown = AddProduct("OLD", 5);
    ProdTbl->go(static_cast<uint32_t>(shown));
    ProdFld.UPrice->assignDouble(5);
    LookUpField(ProdTbl, "ONHAND")->assignDouble(12);
    ProdTbl->flush();
    CurProdRec = shown;
    {
        TProdDef editor;
        editor.show();
        Click(&editor, "BtnCancel");
    }

    ASSERT_TRUE(SaveNew("  ab12 "));
    const ProductRecord saved = Stored(CurProdRec);
    EXPECT_EQ(saved.PrID.trimmed(), "AB12");
    EXPECT_EQ(saved.ONHAND, 0.0);
    EXPECT_EQ(saved.UPrice, 0.0);
    EXPECT_EQ(LookUpField(ProdTbl, "lBuild")->str(), "F");
}

TEST_F(ProductTest, AbIsAcceptedBesideAbcButASecondAbcIsRefused) {
    AddProduct("ABC");
    AddProduct("ABCD");
    EXPECT_TRUE(SaveNew("AB"));
    prompts_.expect(Kind::Information, "Duplicate Product ID's are not allowed");
    EXPECT_FALSE(SaveNew("abc"));
    prompts_.expect(Kind::Information, "Blank Product ID not allowed");
    EXPECT_FALSE(SaveNew("   "));
    EXPECT_EQ(ProdTbl->recCount(), 3u);
}

TEST_F(ProductTest, KeepingTheIdOrChangingOnlyItsCaseIsNoDuplicate) {
    const int32_t rec = AddProduct("AB12", 2);
    LookUpField(ProdTbl, "ONHAND")->assignDouble(7);
    ProdTbl->flush();
    CurProdRec = rec;
    TProdDef editor;
    editor.show();
    auto* id = Child<QLineEdit>(&editor, "Edit1");
    EXPECT_EQ(id->text(), "AB12");
    id->clear();
    QTest::keyClicks(id, "ab12");
    Click(&editor, "BtnSave");
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_EQ(Stored(rec).ONHAND, 7.0);  // kept from the record
    EXPECT_EQ(ProdTbl->recCount(), 1u);
}

TEST_F(ProductTest, TheTaxBoxesAreNamedByTheSettings) {
    SettingsRecord.ShipLine = "GST       ";
    SettingsRecord.TaxLine = "";
    TProdDef editor;
    editor.show();
    EXPECT_EQ(Child<QCheckBox>(&editor, "CheckBox1")->text(), "GST");
    EXPECT_EQ(Child<QCheckBox>(&editor, "CheckBox2")->text(), "Shipping");
}

TEST_F(ProductTest, EveryBoxReachesTheRecordAndANegativePriceIsRed) {
    SaveNew("X");  // a first product, so the one below is record 2
    CurProdRec = 0;
    TProdDef editor;
    editor.show();
    editor.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    QTest::keyClicks(Child<QLineEdit>(&editor, "Edit1"), "P1");
    QTest::keyClicks(Child<QLineEdit>(&editor, "Edit2"), "Widget");
    QTest::keyClicks(Child<QLineEdit>(&editor, "Edit3"), "  second line ");
    QTest::keyClicks(Child<QLineEdit>(&editor, "Edit4"), "LIC-1");
    auto* price = Child<NumberBox>(&editor, "MaskEdit1");
    price->setFocus();
    QTest::keyClicks(price, "-12.5");
    EXPECT_TRUE(IsRed(price));
    Child<NumberBox>(&editor, "MaskEdit2")->setValue(4);
    Child<QCheckBox>(&editor, "CheckBox2")->setChecked(true);
    Child<QCheckBox>(&editor, "CheckBox3")->setChecked(true);
    Child<QPlainTextEdit>(&editor, "Memo1")->setPlainText("Printed text  \n");
    Click(&editor, "BtnSave");
    ASSERT_EQ(CurProdRec, 2);
    const ProductRecord p = Stored(2);
    EXPECT_EQ(p.PDesc.trimmed(), "Widget");
    EXPECT_EQ(p.IComm.trimmed(), "second line");
    EXPECT_EQ(p.RCode.trimmed(), "LIC-1");
    EXPECT_EQ(p.UPrice, -12.5);
    EXPECT_EQ(p.REORDER, 4.0);
    EXPECT_FALSE(p.LTax1);
    EXPECT_TRUE(p.LTax2);
    EXPECT_TRUE(p.lInven);
    EXPECT_EQ(p.PMemo, "Printed text");
}

TEST_F(ProductTest, EnterWalksTheBoxesAsTheyAreReadAndThePriceRefusesLetters) {
    CurProdRec = 0;
    TProdDef editor;
    editor.show();
    editor.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    QStringList walked;
    QWidget* box = Child<QWidget>(&editor, "Edit1");
    box->setFocus();
    while (walked.size() < 9 && box && box->objectName() != "Memo1") {
        QTest::keyClick(box, Qt::Key_Return);
        box = QApplication::focusWidget();
        walked << (box ? box->objectName() : QString());
    }
    EXPECT_EQ(walked, QStringList({"Edit4", "Edit2", "Edit3", "MaskEdit1", "MaskEdit2", "CheckBox1",
                                   "CheckBox2", "CheckBox3", "Memo1"}));

    auto* price = Child<NumberBox>(&editor, "MaskEdit1");
    price->setFocus();
    QTest::keyClicks(price, "1 lb bag");
    EXPECT_TRUE(QToolTip::text().contains("Only a number can be typed here"));
}

TEST_F(ProductTest, CancelWithChangesAsksAndWithoutChangesDoesNot) {
    const int32_t rec = AddProduct("KEEP", 2.5);
    CurProdRec = rec;
    TProdDef editor;
    editor.show();
    Click(&editor, "BtnCancel");
    EXPECT_FALSE(editor.isVisible());

    editor.show();
    QTest::keyClicks(Child<QLineEdit>(&editor, "Edit2"), "changed");
    prompts_.expect(Kind::WarningConfirm, "Close without saving?", {false, {}});
    QTest::keyClick(&editor, Qt::Key_Escape);
    EXPECT_TRUE(editor.isVisible());
    prompts_.expect(Kind::WarningConfirm, "Close without saving?");
    Click(&editor, "BtnCancel");
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(Stored(rec).PDesc.trimmed(), "Description of KEEP");
}

TEST_F(ProductTest, DeleteMarksTheProductAndSavingItLeavesTheMark) {
    const int32_t rec = AddProduct("GONE");
    CurProdRec = rec;
    {
        TProdDef editor;
        editor.show();
        Click(&editor, "BtnDelete");
    }
    EXPECT_TRUE(PackPending);
    ProdTbl->go(static_cast<uint32_t>(rec));
    EXPECT_TRUE(ProdTbl->deleted());

    TProdDef editor;
    editor.show();
    Click(&editor, "BtnSave");
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    ProdTbl->go(static_cast<uint32_t>(rec));
    EXPECT_TRUE(ProdTbl->deleted());
}

}  // namespace
