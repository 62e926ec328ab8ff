// Reminder letters over the hand-made business of sales_data_fixture.h: which level is due, the
// letter's text, escalation across runs with the fee invoices they charge, an invoice paid in
// full dropping out, and the action of the Reports menu recording nothing when cancelled.
#include <gtest/gtest.h>

#include "db/chasing_tables.h"
#include "db/open_tables.h"
#include "invoice/invoice_store.h"
#include "reports/aging_report.h"
#include "reports/reminder_letters.h"
#include "reports/report_actions.h"
#include "tests/reports/report_action_steps.h"
#include "tests/reports/sales_data_fixture.h"
#include "tests/support/scripted_prompts.h"

using namespace reports;

namespace {

TEST(ReminderLevelTest, EachRunSendsTheNextLevelOnceItsDaysAndTheSpaceBeforeItHavePassed) {
    const std::vector<ReminderLevel> levels = {{1, 0, {}}, {30, 0, {}}, {60, 0, {}}};
    EXPECT_EQ(NextReminderLevel(0, 0, 0, levels), 0);  // due today: not yet late
    EXPECT_EQ(NextReminderLevel(1, 0, 0, levels), 1);
    EXPECT_EQ(NextReminderLevel(75, 0, 0, levels), 1);  // one level a run, however late
    EXPECT_EQ(NextReminderLevel(29, 1, 28, levels), 0);
    EXPECT_EQ(NextReminderLevel(30, 1, 29, levels), 2);
    // Late already when first reminded: the second level waits 29 days after the first.
    EXPECT_EQ(NextReminderLevel(400, 1, 0, levels), 0);
    EXPECT_EQ(NextReminderLevel(400, 1, 28, levels), 0);
    EXPECT_EQ(NextReminderLevel(400, 1, 29, levels), 2);
    EXPECT_EQ(NextReminderLevel(60, 2, 29, levels), 0);
    EXPECT_EQ(NextReminderLevel(60, 2, 30, levels), 3);
    EXPECT_EQ(NextReminderLevel(400, 3, 400, levels), 0);  // past the last level
    EXPECT_EQ(NextReminderLevel(10, 0, 0, {}), 0);
}

TEST(ReminderLevelTest, TheLetterTextTakesTheNameTheAmountAndTheTerms) {
    const QString text = "Dear {name}, please pay {overdue} ({terms}). {name}";
    EXPECT_EQ(FillReminderText(text, "Ann Lee", 123456, 30),
              "Dear Ann Lee, please pay 1234.56 (net 30 days). Ann Lee");
    EXPECT_EQ(FillReminderText("{terms}", "", 0, 0), "due on receipt");
    EXPECT_EQ(FillReminderText("{terms}", "", 0, std::nullopt), "due on receipt");
}

class ReminderRunTest : public ReportActionSteps<SalesDataTest> {
protected:
    static void Levels(const std::vector<ReminderLevel>& levels) {
        QString error;
        ASSERT_TRUE(WriteChasingSettings(PaymentTerms(), levels, &error)) << error.toStdString();
    }
    // Each letter of a run as "customer level fee: invoice/days past ...".
    static QStringList Letters(const ReminderRun& run) {
        QStringList letters;
        for (const ReminderLetter& letter : run.letters) {
            QString text =
                QString("%1 L%2 fee %3:").arg(letter.customer).arg(letter.level).arg(letter.fee);
            for (const ReminderRow& row : letter.rows)
                text += QString(" %1/%2").arg(row.number).arg(row.daysPast);
            letters << text;
        }
        return letters;
    }
    static ReminderRun RunAndRecord(const char* day) {
        ReminderRun run;
        EXPECT_TRUE(FindReminders(Day(day), &run));
        QString error;
        EXPECT_TRUE(RecordReminderRun(run, &error)) << error.toStdString();
        return run;
    }
    // Every invoice as "number customer date due".
    static QStringList Invoices() {
        QStringList invoices;
        EXPECT_TRUE(OpenInvoices());
        for (int rc = InvTbl->top(); rc == xbase::kFound; rc = InvTbl->skip()) {
            ReadInvoice();
            invoices << QString("%1 %2 %3 %4")
                            .arg(InvBuf.IvNo)
                            .arg(InvBuf.CuNo)
                            .arg(DateToText(InvBuf.IDate))
                            .arg(InvBuf.Due, 0, 'f', 2);
        }
        CloseReportTables();
        return invoices;
    }
};

TEST_F(ReminderRunTest, ThreeRunsEscalateChargeTheirFeesAndPassOverWhatIsPaid) {
    Levels({{1, 0, "First {name}"}, {30, 500, "Second"}, {60, 1000, "Last"}});
    // 04/05/25: invoice 5 (due 03/29) and invoice 1 (due 04/02) are late; invoice 3's customer
    // is not on file, invoice 4 is a credit and invoice 2 is paid.
    ReminderRun run = RunAndRecord("20250405");
    EXPECT_EQ(Letters(run), QStringList({"1 L1 fee 0: 1/3", "3 L1 fee 0: 5/7"}));
    EXPECT_EQ(Invoices().size(), 5);  // the first level charges nothing

    // Thirty days past due, but the second level waits 29 days after the first.
    ASSERT_TRUE(FindReminders(Day("20250428"), &run));
    EXPECT_TRUE(run.letters.empty());

    run = RunAndRecord("20250504");
    EXPECT_EQ(Letters(run), QStringList({"1 L2 fee 500: 1/32", "3 L2 fee 500: 5/36"}));
    EXPECT_EQ(Invoices().mid(5), QStringList({"6 1 20250504 5.00", "7 3 20250504 5.00"}));
    // A run again on a day recorded finds nothing new.
    ASSERT_TRUE(FindReminders(Day("20250504"), &run));
    EXPECT_TRUE(run.letters.empty());

    // Invoice 1 is paid in full before the third run and drops out.
    AddPayment(1, "20250510", 3.86);
    ASSERT_TRUE(OpenInvoices());
    ASSERT_EQ(InvTbl->seek("     1"), xbase::kFound);
    ReadInvoice();
    InvBuf.Due = 0;
    WriteInvoice();
    CloseReportTables();
    run = RunAndRecord("20250603");
    EXPECT_EQ(Letters(run), QStringList({"3 L3 fee 1000: 5/66"}));
    EXPECT_EQ(Invoices().mid(7), QStringList({"8 3 20250603 10.00"}));

    // After the last level invoice 5 gets no more letters; the fees of the second run fall due
    // 30 days after it and get their own first letters.
    ASSERT_TRUE(FindReminders(Day("20250605"), &run));
    EXPECT_EQ(Letters(run), QStringList({"1 L1 fee 0: 6/2", "3 L1 fee 0: 7/2"}));
}

TEST_F(ReminderRunTest, TheLettersShowTheTextTheInvoicesTheFeeAndTheTotalDue) {
    Levels({{1, 250, "Dear {name}, please pay {overdue}; our terms are {terms}."}});
    ReminderRun run;
    ASSERT_TRUE(FindReminders(Day("20250405"), &run));
    ReportDocument& doc = TheReport();
    PaperMeasure paper;
    ASSERT_TRUE(MakeReminderLetters(doc, run, paper));
    QStringList text;
    for (const ReportLine& line : doc.Lines) text << line.join('|');
    const QString all = text.join('\n');
    EXPECT_TRUE(all.contains("L00Dear Ms Ann Lee, please pay 3.86; our terms are net 30 days."))
        << all.toStdString();
    EXPECT_TRUE(all.contains("V00|R091|V11|R2303/03/25|V25|R3704/02/25|V39|R493|V51|R71"))
        << all.toStdString();
    EXPECT_TRUE(all.contains("R49Reminder fee|V51|R71        2.50|V73"));
    EXPECT_TRUE(all.contains("R49Total now due|V51|R71        6.36|V73"));
    EXPECT_TRUE(all.contains("L00Dear Cy Doe, please pay 1.05"));
}

TEST_F(ReminderRunTest, CancelAfterThePreviewRecordsNothingAndOkRecordsTheRun) {
    ReminderRun run;
    for (const bool ok : {false, true}) {
        onModalOf<TDateSpan>([](TDateSpan* dialog) {
            dialog->findChild<DateBox*>("MaskEdit1")->setEntryText("04/05/25");
            QTest::mouseClick(dialog->findChild<QPushButton*>("BtnOK"), Qt::LeftButton);
        });
        CaptureReport();
        ScriptedPrompts prompts;
        prompts.expect(prompt::Kind::Confirm, "Record these 2 reminder letters as sent", {ok, {}});
        RunReminderLetters(nullptr);
        EXPECT_EQ(shown_.at(2).at(0), "C36Payment Reminder");
        ASSERT_TRUE(FindReminders(Day("20250405"), &run));
        EXPECT_EQ(run.letters.size(), ok ? 0u : 2u);
    }
}

}  // namespace
