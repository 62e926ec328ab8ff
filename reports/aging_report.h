// The aging report: every customer with a balance as of a chosen day, the balance split into
// five columns by how late it is, with each customer's total and each column's total. By due
// date (an invoice is due its payment terms' days after its date) the columns are Current,
// 1-30, 31-60, 61-90 and Over 90 days past due; by invoice date they are 0-30, 31-60, 61-90,
// 91-120 and Over 120 days since the invoice. As of a day, only invoices dated up to it count,
// and a payment counts only when dated up to it. Credits count as negative amounts in their
// column. With the detail, each open invoice is listed under its customer.
//
// The arithmetic of due dates and columns is a set of plain functions beside the generator.
#pragma once

#include <optional>

#include "report/report_document.h"

namespace reports {

// The number of columns a balance is split into.
inline constexpr int kAgingColumns = 5;

// The day (a day number) an invoice dated `invoiceDay` falls due under terms of `termsDays`
// days; on its own day when there are no terms (due on receipt).
double DueDay(double invoiceDay, std::optional<int> termsDays);

// The column (0 to kAgingColumns-1) of an amount `days` old: by due date, days past due (0 or
// less: current); by invoice date, days since the invoice.
int AgingColumn(long days, bool byInvoiceDate);

// The captions of the columns.
const char* AgingColumnCaption(int column, bool byInvoiceDate);

// What the report is run for: the day balances are taken as of (a day number), whether they are
// aged by invoice date instead of due date, and whether each open invoice is listed.
struct AgingSelection {
    double asOf = 0;
    bool byInvoiceDate = false;
    bool detail = false;
};

// Builds the report from INV5, PMT, CUST5 and the payment terms (TermsRecord) into the document
// (which it starts), customers in the order of their names, with the progress box. True when the
// document has lines to show; false when no customer has a balance as of the day ("No Invoices with
// a balance due." told; "No Invoices within selected dates." when INV5 is empty), or when a table
// could not be opened or read (the user has been told and the program is ending).
bool MakeAgingReport(ReportDocument& doc, const AgingSelection& selection);

}  // namespace reports
