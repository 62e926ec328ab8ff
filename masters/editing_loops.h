// The main window's master-data actions. Each opens the tables it needs, shows the table's pick
// list starting on its first record, shows the editor on every record picked (New shows it from
// the pick list), and when the list is cancelled closes the tables again. The customer, group,
// product, purchase and label stock actions pack their table afterwards when a record was
// deleted (PackPending).
#pragma once

class QWidget;

void RunCustomerLoop(QWidget* parent);    // "Add & Edit Customers"
void RunGroupLoop(QWidget* parent);       // "Add & Edit Customer Groups"
void RunProductLoop(QWidget* parent);     // "Add & Edit Products / Services"
void RunPurchaseLoop(QWidget* parent);    // "Add & Edit Inventory Purchases"
void RunLabelStockLoop(QWidget* parent);  // "Label Forms"
