// The pick routines: each shows a table's pick list and, when New is chosen there, the table's
// editor for a new record. They take `allowNew` (offer New) and set *createdNew when the record
// returned was made through New; they return true when a record was chosen or created, whose
// number is then in the table's current-record variable. Before calling, set that variable to
// the record to highlight. The tables named in each editor's header must be open.
//
// On an empty table without `allowNew` the routine only says so ("Customer Database is Empty"
// and the like) and returns false; with `allowNew` it shows the empty list so that New can be
// chosen.
#pragma once

class QWidget;

bool PickCustomer(bool allowNew, bool* createdNew = nullptr, QWidget* parent = nullptr);
bool PickGroup(bool allowNew, bool* createdNew = nullptr, QWidget* parent = nullptr);
bool PickProduct(bool allowNew, bool* createdNew = nullptr, QWidget* parent = nullptr);
bool PickPurchase(bool allowNew, bool* createdNew = nullptr, QWidget* parent = nullptr);
bool PickLabelStock(bool allowNew, bool* createdNew = nullptr, QWidget* parent = nullptr);
