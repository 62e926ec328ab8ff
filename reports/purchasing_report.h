// The purchasing report: the inventory purchases dated within a span, in product order and by
// date within a product, with each product's code and description on the first line of its run,
// and the total cost at the end.
#pragma once

#include "report/report_document.h"

namespace reports {

// Builds the report over the days spanStart to spanEnd (inclusive; day numbers) from Pur5 and
// Prod5 into the document (which it starts), with the progress box. True when the document has
// lines to show; false when no purchase lies in the span, or when a table could not be opened
// (the user has been told and the program is ending).
bool MakePurchasingReport(ReportDocument& doc, double spanStart, double spanEnd);

}  // namespace reports
