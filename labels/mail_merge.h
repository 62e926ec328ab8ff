// The mail-merge file: the names and addresses of the customers of chosen groups as tab-delimited
// text for a word processor's mail merge. One line per record, ending in carriage return and
// line feed, in the tables' own single-byte code page (Windows-1252); fields separated by one
// tab with no quoting or escaping, so a tab inside a field gives the line an extra column. The first line is the
// header "Title", "FirstName", "LastName", "Company", "Addr1", "Addr2", "Addr3", "PostalCode";
// each customer's fields follow in that order (the company column is address line 1, whatever
// the customer order), trimmed at both ends.
#pragma once

#include <QList>
#include <QString>

namespace labels {

// The file's header line, without its line end.
QString MergeHeader();

struct MergeResult {
    bool saved = false;
    QString message;  // on failure: "Unable to save to: " and the file name
    int customers = 0;
};

// Writes the file from CUST5 (which it opens and closes), walking the customers in postal-code
// order, records marked deleted but not yet packed included, with the progress box "Exporting
// Mail Merge File". The file replaces an earlier one of that name only when it is complete; on
// any failure an earlier file stays as it was and no new one is left behind. A device, FIFO or
// socket named is written into and stays what it is.
MergeResult WriteMailMerge(const QString& fileName, const QList<int>& groups);

}  // namespace labels
