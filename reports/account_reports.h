// The reports on money received and owed: daily income (the payments of a span by date, with
// each day's total and the total received) and receivables (every invoice with a balance due,
// credits included, with its age in days and the total owed).
//
// Each builds its report into the document (which it starts), with the progress box, and
// returns true when the document has lines to show; false when there is nothing to show (the
// user has been told why) or when a table could not be opened or read (the user has been told
// and the program is ending).
#pragma once

#include "report/report_document.h"

namespace reports {

// The payments dated spanStart to spanEnd (day numbers, inclusive); "No Payments within
// selected dates." when there is none.
bool MakeDailyIncome(ReportDocument& doc, double spanStart, double spanEnd);

// The invoices whose balance due is not zero, by invoice number, each aged in whole days from
// its date to the day `asOf` (a day number; today for the report of the day). "No Invoices
// within selected dates." when INV5 is empty, "No Invoices with a balance due." when no invoice
// has one.
bool MakeReceivables(ReportDocument& doc, double asOf);

}  // namespace reports
