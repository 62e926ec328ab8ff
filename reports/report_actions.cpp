#include "reports/report_actions.h"

#include <QList>

#include "core/dates.h"
#include "core/prompt.h"
#include "db/current_records.h"
#include "db/field_values.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "masters/pick_routines.h"
#include "report/date_span_form.h"
#include "report/generator_steps.h"
#include "report/mult_group_form.h"
#include "report/print_target.h"
#include "report/report_form.h"
#include "reports/account_reports.h"
#include "reports/aging_report.h"
#include "reports/customer_profile.h"
#include "reports/inventory_reports.h"
#include "reports/product_listing.h"
#include "reports/purchasing_report.h"
#include "reports/reminder_letters.h"
#include "reports/sales_reports.h"
#include "reports/send_window.h"
#include "reports/sent_log_report.h"

namespace reports {
namespace {

using SpanReport = bool (*)(ReportDocument& doc, double spanStart, double spanEnd);

// Shows the report the generator built, if it built one, and releases the document.
template <typename Make>
void ShowBuilt(QWidget* parent, Make make) {
    InstallPrinterPageProbe();
    ReportDocument& doc = TheReport();
    if (make(doc)) ShowReport(doc, parent);
    doc.FinishReport();
}

// A report over the current month, or the span the user picks.
void RunSpanReport(QWidget* parent, SpanReport make) {
    ReportDocument& doc = TheReport();
    doc.DefaultSpan();
    if (!AskDateSpan(parent)) return;
    ShowBuilt(parent, [&](ReportDocument& d) { return make(d, d.SpanStart, d.SpanEnd); });
}

// The first record of the table in its selected order, 0 when it is empty.
int32_t FirstRecord(xbase::Table* table) {
    return table->top() == xbase::kFound ? static_cast<int32_t>(table->recNo()) : 0;
}

}  // namespace

void RunProductListing(QWidget* parent) {
    ShowBuilt(parent, [](ReportDocument& doc) { return MakeProductListing(doc); });
}

void RunPurchasingReport(QWidget* parent) {
    RunSpanReport(parent, MakePurchasingReport);
}

void RunSentLog(QWidget* parent) {
    RunSpanReport(parent, MakeSentLogReport);
}

void RunSalesSummary(QWidget* parent) {
    RunSpanReport(parent, MakeSalesSummary);
}

void RunProductSummary(QWidget* parent) {
    RunSpanReport(parent, MakeProductSummary);
}

void RunDailyIncome(QWidget* parent) {
    RunSpanReport(parent, MakeDailyIncome);
}

void RunTaxReport(QWidget* parent) {
    RunSpanReport(parent, MakeTaxReport);
}

void RunProductBuyers(QWidget* parent) {
    QString code;
    if (OpenProducts()) {
        CurProdRec = FirstRecord(ProdTbl);
        if (PickProduct(false, nullptr, parent) && ProdTbl->go(CurProdRec) == xbase::kFound) {
            ReadProduct();
            code = TrimRight(ProdBuf.PrID);
        }
    }
    CloseReportTables();
    if (code.isEmpty()) return;
    ReportDocument& doc = TheReport();
    doc.DefaultSpan();
    if (!AskDateSpan(parent)) return;
    ShowBuilt(parent, [&](ReportDocument& d) {
        return MakeProductBuyers(d, code, d.SpanStart, d.SpanEnd);
    });
}

void RunReceivables(QWidget* parent) {
    if (!AskAsOfDate(parent, QStringLiteral("Receivables as Of:"))) return;
    ShowBuilt(parent, [](ReportDocument& doc) { return MakeReceivables(doc, doc.SpanStart); });
}

void RunAgingReport(QWidget* parent) {
    AgingSelection selection;
    if (!AskAgingDate(parent, &selection.byInvoiceDate, &selection.detail)) return;
    selection.asOf = TheReport().SpanStart;
    ShowBuilt(parent, [&](ReportDocument& doc) { return MakeAgingReport(doc, selection); });
}

void RunReminderLetters(QWidget* parent) {
    if (!AskAsOfDate(parent, QStringLiteral("Reminders as of:"), kRemindersHelpTopic)) return;
    ReminderRun run;
    if (!FindReminders(TheReport().SpanStart, &run)) return;
    InstallPrinterPageProbe();
    ReportDocument& doc = TheReport();
    DocumentRun letters;
    const bool made = MakeReminderLetters(doc, run, CurrentPaperMeasure(kInvoiceWidth), &letters);
    DocumentSelection selection;
    selection.kind = MailDocument::Reminder;
    selection.day = run.day;
    selection.reminders = &run;
    if (made) ShowReport(doc, parent, MailSender(doc, letters, selection));
    doc.FinishReport();
    if (!made || !prompt::confirm(parent, "Record these " + QString::number(run.letters.size()) +
                                              " reminder letters as sent, and charge their fees?"))
        return;
    QString error;
    if (!RecordReminderRun(run, &error))
        prompt::warning(parent, "The reminders could not be recorded.\n" + error);
}

void RunCustomerProfile(QWidget* parent) {
    QList<int> customers;
    if (OpenCustomers() && OpenGroups()) {
        CustTbl->select(CustTbl->tag(SettingsRecord.ByCust ? "cname" : "cComp"));
        CurCustRec = FirstRecord(CustTbl);
        while (PickCustomer(false, nullptr, parent)) {
            if (CustTbl->go(CurCustRec) != xbase::kFound) break;
            ReadCustomer();
            customers << CustBuf.cuno;
        }
    }
    CloseReportTables();
    if (customers.isEmpty()) return;
    ShowBuilt(parent, [&](ReportDocument& doc) { return MakeCustomerProfile(doc, customers); });
}

void RunGroupProfile(QWidget* parent) {
    QList<int> groups;
    if (OpenGroups()) groups = AskGroups(parent);
    CloseReportTables();
    if (groups.isEmpty()) return;
    ShowBuilt(parent, [&](ReportDocument& doc) { return MakeGroupProfile(doc, groups); });
}

void RunStockOnHand(QWidget* parent) {
    InstallPrinterPageProbe();
    ReportDocument& doc = TheReport();
    if (MakeStockOnHand(doc, DateValue(QDate::currentDate()))) ShowReport(doc, parent);
    doc.FinishReport();
}

void RunCostOfGoodsSold(QWidget* parent) {
    InstallPrinterPageProbe();
    ReportDocument& doc = TheReport();
    doc.DefaultSpan();
    if (!AskDateSpan(parent)) return;
    if (MakeCostOfGoodsSold(doc, doc.SpanStart, doc.SpanEnd)) ShowReport(doc, parent);
    doc.FinishReport();
}

void RunInventoryValuation(QWidget* parent) {
    InstallPrinterPageProbe();
    ReportDocument& doc = TheReport();
    if (!AskAsOfDate(parent)) return;
    if (MakeInventoryValuation(doc, doc.SpanStart)) ShowReport(doc, parent);
    doc.FinishReport();
}

}  // namespace reports
