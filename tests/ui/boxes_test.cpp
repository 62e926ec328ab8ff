#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "tests/support/default_locale.h"
#include "tests/support/scripted_prompts.h"
#include "ui/date_box.h"
#include "ui/enter_as_tab.h"
#include "ui/form_parts.h"
#include "ui/number_box.h"

using prompt::Kind;
using Red = NumberBox::RedNegative;

// Shows texts in failure messages as text rather than as bytes.
void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

bool isRed(const QWidget* box) {
    return box->palette().color(QPalette::Text) == QColor(Qt::red);
}

// A window holding the boxes under test in tab order, shown and active so focus moves for real.
class Boxes : public ::testing::Test {
protected:
    template <typename Box, typename... Args>
    Box* add(Args&&... args) {
        auto* box = new Box(std::forward<Args>(args)..., &window_);
        window_.layout()->addWidget(box);
        return box;
    }
    void SetUp() override { window_.setLayout(new QVBoxLayout); }
    void showWindow() {
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }
    static void enter(QWidget* box) {
        box->setFocus();
        ASSERT_TRUE(box->hasFocus());
    }
    static void leave(QWidget* box) { QTest::keyClick(box, Qt::Key_Tab); }

    QWidget window_;
};

}  // namespace

TEST_F(Boxes, AMinusBeforeAZeroStaysDirectlyBeforeTheNumberInRed) {
    auto* amount = add<NumberBox>("%10.2f", Red::OnEveryKey);
    auto* next = add<EnterAsTabEdit>();
    showWindow();
    enter(amount);
    QTest::keyClick(amount, '-');
    EXPECT_TRUE(isRed(amount));  // coloured on the key already
    QTest::keyClick(amount, '0');
    EXPECT_EQ(amount->entryText(), "-0     .  ");
    leave(amount);
    EXPECT_TRUE(next->hasFocus());
    EXPECT_EQ(amount->entryText(), "     -0.00");
    EXPECT_EQ(amount->text(), "     -0.00") << "a number box shows its empty places blank";
    EXPECT_TRUE(isRed(amount));
    EXPECT_EQ(amount->value(), 0.0);
}

TEST_F(Boxes, ANumberBoxClickedIntoTakesTheTypedDigitsAsItsValue) {
    auto* quantity = add<NumberBox>("%10.2f", Red::OnEveryKey);
    auto* next = add<EnterAsTabEdit>();
    showWindow();
    const int width = quantity->width();
    for (int x : {2, width / 3, width / 2, width - 4}) {
        quantity->setValue(45.5);
        next->setFocus();
        QTest::mouseClick(quantity, Qt::LeftButton, {}, QPoint(x, quantity->height() / 2));
        ASSERT_TRUE(quantity->hasFocus());
        QTest::keyClicks(quantity, "7.5");
        leave(quantity);
        EXPECT_EQ(quantity->entryText(), "      7.50") << "clicked at " << x;
    }
    // A click into a box that has the focus already places the caret as usual.
    next->setFocus();
    QTest::mouseClick(quantity, Qt::LeftButton, {}, QPoint(2, quantity->height() / 2));
    QTest::mouseClick(quantity, Qt::LeftButton, {}, QPoint(2, quantity->height() / 2));
    EXPECT_FALSE(quantity->hasSelectedText());
}

TEST_F(Boxes, TheSeparatorMovesTheTypedDigitsBeforeItAndTheCaretPastIt) {
    auto* price = add<NumberBox>("%8.2f", Red::OnEveryKey);
    add<EnterAsTabEdit>();
    price->setValue(99.99);
    showWindow();
    enter(price);
    QTest::keyClicks(price, "12");
    EXPECT_EQ(price->entryText(), "12   .  ");  // the whole old value was replaced
    QTest::keyClick(price, '.');
    EXPECT_EQ(price->entryText(), "   12.00");
    EXPECT_EQ(price->cursorPosition(), 6);
    QTest::keyClick(price, '5');
    EXPECT_EQ(price->entryText(), "   12.50");
    leave(price);
    EXPECT_EQ(price->entryText(), "   12.50");
    bool ok = false;
    EXPECT_EQ(price->value(&ok), 12.5);
    EXPECT_TRUE(ok);
    EXPECT_FALSE(isRed(price));
}

