// The sales reports over the invoices dated within a span, in date order: the sales summary (one
// line per invoice with its items, both charges and total), sales by product (quantity and sale
// of every product sold, products no longer on file last), the tax report (taxable sales and the
// charges levied, without detail lines) and the buyers of one product.
//
// Each builds its report into the document (which it starts), with the progress box, and
// returns true when the document has lines to show. False when no invoice is dated within the
// span ("No Invoices within selected dates."), when nothing else qualifies (said for each
// report below), or when a table could not be opened or read (the user has been told and the
// program is ending). Spans are day numbers, inclusive at both ends.
#pragma once

#include <QString>

#include "report/report_document.h"

namespace reports {

bool MakeSalesSummary(ReportDocument& doc, double spanStart, double spanEnd);

// "No Sales within selected dates." when the invoices of the span hold no item.
bool MakeProductSummary(ReportDocument& doc, double spanStart, double spanEnd);

bool MakeTaxReport(ReportDocument& doc, double spanStart, double spanEnd);

// The product is named by its code, in any letter case (a product marked deleted after it was
// sold still has its buyers); "Product not on file: " and the code when Prod5 has no such product,
// and "No Buyers within selected dates." when no invoice of the span holds an item of it.
bool MakeProductBuyers(ReportDocument& doc, const QString& productCode, double spanStart,
                       double spanEnd);

}  // namespace reports
