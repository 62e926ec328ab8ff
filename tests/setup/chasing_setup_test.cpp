// The terms and reminders dialog over a copy of the supplied tables: the typed values read by
// plain functions, what the dialog shows of a new business, what Save stores, and a write that
// fails part way leaving both tables as they were.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <memory>

#include "db/change.h"
#include "db/chasing_tables.h"
#include "db/program_state.h"
#include "setup/chasing_setup.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/temp_data_dir.h"
#include "tests/xbase/fault_env.h"
#include "ui/number_box.h"

using prompt::Kind;

namespace {

TEST(ChasingValuesTest, TermsAreBlankOrWholeDaysAndEachCustomerIsGivenOnce) {
    PaymentTerms terms;
    EXPECT_EQ(TakeTerms(" 14 ", {{"3", "0"}, {"", ""}, {" 12 ", "45"}}, &terms), "");
    EXPECT_EQ(terms.business, 14);
    EXPECT_EQ(terms.customers, (QHash<int, int>{{3, 0}, {12, 45}}));
    EXPECT_EQ(TakeTerms("", {}, &terms), "");
    EXPECT_EQ(terms.business, std::nullopt);

    terms.business = 7;
    EXPECT_EQ(TakeTerms("1000", {}, &terms),
              "Terms (days) must be a number from 0 to 999, or blank for none.");
    EXPECT_EQ(TakeTerms("-1", {}, &terms).left(12), "Terms (days)");
    EXPECT_EQ(TakeTerms("30", {{"3", ""}}, &terms),
              "Customer terms, row 1: give a customer number and terms from 0 to 999 days.");
    EXPECT_EQ(TakeTerms("30", {{"3", "10"}, {"3", "20"}}, &terms),
              "Customer terms, row 2: customer 3 is given twice.");
    EXPECT_EQ(terms.business, 7);  // nothing taken from wrong values
}

TEST(ChasingValuesTest, LevelsUsedRiseInDaysAndTheirFeesAreNotNegative) {
    std::vector<ReminderLevel> levels;
    EXPECT_EQ(TakeLevels({{"5", 0, " First "}, {"", 9, "unused"}, {"40", 2.5, "Last"}}, &levels),
              "");
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_EQ(levels[0].days, 5);
    EXPECT_EQ(levels[0].letter, "First");
    EXPECT_EQ(levels[1].days, 40);
    EXPECT_EQ(levels[1].fee, 250);
    EXPECT_EQ(TakeLevels({{"30", 0, ""}, {"30", 0, ""}}, &levels),
              "Level 2: the days past due must be a number from 31 to 9999, more than those of "
              "the level before.");
    EXPECT_EQ(TakeLevels({{"0", 0, ""}}, &levels),
              "Level 1: the days past due must be a number from 1 to 9999.");
    EXPECT_EQ(TakeLevels({{"10", -1, ""}}, &levels), "Level 1: the fee cannot be negative.");
    EXPECT_EQ(levels.size(), 2u);
}

class ChasingSetupTest : public ::testing::Test {
protected:
    ChasingSetupTest() : dir_(TempDataDir::SuppliedTables) {
        ResetProgramState();
        EndProgram = [this] { ++endCalls_; };
        InitDbContext();
    }
    ~ChasingSetupTest() override { ResetProgramState(); }

    template <typename W>
    static W* Child(QWidget* form, const char* name) {
        W* w = form->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << "no control named " << name;
        return w;
    }
    static void Type(QTableWidget* grid, int row, int column, const QString& text) {
        grid->setItem(row, column, new QTableWidgetItem(text));
    }

