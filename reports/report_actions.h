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

// The sales and tax menu: "Sales Summary", "Product Summary", "Income Summary" and "Tax Summary"
// over the current month or the span the user picks; "Product Buyers" of a product picked from
// the product list, then a span; "Receivable Income" aged to today or the day the user gives.
void RunSalesSummary(QWidget* parent);
void RunProductSummary(QWidget* parent);
void RunProductBuyers(QWidget* parent);
void RunDailyIncome(QWidget* parent);
void RunReceivables(QWidget* parent);
void RunTaxReport(QWidget* parent);

// "Aging": as of the day the user gives (today by default), by due date or by invoice date,
// with or without each open invoice.
void RunAgingReport(QWidget* parent);

// "Reminder Letters": the letters due as of the day the user gives, shown in the report window;
// afterwards the user is asked whether to record them as sent (and charge their fees), and
// Cancel records nothing.
void RunReminderLetters(QWidget* parent);

// "Messages Sent": the sent log over the current month or the span the user picks.
void RunSentLog(QWidget* parent);

// The purchasing profile menu: customers picked one by one from the customer list until it is
// closed without a choice, or the customers of the groups chosen.
void RunCustomerProfile(QWidget* parent);
void RunGroupProfile(QWidget* parent);

}  // namespace reports
