// The report actions of the main window's buttons. Each asks for its selection (if any), builds
// its report into the program's report document with the generator that takes the selection as
// arguments, shows the report window when there is something to show, and releases the document.
#pragma once

class QWidget;

namespace reports {

// "Print Product Listing".
void RunProductListing(QWidget* parent);

// "Print Purchasing Report": the current month, or the span the user picks.
void RunPurchasingReport(QWidget* parent);

// The inventory reports: stock on hand today; cost of goods sold over the current month or the
// span the user picks; the inventory as of the date the user picks (today by default).
void RunStockOnHand(QWidget* parent);
void RunCostOfGoodsSold(QWidget* parent);
void RunInventoryValuation(QWidget* parent);

}  // namespace reports