    TempDataDir dir_;
    ScriptedPrompts prompts_;
    int endCalls_ = 0;
};

TEST_F(ChasingSetupTest, ANewBusinessShowsThirtyDaysAndTheReadyLevelsAndSaveStoresWhatIsTyped) {
    TChasing dialog;
    dialog.show();
    EXPECT_EQ(Child<QLineEdit>(&dialog, "Edit1")->text(), "30");
    EXPECT_EQ(Child<QLineEdit>(&dialog, "EditDays1")->text(), "1");
    EXPECT_EQ(Child<QLineEdit>(&dialog, "EditDays3")->text(), "60");
    EXPECT_TRUE(Child<QPlainTextEdit>(&dialog, "MemoLetter2")->toPlainText().contains("{overdue}"));
    auto* grid = Child<QTableWidget>(&dialog, "StringGrid1");
    ASSERT_EQ(grid->rowCount(), 1);  // the blank row to type into

    Child<QLineEdit>(&dialog, "Edit1")->setText("14");
    Type(grid, 0, 0, "3");
    Type(grid, 0, 1, "0");
    EXPECT_EQ(grid->rowCount(), 2);  // a new blank row follows the one typed
    Child<QLineEdit>(&dialog, "EditDays3")->clear();
    Child<NumberBox>(&dialog, "MaskFee2")->setValue(7.5);
    Child<QAbstractButton>(&dialog, "BtnSave")->click();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(TermsRecord.business, 14);

    PaymentTerms terms;
    std::vector<ReminderLevel> levels;
    ASSERT_TRUE(ReadPaymentTerms(&terms));
    ASSERT_TRUE(ReadReminderLevels(&levels));
    EXPECT_EQ(terms.business, 14);
    EXPECT_EQ(terms.DaysFor(3), 0);
    EXPECT_EQ(terms.DaysFor(4), 14);
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_EQ(levels[1].days, 30);
    EXPECT_EQ(levels[1].fee, 750);
    // Memos keep their lines ended by a carriage return and a line feed.
    EXPECT_EQ(QString(levels[1].letter).remove(u'\r'), ReadyReminderLevels()[1].letter);

    // A wrong value is told and nothing is stored.
    TChasing again;
    again.show();
    EXPECT_EQ(Child<QLineEdit>(&again, "EditDays3")->text(), "");
    Child<QLineEdit>(&again, "Edit1")->setText("");
    Child<QLineEdit>(&again, "EditDays2")->setText("1");
    prompts_.expect(Kind::Information, "Level 2: the days past due must be a number from 2");
    Child<QAbstractButton>(&again, "BtnSave")->click();
    EXPECT_TRUE(again.isVisible());
    ASSERT_TRUE(ReadPaymentTerms(&terms));
    EXPECT_EQ(terms.business, 14);
}

TEST_F(ChasingSetupTest, AWriteThatFailsAtAnyStepLeavesTermsAndLevelsAsTheyWere) {
    FaultEnv env;
    DbContext = std::make_unique<xbase::Context>(".", &env);
    QStringList told;
    const prompt::Handler scripted = prompt::setHandler([&told](const prompt::Request& r) {
        told << r.text;
        return prompt::Reply{true, {}};
    });
    TChasing dialog;
    dialog.show();
    // Each step of the save fails in turn, until one save gets through.
    int failures = 0;
    for (int k = 1; k < 200 && dialog.isVisible(); ++k) {
        Child<QLineEdit>(&dialog, "Edit1")->setText("");
        Child<QLineEdit>(&dialog, "EditDays1")->setText("5");
        env.failAfter(k);
        Child<QAbstractButton>(&dialog, "BtnSave")->click();
        const bool tripped = env.tripped();
        env.failAfter(0);
        // Once the change is durable a fault in what follows it changes nothing.
        if (!tripped || !dialog.isVisible()) break;
        ++failures;
        EXPECT_TRUE(told.last().startsWith("Unable to save the terms and reminders")) << k;
        // The data files opened afresh, as the program does after a failure it could not undo.
        bool undone = false;
        QString error;
        ASSERT_TRUE(UndoUnfinishedChange(&undone, &error)) << error.toStdString();
        PaymentTerms terms;
        std::vector<ReminderLevel> levels;
        ASSERT_TRUE(ReadPaymentTerms(&terms));
        ASSERT_TRUE(ReadReminderLevels(&levels));
        EXPECT_EQ(terms.business, kDefaultTermsDays) << k;
        EXPECT_EQ(levels.at(0).days, 1) << k;
        EXPECT_EQ(TermsRecord.business, kDefaultTermsDays) << k;
    }
    prompt::setHandler(scripted);
    EXPECT_GT(failures, 2);
    EXPECT_EQ(dialog.result(), QDialog::Accepted) << told.join('\n').toStdString();
    EXPECT_EQ(TermsRecord.business, std::nullopt);
    PaymentTerms terms;
    ASSERT_TRUE(ReadPaymentTerms(&terms));
    EXPECT_EQ(terms.business, std::nullopt);
    EXPECT_EQ(endCalls_, 0);
}

}  // namespace
