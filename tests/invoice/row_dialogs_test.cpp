// The line item and payment dialogs and the payment list, driven as the user drives them: how
// each closes, the row it gives back, the line total and its colour, and the payment list
// changing and removing rows of the open invoice.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <functional>
#include <vector>

#include "db/program_state.h"
#include "invoice/item_def.h"
#include "invoice/pick_pmt.h"
#include "invoice/pmt_def.h"
#include "tests/support/modal.h"
#include "tests/support/scripted_prompts.h"
#include "ui/date_box.h"
#include "ui/number_box.h"

using prompt::Kind;

namespace {

template <typename W>
W* Child(QWidget* form, const char* name) {
    W* w = form->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << "no control named " << name;
    return w;
}

void Click(QWidget* form, const char* button) {
    if (auto* b = Child<QAbstractButton>(form, button)) b->click();
}

bool IsRed(QWidget* box) {
    return box->palette().color(QPalette::Text) == QColor(Qt::red);
}

ItemRow Item(const QString& qty, const QString& price) {
    return {"P1", qty, price, "t", "f", "Widget", "blue", "LIC", "memo text"};
}

class RowDialogsTest : public ::testing::Test {
protected:
    RowDialogsTest() {
        SettingsRecord = {};
        ItemResult = PmtResult = 0;
        PmtRows.clear();
    }
    ~RowDialogsTest() override {
        SettingsRecord = {};
        PmtRows.clear();
    }
    // Shows the dialog as active window, so that focus moves as it does for the user.
    static void ShowActive(QWidget* dialog) {
        dialog->show();
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    }

    ScriptedPrompts prompts_;
};

// Closes a dialog by each of its buttons and by its close box; gives the result after each.
template <typename Dialog>
std::vector<int> ResultsOfClosing(const std::function<void(Dialog&)>& fill, const int& result) {
    std::vector<int> results;
    for (const char* button : {"BtnSave", "BtnDelete", "BtnCancel", ""}) {
        Dialog dialog;
        fill(dialog);
        dialog.show();
        *button ? Click(&dialog, button) : void(dialog.close());
        EXPECT_FALSE(dialog.isVisible());
        results.push_back(result);
    }
    return results;
}

TEST_F(RowDialogsTest, SaveDeleteCancelAndTheCloseBoxGiveTheirResults) {
    const std::vector<int> want = {1, 2, 3, 3};
    EXPECT_EQ(
        ResultsOfClosing<TItemDef>([](TItemDef& d) { d.setRow(Item("1.00", "5.00")); }, ItemResult),
        want);
    const PmtRow row = {"03/14/26", "     25.50"};
    EXPECT_EQ(ResultsOfClosing<TPmtDef>([&](TPmtDef& d) { d.setPayment(row, true); }, PmtResult),
              want);

    TPmtDef adding;
    adding.setPayment(row, false);
    EXPECT_FALSE(Child<QPushButton>(&adding, "BtnDelete")->isEnabled());
    EXPECT_EQ(adding.payment(), row);
}

TEST_F(RowDialogsTest, ANewItemTotalsItsPriceAndTheBoxesComeBackInTheRow) {
    SettingsRecord.ShipLine = "  GST   ";
    SettingsRecord.TaxLine = "Freight ";
    TItemDef dialog;
    dialog.setRow(Item("     1.00", "   12.34"));
    ShowActive(&dialog);
    EXPECT_EQ(Child<NumberBox>(&dialog, "MaskEdit3")->entryText(), "     12.34");
    EXPECT_EQ(Child<QCheckBox>(&dialog, "CheckBox1")->text(), "GST");
    EXPECT_EQ(Child<QCheckBox>(&dialog, "CheckBox2")->text(), "Freight");
    EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>(&dialog, "Edit2"));

    // The product is shown only; the total takes no typing.
    auto* product = Child<QLineEdit>(&dialog, "Edit1");
    EXPECT_TRUE(product->isReadOnly());
    auto* total = Child<NumberBox>(&dialog, "MaskEdit3");
    total->setFocus();
    QTest::keyClicks(total, "99");
    EXPECT_EQ(total->entryText(), "     12.34");

