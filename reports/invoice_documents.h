// Invoices, bills and statements: the documents that go to customers. Each begins with the
// business's letterhead from the stationery settings and the customer's address; the documents
// of one run follow one another in the report document, each on a new page numbered 1. The
// document of one invoice reads the open invoice (InvBuf, ItemRows, PmtRows, AddressLines), so
// the invoice editor prints what it shows; the runs over many invoices or customers read the
// tables and take their selection as arguments.
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

#include "core/money.h"
#include "db/records.h"
#include "report/paper_measure.h"
#include "report/report_document.h"

namespace reports {

// A text broken into printed lines; printable is false for a blank text (lines then holds one
// empty line).
struct WrappedText {
    bool printable = false;
    QStringList lines;
};

// Breaks a memo into lines no wider than rptWidth characters of the paper: a line feed starts a
// line, carriage returns are dropped, and a line grown too wide breaks after its last space. A
// word with no space before it that is wider than the line breaks where the line is full.
WrappedText WrapText(const QString& text, int rptWidth, const PaperMeasure& paper);

// The product memos and remarks of a run of invoices, wrapped once each for the run's paper and
// width: the same few come back invoice after invoice, and wrapping measures the line at every
// character.
using WrappedMemos = QHash<QString, WrappedText>;

// What the documents of one run on one paper work out once for all of them: their memos and
// remarks wrapped, the lines of the letterhead as last put (with the day it was dated), and the
// texts of the days their rows print.
struct DocumentTexts {
    WrappedMemos memos;
    QList<ReportLine> letterhead;
    QString letterheadToday;
    QHash<double, QString> days;
};

// The widths of the documents in columns: invoices and bills, statements.
inline constexpr int kInvoiceWidth = 73;
inline constexpr int kStatementWidth = 59;

// Starts the document for invoices and bills: 73 columns, the boxed item table's headings.
void StartInvoiceDoc(ReportDocument& doc);

// Starts the document for statements: 59 columns, the boxed table of the customer's invoices,
// its date column widened already where the report dates are longer.
void StartStatementDoc(ReportDocument& doc);

// Appends the letterhead: the top margin as blank lines, the logo (a picture line and the lines
// it covers), the company's name and address in bold, ruled below, each placed by LHJustify
// (2 centred, 3 right, else left), then today's date at the right and a blank line. Restarts
// the page count at page 1.
void PutLetterhead(ReportDocument& doc, const SettingsValues& settings, const PaperMeasure& paper);

// Appends the open invoice as one document, after a page break when the document has lines:
// letterhead, title ("Invoice"; for a bill "Bill" while a balance is due, else "Statement"),
// address, number and date (and the due date when the customer has payment terms), the items, the
// totals box, and for an invoice the product memos and the remarks. The charges are captioned by
// their labels in `settings` ("Shipping" and "Sales Tax" while a label is blank).
// A run of documents on one paper gives `texts` to keep what they share.
void PutInvoice(ReportDocument& doc, bool asInvoice, const SettingsValues& settings,
                const PaperMeasure& paper, DocumentTexts* texts = nullptr);

// One invoice on a statement: number, date (a day number) and the three amounts. Its charges
// are its total (the line totals to the cent and both charges), its payments their sum, its
// amount due the stored balance.
struct StatementRow {
    int number = 0;
    double date = 0;
    Cents charges = 0;
    Cents payments = 0;
    Cents due = 0;
};

// Appends the statement of the customer whose address is in AddressLines as one document, after
// a page break when the document has lines: letterhead, title, address, one row per invoice and
// the totals box. A run gives `texts` as to PutInvoice.
void PutStatement(ReportDocument& doc, const std::vector<StatementRow>& rows,
                  const SettingsValues& settings, const PaperMeasure& paper,
                  DocumentTexts* texts = nullptr);

// One overdue invoice in a reminder letter: number, date, due date, days past due, amount due.
struct ReminderRow {
    int number = 0;
    double date = 0;
    double due = 0;
    long daysPast = 0;
    Cents amount = 0;
};

// Starts the document for reminder letters: 73 columns, the boxed table of overdue invoices.
void StartReminderDoc(ReportDocument& doc);

// Appends the reminder letter to the customer whose address is in AddressLines as one document,
// after a page break when the document has lines: letterhead, address, the letter's text (its
// placeholders already filled), the table of overdue invoices with their total, the fee when
// there is one and the total then due, and the closing and signature lines of the stationery
// ("Yours sincerely," and the company while they are blank).
void PutReminderLetter(ReportDocument& doc, const QString& text,
                       const std::vector<ReminderRow>& rows, Cents fee,
                       const SettingsValues& settings, const PaperMeasure& paper);

// Where each document of a run begins, for callers that split a run into one file per
// customer, and the numbers asked for that no record holds.
struct DocumentStart {
    int line = 0;
    int number = 0;  // the invoice number, or the customer number of a statement
};
struct DocumentRun {
    std::vector<DocumentStart> starts;
    QList<int> notFound;
};

// The runs over the tables. Each opens CUST5, INV5, ITM5 and PMT (and Prod5 for invoices and
// bills), starts the document, shows the progress box and closes the tables again. True when the
// document has lines to show; false when nothing was selected, or when a table could not be
// opened (the user has been told and the program is ending). `run`, when given, receives the
// documents' starts.

// Invoices dated from spanStart to spanEnd (day numbers, inclusive) in date order; as bills
// (asInvoice false) only those with a balance due above zero.
bool MakeInvoicesForDates(ReportDocument& doc, double spanStart, double spanEnd, bool asInvoice,
                          const PaperMeasure& paper, DocumentRun* run = nullptr);

// The invoices of the given numbers in the order given; as bills each is titled by its balance.
bool MakeInvoicesByNumber(ReportDocument& doc, const QList<int>& numbers, bool asInvoice,
                          const PaperMeasure& paper, DocumentRun* run = nullptr);

// A statement for every customer, in postal-code order, with an invoice dated in the span whose
// balance is not zero; the rows are those invoices.
bool MakeStatementsWithBalances(ReportDocument& doc, double spanStart, double spanEnd,
                                const PaperMeasure& paper, DocumentRun* run = nullptr);

// A statement for each of the given customers in the order given, listing every invoice of the
// customer; a customer without invoices gets none.
bool MakeStatementsForCustomers(ReportDocument& doc, const QList<int>& customers,
                                const PaperMeasure& paper, DocumentRun* run = nullptr);

// The lines of one document of a run (from `from` up to `to`, exclusive) as a document of its
// own: the page break that separated it from the one before is left out.
ReportDocument DocumentPart(const ReportDocument& doc, int from, int to);

}  // namespace reports
