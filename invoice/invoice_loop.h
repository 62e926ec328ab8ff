// The invoice pick routine and the main window's invoice action.
#pragma once

class QWidget;

// Shows the invoice pick list on CurInvRec and, when New is chosen there, the invoice editor
// for a new invoice; true when an invoice was chosen or created, whose record is then in
// CurInvRec. CUST5, GROUPS, INV5, ITM5, PMT and Prod5 must be open.
bool PickInvoice(bool allowNew, bool* createdNew = nullptr, QWidget* parent = nullptr);

// "Create & Edit Invoices": opens the tables, shows the pick list on the last invoice and the
// editor on every invoice picked until the list is cancelled, closes the tables and packs them
// all when a deletion is left pending, or else ITM5 and PMT where spare records crowd them
// (invoice_store.h).
void RunInvoiceLoop(QWidget* parent);
