// The stock reports: stock on hand, cost of goods sold over a span and the inventory valuation at
// a date, each over the products whose inventory flag is set, in product order, costed by
// CostProduct (inventory_costing.h) with the settings' method.
#pragma once

#include "report/report_document.h"

namespace reports {

// Each builds its report into the document (which it starts), with the progress box. True when
// the document has lines to show; false when there is nothing to show or a table could not be
// opened or read (the user has been told and the program is ending).

// Stock on hand, on order and the reorder level of every tracked product as of `today`; a
// product short of its level is marked "YES" in bold.
bool MakeStockOnHand(ReportDocument& doc, double today);

// Beginning inventory (the day before spanStart), the purchases dated in the span, the ending
// inventory (spanEnd) and the cost of goods sold. Always has lines once the tables are read.
bool MakeCostOfGoodsSold(ReportDocument& doc, double spanStart, double spanEnd);

// The quantity and value left of every tracked product as of `asOf`, with the total value.
bool MakeInventoryValuation(ReportDocument& doc, double asOf);

}  // namespace reports
