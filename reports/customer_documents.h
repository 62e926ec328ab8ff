// The documents of a run as messages to customers: for each invoice, bill, statement or reminder
// letter a run made (its DocumentRun), the customer it goes to with the customer's name and
// e-mail address, the document's kind and number, the amount due and the due date, and its lines
// in the run's document. An invoice is numbered by its invoice number. A bill, which asks for the
// balance as it stands on the day it is made, and a statement or reminder letter, which have no
// number of their own, are numbered by the invoice or customer number and that day, as
// "1042-20261207": the same one made again on the same day counts as sent already, and next
// month's goes again.
#pragma once

#include <QString>
#include <vector>

#include "core/money.h"
#include "mail/mail_settings.h"
#include "report/report_document.h"
#include "reports/invoice_documents.h"
#include "reports/reminder_letters.h"

namespace reports {

struct CustomerDocument {
    MailDocument kind = MailDocument::Invoice;
    QString number;
    int invoice = 0;  // the invoice of an invoice or bill; 0 for statements and letters
    int customer = 0;
    QString name;
    QString address;    // the customer's e-mail field, trimmed; empty when there is none
    Cents due = 0;      // the balance of the invoice, or the total due on the statement or letter
    double dueDay = 0;  // the invoice's due date; 0 when it has none (statements, letters)
    int from = 0;       // the document's lines in the run's document, `to` exclusive
    int to = 0;
};

// What the documents were made for: their kind and the day they are made as of; for statements
// of the customers with a balance in a span, the span (day numbers, inclusive); for reminder
// letters the run they were made from.
struct DocumentSelection {
    MailDocument kind = MailDocument::Invoice;
    double day = 0;
    bool spanned = false;
    double spanStart = 0;
    double spanEnd = 0;
    const ReminderRun* reminders = nullptr;
};

// The kind's name as the sent log and the file names have it: invoice, bill, statement,
// reminder; and its title as the user reads it: Invoice, Bill, Statement, Reminder.
QString KindName(MailDocument kind);
QString KindTitle(MailDocument kind);

// The number of a bill of invoice `number`, or of a statement or letter to customer `number`,
// made as of `day`.
QString DayNumber(int number, double day);

// Describes the documents `run` found in `doc`, in their order. False when a table could not be
// opened or read (the user has been told).
bool DescribeDocuments(const ReportDocument& doc, const DocumentRun& run,
                       const DocumentSelection& selection, std::vector<CustomerDocument>* out);

}  // namespace reports
