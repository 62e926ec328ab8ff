// The product listing: every product in product order with its description, unit price and
// reorder level, and its comment on a line of its own when it has one.
#pragma once

#include "report/report_document.h"

namespace reports {

// Builds the listing from Prod5 into the document (which it starts), with the progress box.
// True when the document has lines to show; false when there is no product, or when the table
// could not be opened (the user has been told and the program is ending).
bool MakeProductListing(ReportDocument& doc);

}  // namespace reports
