// The main window's actions that print invoices, bills and statements, and the invoice editor's
// Print. Each collects its selection (a date span, or invoices or customers picked one by one
// from their pick lists), builds the documents with the generators of invoice_documents.h
// measured for the current paper, shows the report window when there is something to show, and
// releases the document. Printing never changes a table.
#pragma once

class QWidget;

namespace reports {

// Invoices (asInvoice) or bills. By dates: invoices of a span that opens on today, or bills with
// a balance due in a span that opens on the current month. Otherwise invoices picked one by one
// until the pick list is left; as bills each is titled by its balance.
void PrintInvoices(QWidget* parent, bool byDates, bool asInvoice);

// Statements for every customer with a non-zero balance in a span that opens on the current
// month (withBalances), or for customers picked one by one, listing all their invoices.
void PrintStatements(QWidget* parent, bool withBalances);

// The open invoice as the editor holds it, titled "Invoice", in the report window.
void PrintOpenInvoice(QWidget* parent);

}  // namespace reports