    auto* quantity = Child<NumberBox>(&dialog, "MaskEdit2");
    quantity->setFocus();
    QTest::keyClicks(quantity, "3");
    QTest::keyClick(quantity, Qt::Key_Return);  // leaves the box
    EXPECT_EQ(quantity->entryText(), "     3.00");
    EXPECT_EQ(total->entryText(), "     37.02");
    Child<QCheckBox>(&dialog, "CheckBox2")->setChecked(true);
    Click(&dialog, "BtnSave");

    ASSERT_EQ(ItemResult, 1);
    const ItemRow want = {"P1",     "     3.00", "   12.34", "t",        "t",
                          "Widget", "blue",      "LIC",      "memo text"};
    EXPECT_EQ(dialog.row(), want);
}

TEST_F(RowDialogsTest, EnterWalksTheItemAsItIsReadToSaveAndALoadedTextTakesTyping) {
    ItemRow loaded = Item("     2.00", "    4.00");
    loaded[kItemDesc] = QString("Widget").leftJustified(27);  // as read from ITM5
    loaded[kItemComment] = QString("blue").leftJustified(27);
    TItemDef dialog;
    dialog.setRow(loaded);
    ShowActive(&dialog);
    auto* description = Child<QLineEdit>(&dialog, "Edit2");
    EXPECT_EQ(description->text(), "Widget");
    description->setFocus();
    description->end(false);
    QTest::keyClicks(description, " XL");
    QStringList walked;
    QWidget* box = description;
    while (walked.size() < 7 && box && box->objectName() != "BtnSave") {
        QTest::keyClick(box, Qt::Key_Return);
        box = QApplication::focusWidget();
        walked << (box ? box->objectName() : QString());
    }
    EXPECT_EQ(walked, QStringList({"Edit3", "MaskEdit1", "CheckBox1", "MaskEdit2", "CheckBox2",
                                   "BtnSave"}));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(ItemResult, 1);
    EXPECT_EQ(dialog.row()[kItemDesc], "Widget XL");
    EXPECT_EQ(dialog.row()[kItemComment], "blue");
}

TEST_F(RowDialogsTest, ANegativeLineTotalIsRoundedAwayFromZeroAndRed) {
    TItemDef dialog;
    dialog.setRow(Item("0.50", "-2.01"));  // -1.005
    dialog.show();
    auto* total = Child<NumberBox>(&dialog, "MaskEdit3");
    EXPECT_EQ(total->entryText(), "     -1.01");
    EXPECT_TRUE(IsRed(total));
    EXPECT_TRUE(IsRed(Child<NumberBox>(&dialog, "MaskEdit1")));

    dialog.setRow(Item("0.50", "2.01"));
    EXPECT_EQ(total->entryText(), "      1.01");
    EXPECT_FALSE(IsRed(total));
}

TEST_F(RowDialogsTest, AnInvalidDateKeepsTheFocusAndANegativeAmountIsRed) {
    TPmtDef dialog;
    dialog.setPayment({"03/14/26", "      0.00"}, false);
    ShowActive(&dialog);
    auto* date = Child<DateBox>(&dialog, "MaskEdit1");
    EXPECT_EQ(QApplication::focusWidget(), date);
    QTest::keyClicks(date, "13/45/26");
    prompts_.expect(Kind::Warning, "Invalid Date Entered");
    QTest::keyClick(date, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), date);
    Click(&dialog, "BtnSave");
    EXPECT_TRUE(dialog.isVisible());  // an invalid date is never saved

    QTest::keyClicks(date, "3/1/26");
    QTest::keyClick(date, Qt::Key_Tab);
    auto* amount = Child<NumberBox>(&dialog, "MaskEdit2");
    EXPECT_EQ(QApplication::focusWidget(), amount);
    QTest::keyClicks(amount, "-7.5");
    EXPECT_TRUE(IsRed(amount));
    QTest::keyClick(amount, Qt::Key_Tab);
    Click(&dialog, "BtnSave");
    EXPECT_EQ(PmtResult, 1);
    EXPECT_EQ(dialog.payment(), PmtRow({"03/01/26", "     -7.50"}));
}

