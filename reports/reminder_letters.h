// Reminder letters: as of a day, one letter to each customer with invoices due a reminder, and
// the record of the run. An invoice is due a reminder when, with a balance above zero as of the
// day, it is past due by at least the days of the level after the last one it was sent, and that
// last one was sent at least as many days before as lie between the two levels; so each run sends
// each invoice one level further, spaced as the levels are, and an invoice paid since drops out. A
// customer's letter is of the highest level among its invoices, with that level's text and fee.
// Recording a run stores each invoice's level with the day and charges each fee as a one-item
// invoice dated the day, all in one change.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "db/chasing_tables.h"
#include "report/paper_measure.h"
#include "report/report_document.h"
#include "reports/invoice_documents.h"

namespace reports {

// The level (1 up) to send an invoice `daysPast` days past due that was last sent `lastLevel`
// (0 when never) `daysSinceLast` days ago: the next level once its days have passed and, after an
// earlier level, once the days between the two levels have passed since; 0 when none is due.
int NextReminderLevel(long daysPast, int lastLevel, long daysSinceLast,
                      const std::vector<ReminderLevel>& levels);

// The letter text with its placeholders put in: {name} the customer's name, {overdue} the total
// overdue, {terms} the customer's terms ("net N days", or "due on receipt").
QString FillReminderText(const QString& text, const QString& name, Cents overdue,
                         std::optional<int> termsDays);

struct ReminderLetter {
    int customer = 0;
    int level = 0;
    Cents fee = 0;
    std::vector<ReminderRow> rows;
};

struct ReminderRun {
    double day = 0;
    std::vector<ReminderLevel> levels;
    std::vector<ReminderLetter> letters;  // by customer number
};

// Finds the letters as of the day `asOf` (a day number) from INV5, PMT, CUST5, the payment terms
// (TermsRecord), the levels and the record of earlier runs; invoices of a customer not on file
// get none. False when a table could not be opened or read (the user has been told and the
// program is ending).
bool FindReminders(double asOf, ReminderRun* run);

// Builds the run's letters into the document (which it starts), one per customer. False (the
// user told "No invoices are due a reminder.") when the run has no letter. `docs`, when given,
// receives where each letter begins, by customer number.
bool MakeReminderLetters(ReportDocument& doc, const ReminderRun& run, const PaperMeasure& paper,
                         DocumentRun* docs = nullptr);

// Records the run as one change: a Reminded record per invoice and a fee invoice per letter
// whose level has a fee. False with *error saying why when it could not be stored; nothing is
// then changed.
bool RecordReminderRun(const ReminderRun& run, QString* error);

}  // namespace reports
