#include "reports/report_actions.h"

#include "app/entry/dates.h"

#include "reports/date_span_form.h"
#include "reports/inventory_reports.h"
#include "reports/print_target.h"
#include "reports/product_listing.h"
#include "reports/purchasing_report.h"
#include "reports/report_form.h"

namespace reports {

void RunProductListing(QWidget* parent) {
    InstallPrinterPageProbe();
    ReportDocument& doc = TheReport();
    if (MakeProductListing(doc)) ShowReport(doc, parent);
    doc.FinishReport();
}

void RunPurchasingReport(QWidget* parent) {
    InstallPrinterPageProbe();
    ReportDocument& doc = TheReport();
    doc.DefaultSpan();
    if (!AskDateSpan(parent)) return;
    if (MakePurchasingReport(doc, doc.SpanStart, doc.SpanEnd)) ShowReport(doc, parent);
    doc.FinishReport();
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
