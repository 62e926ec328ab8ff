#include "reports/report_actions.h"

#include "reports/date_span_form.h"
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

}  // namespace reports
