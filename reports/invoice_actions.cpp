#include "reports/invoice_actions.h"

#include <QDate>

#include "core/dates.h"
#include "core/prompt.h"
#include "db/current_records.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "invoice/invoice_data.h"
#include "invoice/invoice_loop.h"
#include "masters/pick_routines.h"
#include "report/date_span_form.h"
#include "report/generator_steps.h"
#include "report/print_target.h"
#include "report/report_form.h"
#include "reports/invoice_documents.h"
#include "reports/send_window.h"

namespace reports {
namespace {

void ShowAndRelease(ReportDocument& doc, bool made, QWidget* parent) {
    if (made) ShowReport(doc, parent);
    doc.FinishReport();
}

// Shows the documents of a run with "Send by E-mail" for them.
void ShowToSend(ReportDocument& doc, bool made, const DocumentRun& run,
                const DocumentSelection& selection, QWidget* parent) {
    if (made) ShowReport(doc, parent, MailSender(doc, run, selection));
    doc.FinishReport();
}

// The invoice numbers picked one by one until the pick list is left; empty when INV5 has none
// (the user has been told) or a table could not be opened.
QList<int> PickInvoiceNumbers(QWidget* parent) {
    QList<int> numbers;
    if (!OpenCustomers() || !OpenGroups() || !OpenInvoices() || !OpenItems() || !OpenPayments() ||
        !OpenProducts()) {
        CloseReportTables();
        return numbers;
    }
    if (InvTbl->recCount() == 0) {
        prompt::information(parent, QStringLiteral("No invoices to select."));
    } else {
        CurInvRec = InvTbl->bottom() == xbase::kFound ? static_cast<int32_t>(InvTbl->recNo()) : 0;
        while (PickInvoice(false, nullptr, parent)) {
            if (InvTbl->go(static_cast<uint32_t>(CurInvRec)) != xbase::kFound) break;
            numbers << InvFld.IvNo->asInt();
        }
    }
    CloseReportTables();
    return numbers;
}

// The customer numbers picked one by one until the pick list is left.
QList<int> PickCustomerNumbers(QWidget* parent) {
    QList<int> numbers;
    if (!OpenCustomers() || !OpenGroups()) {
        CloseReportTables();
        return numbers;
    }
    CustTbl->select(CustTbl->tag("cname"));
    CurCustRec = 0;
    while (PickCustomer(false, nullptr, parent)) {
        if (CustTbl->go(static_cast<uint32_t>(CurCustRec)) != xbase::kFound) break;
        numbers << CustFld.cuno->asInt();
    }
    CloseReportTables();
    return numbers;
}

}  // namespace

void PrintInvoices(QWidget* parent, bool byDates, bool asInvoice) {
    InstallPrinterPageProbe();
    ReportDocument& doc = TheReport();
    const PaperMeasure paper = CurrentPaperMeasure(kInvoiceWidth);
    DocumentRun run;
    DocumentSelection selection;
    selection.kind = asInvoice ? MailDocument::Invoice : MailDocument::Bill;
    selection.day = DateValue(QDate::currentDate());
    if (byDates) {
        if (asInvoice) {
            doc.SpanStart = doc.SpanEnd = DateValue(QDate::currentDate());
        } else {
            doc.DefaultSpan();
        }
        if (!AskDateSpan(parent)) return;
        ShowToSend(doc,
                   MakeInvoicesForDates(doc, doc.SpanStart, doc.SpanEnd, asInvoice, paper, &run),
                   run, selection, parent);
        return;
    }
    const QList<int> numbers = PickInvoiceNumbers(parent);
    if (numbers.isEmpty()) return;
    ShowToSend(doc, MakeInvoicesByNumber(doc, numbers, asInvoice, paper, &run), run, selection,
               parent);
}

void PrintStatements(QWidget* parent, bool withBalances) {
    InstallPrinterPageProbe();
    ReportDocument& doc = TheReport();
    const PaperMeasure paper = CurrentPaperMeasure(kStatementWidth);
    DocumentRun run;
    DocumentSelection selection;
    selection.kind = MailDocument::Statement;
    selection.day = DateValue(QDate::currentDate());
    if (withBalances) {
        doc.DefaultSpan();
        if (!AskDateSpan(parent)) return;
        // A statement of the balances in a span closes on the span's last day.
        selection.spanned = true;
        selection.spanStart = doc.SpanStart;
        selection.spanEnd = selection.day = doc.SpanEnd;
        ShowToSend(doc, MakeStatementsWithBalances(doc, doc.SpanStart, doc.SpanEnd, paper, &run),
                   run, selection, parent);
        return;
    }
    const QList<int> numbers = PickCustomerNumbers(parent);
    if (numbers.isEmpty()) return;
    ShowToSend(doc, MakeStatementsForCustomers(doc, numbers, paper, &run), run, selection, parent);
}

void PrintOpenInvoice(QWidget* parent) {
    InstallPrinterPageProbe();
    ReportDocument& doc = TheReport();
    StartInvoiceDoc(doc);
    PutInvoice(doc, true, SettingsRecord, CurrentPaperMeasure(kInvoiceWidth));
    ShowAndRelease(doc, doc.CurLine >= 0, parent);
}

}  // namespace reports
