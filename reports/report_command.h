// The report command of corvane-admin: runs one of the program's report generators over the data
// directory with its selection given as options instead of dialogs, and writes the report
// document with the report window's own export and printing code, as plain text, tab-delimited
// text or PDF. The reports the command knows are the rows of one table (report_command.cpp):
// a name, the kind of selection it takes, and the call of its generator.
#pragma once

#include <QDir>
#include <QFont>
#include <QList>
#include <QString>
#include <optional>

#include "reports/invoice_documents.h"
#include "reports/reminder_letters.h"

namespace reports {

// What a report is run for, as the options give it; each report reads the part it takes.
struct ReportSelection {
    // The date span as day numbers, inclusive at both ends.
    double spanStart = 0;
    double spanEnd = 0;
    // Invoices or customers named one by one, in the order given (statements and the customer
    // profile); empty when not named.
    QList<int> invoices;
    QList<int> customers;
    // Statements: every customer with a balance in the span.
    bool balancesOnly = false;
    // The product code of the buyers report.
    QString product;
    // The day receivables are aged to and the inventory is valued at, as a day number.
    double asOf = 0;
    // The group numbers of the customer profile, when customers are not named.
    QList<int> groups;
    // Aging: by days since the invoice date instead of days past due, and each open invoice
    // listed under its customer.
    bool byInvoiceDate = false;
    bool detail = false;
    // Reminders: the letters are written and nothing is recorded.
    bool dryRun = false;
};

// One run of the command. Output file names are absolute; empty for an output not asked for.
struct ReportRequest {
    QString name;
    ReportSelection selection;
    QString textFile;
    QString tabFile;
    QString pdfFile;
    // A directory that receives one PDF file per invoice or statement (documents only).
    QString pdfEachDir;
};

// The command's usage lines, indented to follow the first line of corvane-admin's usage: the
// form of the command, then every report the command knows with its selection options, one a
// line.
QString ReportUsage();

// Reads the arguments that follow "report": the report's name, then its options. A date span
// left out, wholly or in part, is taken from the current month, as the date range dialog
// opens on it; invoices by date default to today, as their dialog opens on it. Relative file
// names are taken from `base`; kStandardOutput ("-") as a file name stays as it is. The day
// receivables are aged to or the inventory is valued at, when left out, is today. Nothing, with
// `why` naming the option at fault and what is wrong with it, when the arguments are not valid
// for that report.
std::optional<ReportRequest> ParseReportArgs(const QStringList& args, const QDir& base,
                                             QString* why);

// The reminders command, a report with a command of its own: its usage line, and its arguments
// read as ParseReportArgs reads a report's (after "reminders": --as-of, --dry-run and the
// outputs --text, --pdf and --pdf-each). Its run (RunReport) records the reminders sent, and
// charges their fees, once every output is written, unless --dry-run is given.
QString RemindersUsage();
std::optional<ReportRequest> ParseRemindersArgs(const QStringList& args, const QDir& base,
                                                QString* why);

// Tells, through the prompt layer, every output that names one of the data files (the current
// directory's); true when none does. The command calls it before it touches the directory.
bool OutputsKeepOffTheDataFiles(const ReportRequest& request);

// Runs the request on the data directory (the current directory; DbContext created, and a
// QGuiApplication running or made by MakePaintingApplication (report/command_options.h) when the
// run first needs the report font): re-creates missing index files and reads the settings as
// start-up does, builds the report in pages of 60 lines (as without a printer, whatever printers
// the machine has), and writes every output asked for. The report font is the settings' font on a
// fixed-pitch 10-point default. Everything the program would tell the user goes through the
// prompt layer, also when there is nothing to report. 0 when every output was written, else 1.
int RunReport(const ReportRequest& request);

// For sending documents to customers: the arguments naming "invoices", "bills", "statements" or
// "reminders" and their selection as a report of them takes it (reminders: --as-of), without
// outputs; and the building of those documents into the program's report document as RunReport
// builds them (the caller finishes the report), with where each begins in *run and, for reminder
// letters, the run they were found in. False when there is nothing to send or it could not be
// built (the user has been told).
std::optional<ReportRequest> ParseDocumentArgs(const QStringList& args, const QDir& base,
                                               QString* why);
bool BuildCustomerDocuments(const ReportRequest& request, DocumentRun* run, ReminderRun* reminders);

}  // namespace reports
