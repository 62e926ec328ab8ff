// Send by E-mail in the report window of invoices, driven as the user drives it: Cancel in the
// list sends nothing; Send sends the listed messages to the mail test server, and the results
// list them beside the customer without an address, whose invoice Save Unsent as PDF writes.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>

#include "db/settings.h"
#include "report/print_target.h"
#include "report/report_form.h"
#include "reports/send_window.h"
#include "tests/reports/modal_of.h"
#include "tests/reports/send_fixture.h"
#include "tests/support/scripted_prompts.h"

using namespace reports;

namespace {

QStringList Rows(const QTableWidget* grid) {
    QStringList rows;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid->columnCount(); ++c) cells << grid->item(r, c)->text();
        rows << cells.join(u'|');
    }
    return rows;
}

void Click(QWidget* form, const char* button) {
    form->findChild<QPushButton*>(button)->click();
}

class SendWindowTest : public SendTest {};

TEST_F(SendWindowTest, TheListComesFirstThenTheMessagesGoAndTheUnsentCanBeSaved) {
    const auto invoices = InvoicesOfDifferentCustomers(3);
    ASSERT_EQ(invoices.size(), 3u);
    SetEmail(invoices[2].second.cuno, {});
    StartServer({});
    ASSERT_TRUE(LoadSettings());
    ReportDocument& doc = TheReport();
    DocumentRun run;
    QList<int> numbers;
    for (const auto& invoice : invoices) numbers << invoice.first;
    ASSERT_TRUE(MakeInvoicesByNumber(doc, numbers, true, CurrentPaperMeasure(kInvoiceWidth), &run));
    DocumentSelection selection;
    selection.kind = MailDocument::Invoice;
    QTemporaryDir out;
    const QString unsentPdf = out.filePath("unsent.pdf");

    QStringList cancelled, listed, noAddress, results;
    ScriptedPrompts script;
    script.expect(prompt::Kind::SaveFile, "Save as PDF", {true, unsentPdf});
    onModalOf<TReportF>([&](TReportF* form) {
        QAction* send = form->findChild<QAction*>("mSendMail");
        ASSERT_NE(send, nullptr);
        onModalOf<TSendList>([&](TSendList* list) {
            cancelled = Rows(list->findChild<QTableWidget*>("GridMessages"));
            Click(list, "BtnCancel");
        });
        send->trigger();
        onModalOf<TSendList>([&](TSendList* list) {
            listed = Rows(list->findChild<QTableWidget*>("GridMessages"));
            noAddress << list->findChild<QLabel*>("LabelNoAddress")->text();
            onModalOf<TSendResults>([&](TSendResults* done) {
                results = Rows(done->findChild<QTableWidget*>("GridResults"));
                Click(done, "BtnSavePdf");
                Click(done, "BtnClose");
            });
            Click(list, "BtnSend");
        });
        send->trigger();
        form->findChild<QAction*>("mExit")->trigger();
    });
    ShowReport(doc, nullptr, MailSender(doc, run, selection));
    doc.FinishReport();

    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(cancelled, listed);
    for (int i = 0; i < 2; ++i) {
        const auto& [number, customer] = invoices[size_t(i)];
        const QStringList cells = listed[i].split(u'|');
        EXPECT_EQ(cells.mid(0, 3),
                  QStringList({customer.first + ' ' + customer.last, customer.email,
                               "Invoice " + QString::number(number)}));
        EXPECT_EQ(results[i].split(u'|').last(), "Sent");
    }
    const QString third = "Invoice " + QString::number(invoices[2].first);
    EXPECT_TRUE(noAddress.join("").contains(third)) << noAddress.join("").toStdString();
    ASSERT_EQ(results.size(), 3);
    EXPECT_TRUE(results[2].endsWith(third + "|Skipped: no mail address"))
        << results[2].toStdString();

    const std::vector<ReceivedMail> received = server_.Received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].recipients, QStringList{invoices[0].second.email});
    EXPECT_TRUE(progress_.contains("show Sending Messages"));
    const QString unsent = PdfText([&] {
        QFile file(unsentPdf);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }());
    EXPECT_TRUE(unsent.contains(
        QRegularExpression("Invoice No:\\s+" + QString::number(invoices[2].first) + "\\b")))
        << unsent.toStdString();
    EXPECT_EQ(unsent.count("Invoice No:"), 1);
    EXPECT_EQ(script.pending(), 0);
}

}  // namespace