class PaymentListTest : public RowDialogsTest {
protected:
    void SetUp() override {
        PmtRows = {
            {"01/05/26", "     10.00"}, {"02/05/26", "     20.00"}, {"03/05/26", "     30.00"}};
    }
    static void SelectRow(TPickPmt* list, int row) {
        Child<QTableWidget>(list, "StringGrid1")->setCurrentCell(row, 0);
    }
    // Acts on the payment dialog the list is about to open; should the list open none, the list
    // itself is closed, so the test fails instead of waiting.
    static void OnPaymentDialog(std::function<void(QWidget*)> action) {
        onNextModal([action](QWidget* shown) {
            if (shown->objectName() == "TPmtDef") return action(shown);
            ADD_FAILURE() << "the payment dialog did not open";
            static_cast<QDialog*>(shown)->reject();
        });
    }
};

TEST_F(PaymentListTest, ChangingAPaymentWritesItsRowBack) {
    TPickPmt list;
    onNextModal([](QWidget* shown) {
        OnPaymentDialog([](QWidget* dialog) {
            EXPECT_EQ(Child<DateBox>(dialog, "MaskEdit1")->entryText(), "02/05/26");
            EXPECT_TRUE(Child<QPushButton>(dialog, "BtnDelete")->isEnabled());
            Child<NumberBox>(dialog, "MaskEdit2")->setValue(22.5);
            Click(dialog, "BtnSave");
        });
        SelectRow(static_cast<TPickPmt*>(shown), 1);
        Click(shown, "BtnSelect");
    });
    list.exec();
    EXPECT_EQ(PmtRows.size(), 3u);
    EXPECT_EQ(PmtRows[1], PmtRow({"02/05/26", "     22.50"}));
    EXPECT_EQ(PmtRows[0][kPmtAmount], "     10.00");
}

TEST_F(PaymentListTest, RemovingAPaymentMovesTheLaterOnesUpAndCancelChangesNothing) {
    {
        TPickPmt list;
        onNextModal([](QWidget* shown) {
            OnPaymentDialog([](QWidget* dialog) { Click(dialog, "BtnDelete"); });
            auto* grid = Child<QTableWidget>(shown, "StringGrid1");
            EXPECT_EQ(grid->rowCount(), 3);
            EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), "Date");
            EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "Amount");
            // A double click on the first row opens the payment.
            const QRect cell = grid->visualItemRect(grid->item(0, 0));
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        });
        list.exec();
    }
    ASSERT_EQ(PmtRows.size(), 2u);
    EXPECT_EQ(PmtRows[0][kPmtDate], "02/05/26");
    EXPECT_EQ(PmtRows[1][kPmtDate], "03/05/26");

    const auto before = PmtRows;
    TPickPmt list;
    onNextModal([](QWidget* shown) {
        OnPaymentDialog([](QWidget* dialog) { Click(dialog, "BtnCancel"); });
        Click(shown, "BtnSelect");
    });
    EXPECT_EQ(list.exec(), QDialog::Accepted);  // the list closes after the dialog
    EXPECT_EQ(PmtRows, before);
    onNextModal([](QWidget* shown) { Click(shown, "BtnCancel"); });
    EXPECT_EQ(list.exec(), QDialog::Rejected);
    EXPECT_EQ(PmtRows, before);
}

TEST_F(PaymentListTest, TwelvePaymentsWidenTheGridBySixteenPixels) {
    TPickPmt list;
    list.show();
    const int narrow = Child<QTableWidget>(&list, "StringGrid1")->width();
    list.hide();
    PmtRows.resize(12, {"01/05/26", "      1.00"});
    list.show();
    auto* grid = Child<QTableWidget>(&list, "StringGrid1");
    EXPECT_EQ(grid->width(), narrow + 16);
    EXPECT_EQ(grid->rowCount(), 12);
    EXPECT_GE(list.width(), grid->geometry().right() + 16);
}

}  // namespace
