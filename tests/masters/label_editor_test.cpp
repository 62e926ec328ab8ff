// The label stock editor: a new stock's values, typing the measures in points, millimetres or
// inches, the ready stocks, what a save writes, and deleting a stock.
#include <QCheckBox>
#include <QComboBox>

#include "db/open_tables.h"
#include "masters/label_editor.h"
#include "tests/masters/masters_fixture.h"
#include "ui/digit_box.h"
#include "ui/number_box.h"

using prompt::Kind;

namespace {

class LabelTest : public MastersTest {
protected:
    void SetUp() override {
        MastersTest::SetUp();
        ASSERT_TRUE(OpenLabels());
    }
    static LabelRecord Stored(int32_t rec) {
        LabTbl->go(static_cast<uint32_t>(rec));
        ReadLabel();
        return LabBuf;
    }
    static NumberBox* Measure(QWidget* editor, int n) {
        return Child<NumberBox>(editor, qPrintable("MaskEdit" + QString::number(n)));
    }
};

TEST_F(LabelTest, ANewStockShowsZerosAndOneAcross) {
    TLabelDef editor;
    editor.show();
    for (int n = 1; n <= 8; ++n) EXPECT_EQ(Measure(&editor, n)->entryText(), "   0.000") << n;
    EXPECT_EQ(Child<DigitBox>(&editor, "MaskEdit9")->entryText(), "1");
    EXPECT_FALSE(Child<QCheckBox>(&editor, "CheckBox1")->isChecked());
}

TEST_F(LabelTest, AMeasureTypedWithTheSeparatorIsFormattedAndTheStockSaved) {
    TLabelDef editor;
    editor.show();
    editor.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    prompts_.expect(Kind::Information, "Please fill in label name.");
    Click(&editor, "BtnSave");
    EXPECT_EQ(LabTbl->recCount(), 0u);

    QTest::keyClicks(Child<QLineEdit>(&editor, "Edit1"), "  Sheet 3x10  ");
    NumberBox* top = Measure(&editor, 1);
    top->setFocus();
    QTest::keyClicks(top, "12.");
    EXPECT_EQ(top->entryText(), "  12.000");
    QTest::keyClick(top, Qt::Key_Return);
    EXPECT_TRUE(Measure(&editor, 2)->hasFocus());
    Measure(&editor, 5)->setValue(189);
    Measure(&editor, 8)->setValue(-1);
    EXPECT_NE(Measure(&editor, 8)->palette().color(QPalette::Text), QColor(Qt::red));
    auto* across = Child<DigitBox>(&editor, "MaskEdit9");
    across->setFocus();
    QTest::keyClicks(across, "3");
    Child<QCheckBox>(&editor, "CheckBox1")->setChecked(true);
    Click(&editor, "BtnSave");

    ASSERT_EQ(CurLabRec, 1);
    const LabelRecord saved = Stored(1);
    EXPECT_EQ(saved.Name.trimmed(), "Sheet 3x10");
    EXPECT_TRUE(saved.Name.startsWith("Sheet"));
    EXPECT_EQ(saved.TopM, 12.0);
    EXPECT_EQ(saved.Width, 189.0);
    EXPECT_EQ(saved.VGap, -1.0);
    EXPECT_EQ(saved.NAcross, 3);
    EXPECT_TRUE(saved.Continuous);
}

TEST_F(LabelTest, AnExistingStockIsShownAndRewrittenInPlace) {
    LabTbl->appendBlank();
    LabBuf = {"Old", 1, 2, 3, 4, 5, 6, 7, 8, 2, true};
    WriteLabel();
    LabTbl->appendBlank();
    LabBuf = {"Other", 0, 0, 0, 0, 0, 0, 0, 0, 1, false};
    WriteLabel();
    LabTbl->flush();
    CurLabRec = 1;
    TLabelDef editor;
    editor.show();
    EXPECT_EQ(Child<QLineEdit>(&editor, "Edit1")->text(), "Old");
    EXPECT_EQ(Measure(&editor, 7)->entryText(), "   7.000");
    EXPECT_EQ(Child<DigitBox>(&editor, "MaskEdit9")->entryText(), "2");
    Measure(&editor, 2)->setValue(22.5);
    Click(&editor, "BtnSave");
    EXPECT_EQ(CurLabRec, 1);
    EXPECT_EQ(Stored(1).LeftM, 22.5);
    EXPECT_EQ(Stored(1).HGap, 7.0);
    EXPECT_EQ(Stored(2).Name.trimmed(), "Other");
    EXPECT_EQ(LabTbl->recCount(), 2u);
}

TEST_F(LabelTest, AReadyStockFillsTheMeasuresWhichMayBeTypedInInchesAndAStockCanBeDeleted) {
    {
        TLabelDef editor;
        editor.show();
        auto* ready = Child<QComboBox>(&editor, "ComboBox1");
        ASSERT_NE(ready, nullptr);
        const int letter = ready->findText("Address 3 x 10 (US Letter)");
        ASSERT_GT(letter, 0);
        ready->setCurrentIndex(letter);
        ready->activated(letter);
        EXPECT_EQ(Child<QLineEdit>(&editor, "Edit1")->text(), "Address 3 x 10 (US Letter)");
        EXPECT_EQ(Measure(&editor, 5)->entryText(), " 189.000");
        EXPECT_EQ(Child<DigitBox>(&editor, "MaskEdit9")->entryText(), "3");

        // In inches the width shows as 2 5/8; a top margin typed as 0.75 inch is 54 points, and
        // what was only shown in inches keeps its points.
        auto* units = Child<QComboBox>(&editor, "ComboBox2");
        const int inches = units->findText("Inches");
        units->setCurrentIndex(inches);
        units->activated(inches);
        EXPECT_EQ(Measure(&editor, 5)->entryText(), "   2.625");
        Measure(&editor, 1)->setValue(0.75);
        Measure(&editor, 7)->setValue(0.125);  // 9 points, as it was
        // Back in millimetres: 0.75 inch is 19.05 mm.
        const int mm = units->findText("Millimetres");
        units->setCurrentIndex(mm);
        units->activated(mm);
        EXPECT_EQ(Measure(&editor, 1)->entryText(), "  19.050");
        Click(&editor, "BtnSave");
    }
    ASSERT_EQ(CurLabRec, 1);
    LabelRecord saved = Stored(1);
    EXPECT_DOUBLE_EQ(saved.TopM, 54.0);
    EXPECT_DOUBLE_EQ(saved.Width, 189.0);
    EXPECT_DOUBLE_EQ(saved.Height, 72.0);
    EXPECT_DOUBLE_EQ(saved.HGap, 9.0);
    EXPECT_EQ(saved.NAcross, 3);

    PackPending = false;
    TLabelDef editor;
    editor.show();
    Click(&editor, "BtnDelete");
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_TRUE(PackPending);
    LabTbl->go(1);
    EXPECT_TRUE(LabTbl->deleted());
}

}  // namespace
