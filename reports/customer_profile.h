// The customer profile: for each customer, the address block with the customer number and group
// beside everything the customer has bought (date, product, quantity and unit price of every
// item of every invoice of the customer), the rows continuing past the address lines as far as
// the purchases go, and a rule under each customer.
//
// Each builds its report into the document (which it starts) and returns true when the document
// has lines to show; false when no customer was profiled (for the groups: "No Customers in the
// selected groups.") or when a table could not be opened or read (the user has been told and
// the program is ending).
#pragma once

#include <QList>

#include "report/report_document.h"

namespace reports {

// The customers with these numbers, in the order given. A number with no customer on file is
// told ("Customer not on file: " and the number) and passed over.
bool MakeCustomerProfile(ReportDocument& doc, const QList<int>& customerNumbers);

// Every customer whose group is one of these group numbers, in name order.
bool MakeGroupProfile(ReportDocument& doc, const QList<int>& groupNumbers);

}  // namespace reports
