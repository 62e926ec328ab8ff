// The documents of a run as messages to customers: for each invoice, bill, statement or reminder
// letter a run made (its DocumentRun), the customer it goes to with the customer's name and
// e-mail address, the document's kind and number, the amount due and the due date, and its lines
// in the run's document. An invoice or bill is numbered by its invoice number; a statement or a
// reminder letter, which has no number of its own, by the customer number and the day it is made
// as of, as "1042-20261207": the same statement or letter made again on the same day has the same
// number, so it counts as sent already.
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

// The number of a statement or letter to customer `customer` made as of `day`.
QString CustomerDayNumber(int customer, double day);

// Describes the documents `run` found in `doc`, in their order. False when a table could not be
// opened or read (the user has been told).
bool DescribeDocuments(const ReportDocument& doc, const DocumentRun& run,
                       const DocumentSelection& selection, std::vector<CustomerDocument>* out);

}  // namespace reports
