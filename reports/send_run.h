// Sending the documents of a run by e-mail, one message per document: from the mail settings'
// sender to the customer's address (and a blind copy to the sender when the settings ask), the
// subject and body from the settings' template of the document's kind with its placeholders
// filled, and the document attached as a PDF file printed through the same code as the report
// window's "Save as PDF...". A document recorded as sent in the sent log is left out unless it is
// to be sent again; one whose customer has no mail address is left out and listed. Each message
// the server was given is recorded in the sent log with its result, so a refused one never counts
// as sent. A dry run writes each message, as it would be sent, to an .eml file instead.
#pragma once

#include <QByteArray>
#include <QFont>
#include <QString>
#include <functional>
#include <vector>

#include "mail/mail_message.h"
#include "mail/smtp_session.h"
#include "report/report_document.h"
#include "reports/customer_documents.h"

namespace reports {

// The documents of a run sorted for sending.
struct SendPlan {
    std::vector<CustomerDocument> toSend;
    std::vector<CustomerDocument> alreadySent;
    std::vector<CustomerDocument> noAddress;  // no address, or one that is no mail address
};

// Sorts the documents: those the sent log records as sent are left out unless `resend`. False
// when the log could not be read (the user has been told).
bool PlanSending(const std::vector<CustomerDocument>& documents, bool resend, SendPlan* plan);

// The message of one document, its PDF file attached; the company fills {company}.
MailMessage MessageFor(const CustomerDocument& document, const MailSettings& settings,
                       const QString& company, const QByteArray& pdf);

// The name of the document's attached file ("Invoice 1234.pdf") and of its dry run's .eml file
// ("invoice-1234.eml").
QString AttachmentName(const CustomerDocument& document);
QString DryRunFileName(const CustomerDocument& document);

// Hands one composed message to the mail server (an SmtpSession's Send).
using Deliver = std::function<SendOutcome(const MailMessage&, const QByteArray&)>;

enum class SendState { Sent, Refused, Written };

struct SendLine {
    CustomerDocument document;
    SendState state = SendState::Refused;
    QString reason;  // the server's, when refused
    QString messageId;
};

struct SendRun {
    const ReportDocument* doc = nullptr;  // the run's document, which the documents' lines are of
    QFont font;                           // the report font the attachments are printed in
    MailSettings settings;
    QString company;
    Deliver deliver;    // used when dryRunDir is empty
    QString dryRunDir;  // made when missing
    // Called before each message and at the end with how many are done.
    std::function<void(int done, int total)> progress;
    // Called with each message's result as soon as it is known, before it is recorded.
    std::function<void(const SendLine& line)> told;
};

struct SendReport {
    std::vector<SendLine> lines;
    int sent = 0;
    int refused = 0;
    int written = 0;
    // Why the run stopped before the end (a message not recorded, a file not written, a fault
    // of the server's); empty when every message was tried.
    QString stopped;
};

// Sends (or writes) the messages of the plan in order. A message whose record could not be
// stored, a file that could not be written, or a failure of the server's own (SendOutcome's
// serverFault) stops the run with the reason.
SendReport SendDocuments(const SendPlan& plan, const SendRun& run);

// The documents that did not go: refused, or without an address, in the order of the run.
std::vector<CustomerDocument> UnsentDocuments(const SendReport& report, const SendPlan& plan);

// The documents' lines of `doc` as one document, each after a page break from the one before.
ReportDocument JoinedDocuments(const ReportDocument& doc,
                               const std::vector<CustomerDocument>& documents);

// The closing line: "3 sent, 1 refused, 2 skipped (no address)", with "N written" for a dry run
// and "N sent before" when documents were left out as sent already.
QString SendSummary(const SendReport& report, const SendPlan& plan);

}  // namespace reports