TEST_F(Boxes, TypingPastAFullIntegerPartGoesOnAfterTheSeparator) {
    auto* percent = add<NumberBox>("%5.2f", Red::OnEveryKey);
    showWindow();
    enter(percent);
    QTest::keyClicks(percent, "1234");
    EXPECT_EQ(percent->entryText(), "12.34");
    QTest::keyClicks(percent, "5a.");  // nothing is left to overwrite, nothing else is taken
    QTest::keyClick(percent, Qt::Key_Home);
    QTest::keyClicks(percent, "x-");
    EXPECT_EQ(percent->entryText(), "-2.34");
    QTest::keyClick(percent, Qt::Key_End);
    QTest::keyClick(percent, Qt::Key_Backspace);
    QTest::keyClick(percent, Qt::Key_Backspace);
    QTest::keyClick(percent, Qt::Key_Backspace);
    EXPECT_EQ(percent->entryText(), "- .  ");
    EXPECT_EQ(percent->cursorPosition(), 1);
}

TEST_F(Boxes, OnlyTheSeparatorLeftBringsTheFloatingPointMessageAndKeepsTheText) {
    auto* price = add<NumberBox>("%8.2f", Red::OnEveryKey);
    auto* next = add<EnterAsTabEdit>();
    showWindow();
    enter(price);
    QTest::keyClick(price, Qt::Key_Delete);  // blanks the whole selected text
    EXPECT_EQ(price->text(), "     .  ");
    ScriptedPrompts script;
    script.expect(Kind::Warning, "'.' is not a valid floating point value");
    leave(price);
    EXPECT_EQ(price->entryText(), "     .  ");
    EXPECT_TRUE(next->hasFocus());
    bool ok = true;
    price->value(&ok);
    EXPECT_FALSE(ok);
}

TEST_F(Boxes, RedComesOnLeavingOnlyOrNeverAsTheBoxIsMade) {
    auto* margin = add<NumberBox>("%5.2f", Red::OnLeave);
    auto* measure = add<NumberBox>("%8.3f", Red::Never);
    add<EnterAsTabEdit>();
    showWindow();
    enter(margin);
    QTest::keyClicks(margin, "-1");
    EXPECT_FALSE(isRed(margin));
    leave(margin);
    EXPECT_TRUE(isRed(margin));
    EXPECT_EQ(margin->entryText(), "-1.00");
    ASSERT_TRUE(measure->hasFocus());
    QTest::keyClicks(measure, "-1");
    leave(measure);
    EXPECT_EQ(measure->entryText(), "  -1.000");
    EXPECT_FALSE(isRed(measure));
}

TEST_F(Boxes, SetValueShowsTheFormatAndWidensForAValueTooBig) {
    auto* tax = add<NumberBox>("%5.2f", Red::OnEveryKey);
    showWindow();
    tax->setValue(-2);
    EXPECT_EQ(tax->entryText(), "-2.00");
    EXPECT_TRUE(isRed(tax));
    tax->setValue(123.456);
    EXPECT_EQ(tax->entryText(), "123.46");
    EXPECT_FALSE(isRed(tax));
    tax->selectAll();
    QTest::keyClicks(tax, "7.");
    EXPECT_EQ(tax->entryText(), "  7.00");
    EXPECT_EQ(tax->value(), 7.0);
}

