// The five kinds of label run and the customers each labels, read from the tables: customers
// given by number; the customer of every invoice dated in a span; the same for invoices with an
// amount due; every customer with an amount due on an invoice dated in a span, once; every
// customer of chosen groups. The window, the command line and the tests call it alike.
#pragma once

#include <QList>
#include <vector>

#include "labels/label_run.h"

namespace labels {

enum class LabelKind {
    SelectedCustomers = 1,
    InvoicesDated = 2,
    PastDueBilling = 3,
    BalanceDueStatement = 4,
    CustomerGroups = 5,
};

// What a run labels; each kind reads its part. Days are day numbers, inclusive at both ends.
struct LabelSelection {
    LabelKind kind = LabelKind::SelectedCustomers;
    QList<int> customers;  // customer numbers, in the order labelled
    double from = 0;
    double to = 0;
    QList<int> groups;  // group numbers
};

struct SelectedLabels {
    // False when a table read failed (the user has been told and the program is ending).
    bool read = true;
    // The address block of each label, in the order printed.
    std::vector<AddressBlock> labels;
    // Customers given by number that have no record.
    QList<int> notFound;
};

// Reads the labels of the selection from CUST5 and INV5 (which it opens and closes), with the
// progress box of its kind, as the settings' customer order builds the address block:
// - SelectedCustomers: each customer given;
// - InvoicesDated: in date order, the customer of each invoice dated in the span, one label per
//   invoice ("Processing Invoice Labels");
// - PastDueBilling: as InvoicesDated, for invoices whose amount due is not zero ("Processing
//   Billing Labels");
// - BalanceDueStatement: in postal-code order, each customer with at least one invoice dated in
//   the span whose amount due is not zero, one label per customer ("Processing Statement
//   Labels");
// - CustomerGroups: in postal-code order, every customer of the groups ("Processing Customers").
// Invoices whose customer has no record give no label. Records marked deleted but not yet packed
// are labelled like the others.
SelectedLabels SelectLabels(const LabelSelection& selection);

}  // namespace labels
