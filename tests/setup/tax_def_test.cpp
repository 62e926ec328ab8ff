// The sales tax dialog over a copy of the supplied tables: what it shows of the settings record,
// what Save stores there, and a write that fails.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <memory>

#include "db/program_state.h"
#include "db/settings.h"
#include "setup/tax_def.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/temp_data_dir.h"
#include "tests/xbase/fault_env.h"
#include "ui/number_box.h"

using prompt::Kind;

namespace {

class TaxDefTest : public ::testing::Test {
protected:
    TaxDefTest() : dir_(TempDataDir::SuppliedTables) {
        ResetProgramState();
        EndProgram = [this] { ++endCalls_; };
        InitDbContext();
    }
    ~TaxDefTest() override { ResetProgramState(); }

    // Stores the settings and reads them back as the program does at start-up.
    static void Store(const SettingsValues& values) {
        SettingsRecord = values;
        ASSERT_TRUE(SaveSettings());
    }
    static SettingsValues Stored() {
        SettingsRecord = {};
        EXPECT_TRUE(LoadSettings());
        return SettingsRecord;
    }
    template <typename W>
    static W* Child(QWidget* form, const char* name) {
        W* w = form->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << "no control named " << name;
        return w;
    }
    // The checked item of a radio group, 1 up; 0 when none is.
    static int Checked(QWidget* form, const char* group) {
        for (int i = 1; i <= 3; ++i) {
            const QString name = QString(group) + "Item" + QString::number(i);
            if (Child<QRadioButton>(form, name.toUtf8().constData())->isChecked()) return i;
        }
        return 0;
    }

    TempDataDir dir_;
    ScriptedPrompts prompts_;
    int endCalls_ = 0;
};

TEST_F(TaxDefTest, TheStoredValuesAreShownAndSavedBackUnchanged) {
    SettingsValues values;
    values.ShipLine = "Shipping";
    values.TaxLine = "Sales Tax";
    values.TaxRate1 = 7.25;
    values.TaxRate2 = 0;
    values.ShipTax = 3;
    values.TaxRound = 0;
    Store(values);
    SettingsRecord = Stored();

    TTaxDef dialog;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Tax Definition");
    EXPECT_EQ(Child<QLineEdit>(&dialog, "Edit1")->text(), "Shipping");
    EXPECT_EQ(Child<QLineEdit>(&dialog, "Edit2")->text(), "Sales Tax");
    EXPECT_EQ(Child<NumberBox>(&dialog, "MaskEdit1")->entryText(), " 7.25");
    EXPECT_EQ(Child<NumberBox>(&dialog, "MaskEdit2")->entryText(), " 0.00");
    EXPECT_EQ(Checked(&dialog, "RadioGroup1"), 3);  // "When Tax on Items"
    EXPECT_EQ(Checked(&dialog, "RadioGroup2"), 0);
    Child<QAbstractButton>(&dialog, "BtnSave")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    const SettingsValues s = Stored();
    EXPECT_EQ(s.ShipLine.trimmed(), "Shipping");
    EXPECT_EQ(s.TaxLine.trimmed(), "Sales Tax");
    EXPECT_DOUBLE_EQ(s.TaxRate1, 7.25);
    EXPECT_EQ(s.ShipTax, 3);
    EXPECT_EQ(s.TaxRound, 0);  // no choice made: the 0 stays
}

TEST_F(TaxDefTest, TypedValuesAreStoredAndCancelStoresNothing) {
    TTaxDef dialog;
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClicks(Child<QLineEdit>(&dialog, "Edit1"), "  GST  ");
    QTest::keyClick(Child<QLineEdit>(&dialog, "Edit1"), Qt::Key_Return);
    auto* rate = Child<NumberBox>(&dialog, "MaskEdit1");
    ASSERT_EQ(QApplication::focusWidget(), rate);
    QTest::keyClicks(rate, "7" + QLocale().decimalPoint());
    EXPECT_EQ(rate->entryText(), " 7.00");
    QTest::keyClick(rate, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>(&dialog, "Edit2"));
    Child<QRadioButton>(&dialog, "RadioGroup1Item2")->click();
    Child<QRadioButton>(&dialog, "RadioGroup2Item3")->click();
    Child<QAbstractButton>(&dialog, "BtnSave")->click();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);

    SettingsValues s = Stored();
    EXPECT_EQ(s.ShipLine.trimmed(), "GST");
    EXPECT_DOUBLE_EQ(s.TaxRate1, 7.0);
    EXPECT_EQ(s.ShipTax, 2);
    EXPECT_EQ(s.TaxRound, 3);

    TTaxDef again;
    again.show();
    Child<QLineEdit>(&again, "Edit1")->setText("VAT");
    prompts_.expect(Kind::WarningConfirm, "Close without saving?");
    Child<QAbstractButton>(&again, "BtnCancel")->click();
    EXPECT_EQ(again.result(), QDialog::Rejected);
    EXPECT_EQ(Stored().ShipLine.trimmed(), "GST");
}

TEST_F(TaxDefTest, AFailedWriteIsToldAndTheDialogStaysOpen) {
    FaultEnv env;
    DbContext = std::make_unique<xbase::Context>(".", &env);
    SettingsRecord = Stored();

    TTaxDef dialog;
    dialog.show();
    Child<QLineEdit>(&dialog, "Edit1")->setText("GST");
    Child<NumberBox>(&dialog, "MaskEdit1")->setValue(5);
    env.failAfter(1);
    prompts_.expect(Kind::Warning, "Unable to save the tax settings");
    Child<QAbstractButton>(&dialog, "BtnSave")->click();
    EXPECT_TRUE(env.tripped());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(Child<QLineEdit>(&dialog, "Edit1")->text(), "GST");  // kept as typed
    EXPECT_EQ(SettingsRecord.ShipLine.trimmed(), "");              // the settings in use
    EXPECT_EQ(endCalls_, 0);

    env.failAfter(0);
    EXPECT_EQ(Stored().ShipLine.trimmed(), "");
    Child<QAbstractButton>(&dialog, "BtnSave")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(Stored().ShipLine.trimmed(), "GST");
    InitDbContext();  // the context must not outlive `env`
}

}  // namespace