TEST_F(Boxes, PasteTypesAndOtherEditsLeaveTheTextAlone) {
    auto* price = add<NumberBox>("%8.2f", Red::OnEveryKey);
    showWindow();
    enter(price);
    QApplication::clipboard()->setText("12.5");
    QTest::keyClick(price, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(price->entryText(), "   12.50");
    price->insert("9999");  // as the context menu's Paste would
    EXPECT_EQ(price->text(), "   12.50");
    QTest::keyClick(price, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(price, Qt::Key_K, Qt::ControlModifier);
    price->undo();
    EXPECT_EQ(price->text(), "   12.50");
    EXPECT_EQ(price->entryText(), "   12.50");
}

TEST(EnterAsTab, EnterMovesToTheNextControlAndNeverPressesTheDefaultButton) {
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* name = new EnterAsTabEdit(&dialog);
    auto* plain = new QLineEdit(&dialog);
    EnterAsTab(plain);
    auto* amount = new NumberBox("%10.2f", Red::OnEveryKey, &dialog);
    auto* ok = new QPushButton("OK", &dialog);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    for (QWidget* w : std::initializer_list<QWidget*>{name, plain, amount, ok})
        layout->addWidget(w);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    name->setFocus();
    QTest::keyClicks(name, "Smith");
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_TRUE(plain->hasFocus());
    QTest::keyClick(plain, Qt::Key_Enter);
    EXPECT_TRUE(amount->hasFocus());
    QTest::keyClicks(amount, "3");
    QTest::keyClick(amount, Qt::Key_Return);
    EXPECT_TRUE(ok->hasFocus());
    EXPECT_EQ(amount->entryText(), "      3.00");  // left, so reformatted
    EXPECT_EQ(name->text(), "Smith");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
}

TEST_F(Boxes, AnInvalidDateKeepsTheFocusInItsBox) {
    auto* date = add<DateBox>();
    auto* next = add<EnterAsTabEdit>();
    showWindow();
    EXPECT_EQ(date->text(), "__/__/__");
    enter(date);
    QTest::keyClicks(date, "134526");
    EXPECT_EQ(date->entryText(), "13/45/26");
    {
        ScriptedPrompts script;
        script.expect(Kind::Warning, "Invalid Date Entered\nPlease enter the date as MM/DD/YY.");
        leave(date);
    }
    EXPECT_TRUE(date->hasFocus());
    EXPECT_FALSE(next->hasFocus());
    EXPECT_EQ(date->entryText(), "13/45/26");
    bool ok = true;
    date->value(&ok);
    EXPECT_FALSE(ok);

    QTest::keyClicks(date, "3/1/26");  // the text is selected again: typing replaces it
    EXPECT_EQ(date->entryText(), "3 /1 /26");
    leave(date);
    EXPECT_TRUE(next->hasFocus());
    EXPECT_EQ(date->entryText(), "03/01/26");
    EXPECT_EQ(date->value(&ok), DateValue(QDate(2026, 3, 1)));
    EXPECT_TRUE(ok);
}

TEST_F(Boxes, AnInvalidDateSaysTheFormatOfTheLocale) {
    ScopedDefaultLocale british(QLocale(QLocale::English, QLocale::UnitedKingdom));
    auto* date = add<DateBox>();
    add<EnterAsTabEdit>();
    showWindow();
    enter(date);
    QTest::keyClicks(date, "123125");  // the last day of 2025 as it is written in the US
    ScriptedPrompts script;
    script.expect(Kind::Warning, "Invalid Date Entered\nPlease enter the date as DD/MM/YY.");
    leave(date);
    EXPECT_EQ(script.pending(), 0);
}

TEST_F(Boxes, ACharacterTheTablesCannotHoldIsRefusedWhereItIsTypedAndNamed) {
    QLineEdit* name = NamedEdit(&window_, "Name", 20);
    window_.layout()->addWidget(name);
    QPlainTextEdit* memo = NamedMemo(&window_, "Memo");
    window_.layout()->addWidget(memo);
    showWindow();
    auto type = [](QWidget* box, const QString& text) {
        for (QChar c : text) QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, c, {});
    };
    enter(name);
    ScriptedPrompts script;
    script.expect(Kind::Warning, QString::fromUtf8("The character \"\u0141\" (U+0141) cannot be "
                                                   "stored"));
    type(name, QString::fromUtf8("\u0141ukasz"));
    EXPECT_EQ(name->text(), "ukasz");
    EXPECT_EQ(script.pending(), 0);
    type(name, QString::fromUtf8(" \u20ac 5"));
    EXPECT_EQ(name->text(), QString::fromUtf8("ukasz \u20ac 5")) << "the euro sign is stored";

    script.expect(Kind::Warning, QString::fromUtf8("\"\u0142\" (U+0142)"));
    enter(memo);
    type(memo, "Wa");
    memo->insertPlainText(QString::fromUtf8("\u0142\u0119sa"));  // as a paste puts it in
    EXPECT_EQ(memo->toPlainText(), "Wa");
    EXPECT_EQ(script.pending(), 0);
    EXPECT_EQ(script.seen().size(), 2);
}

TEST_F(Boxes, TwoBadDatesInARowDoNotPassTheFocusBackAndForth) {
    auto* first = add<DateBox>();
    auto* second = add<DateBox>();
    showWindow();
    enter(first);
    ScriptedPrompts script;
    script.expect(Kind::Warning, "Invalid Date Entered");
    leave(first);
    EXPECT_TRUE(first->hasFocus());
    EXPECT_FALSE(second->hasFocus());
    EXPECT_EQ(script.seen().size(), 1);
}

TEST_F(Boxes, ADateBoxShowsItsValueAndTakesTheCenturyWindow) {
    auto* date = add<DateBox>();
    add<EnterAsTabEdit>();
    showWindow();
    date->setValue(DateValue(QDateTime(QDate(2026, 12, 7), QTime(9, 30))));
    EXPECT_EQ(date->text(), "12/07/26");
    enter(date);
    QTest::keyClicks(date, "02/29/00");
    leave(date);
    EXPECT_EQ(date->value(), DateValue(QDate(2000, 2, 29)));
    enter(date);
    QTest::keyClicks(date, "1a2/ 5/");  // letters are not taken, a blank day is
    EXPECT_EQ(date->entryText(), "12/ 5/  ");
}
