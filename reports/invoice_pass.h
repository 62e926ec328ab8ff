// What the sales, income and customer reports share in their passes over the invoice tables:
// the records of a date tag that lie within a span, the items of an invoice, customers and
// groups found by number, and amounts kept in whole cents. Money is summed as integer cents: an
// item's sale is price x quantity rounded to the cent as the invoice itself rounds it, and every
// total is an exact sum of the cents printed above it, so no total is ever a cent off.
#pragma once

#include <QHash>
#include <QString>
#include <cstddef>
#include <functional>
#include <string>

#include "core/money.h"
#include "db/xbase/xbase.h"

namespace reports {

// While it lives, the table engine keeps at most a few megabytes of what it reads (never more
// than the setting allows): for a pass that reads each record of its span and each item once,
// in the order they lie, what was read is not wanted again, and memory not taken costs no
// faulting in of fresh pages. A pass that goes back to records it read (customers found by
// number) keeps the setting's whole cache.
class OnePassCache {
public:
    OnePassCache();
    ~OnePassCache();
    OnePassCache(const OnePassCache&) = delete;
    OnePassCache& operator=(const OnePassCache&) = delete;

private:
    size_t setting_ = 0;
};

// The records of a table whose date key lies within a span, in the order of the table's date
// tag ("InvD" on INV5, "PmtD" on PMT).
class SpanPass {
public:
    // Selects the tag and seeks the first record dated from spanStart to spanEnd (day numbers,
    // inclusive).
    SpanPass(xbase::Table* table, const char* tagName, double spanStart, double spanEnd);

    // True when the span holds no record, not even one marked deleted.
    bool Empty() const { return empty_; }

    // Calls `visit` on each record of the span that is not marked deleted, in date order, with
    // the progress box showing `caption` over the records visited (counted first when a
    // progress display is installed). False when a read failed (the user has been told and the
    // program is ending).
    bool Run(const QString& caption, const std::function<void()>& visit);

private:
    bool InSpan(int rc);

    xbase::Table* table_;
    std::string firstKey_;
    std::string lastKey_;
    bool empty_ = true;
};

// What the payments dated after the day `asOf` (a day number) paid of each invoice, by invoice
// number, through the PMT tag "PmtD" with the progress box; PMT must be open. Adding them to an
// invoice's stored balance gives its balance as of that day. False when a read failed (the user
// has been told and the program is ending).
bool PaymentsAfter(double asOf, QHash<int, Cents>* paid);

// Walks every invoice of INV5 (not marked deleted) dated up to the day `asOf` whose balance as of
// that day is not zero, with the progress box: InvBuf holds its number, customer, date and amounts
// (ReadInvoiceAmounts) when `visit` is given that balance. INV5 and PMT must be open. False when a
// read failed (the user has been told and the program is ending).
bool VisitOpenInvoices(double asOf, const std::function<void(Cents balance)>& visit);

// Reads what the reports use of the current INV5 record into InvBuf: number, customer, date and
// the three amounts (the department, short memo and remark are left as they were). Reads only
// these fields, as a pass over many invoices needs.
void ReadInvoiceAmounts();

// Reads each item of invoice `ivNo` into ItemBuf, in stored order, and calls `visit`; items
// marked deleted are passed over. Only the numbers the reports use are read: number, quantity,
// price and the tax flags; `visit` reads the product code with ReadItemCode when it needs it.
// ITM5 must be open with its tag "Itm" selected.
void ForEachItem(int ivNo, const std::function<void()>& visit);

// ForEachItem for the invoices of one pass: when an invoice's items follow those of the invoice
// asked for before it in "Itm" (numbers in order), they are read on from where those ended
// rather than sought. Between its calls nothing may move ITM5 or change the tables but reads of
// the current item (ReadItemCode).
class ItemPass {
public:
    void ForEach(int ivNo, const std::function<void()>& visit);

private:
    int next_ = -1;  // the invoice on whose first item in "Itm" ITM5 stands; -1 when unknown
};

// Reads the product code of the current ITM5 record into ItemBuf.
void ReadItemCode();

// A numeric field of whole numbers (invoice, customer and group numbers), read from its text
// without the locale when it is plain digits.
int FieldInt(const xbase::Field* field);

// A numeric field in cents, read from its text without the locale when it is a plain number.
Cents FieldCents(const xbase::Field* field);

// The payments of invoice `ivNo` summed, through the PMT tag "Pmt" (which it selects); payments
// marked deleted are passed over.
Cents PaymentsOf(int ivNo);

// The sale of the item in ItemBuf: price x quantity to the cent.
Cents ItemSale();

// Reads what the reports use of the current CUST5 record into CustBuf: number, name, address
// and group; the rest is left empty.
void ReadCustomerAddress();

// Reads customer `number` into CustBuf with ReadCustomerAddress, through the CUST5 tag "CCNO"
// (which it selects). False when there is none (a record marked deleted counts as none).
bool FindCustomerNo(int number);

// ReportName of customer `number`, found as FindCustomerNo finds it with only the fields the
// name is made of read (CustBuf holds those, the rest left empty); "UNKNOWN" when there is none.
QString CustomerReportName(int number);

// The name the reports list the customer in CustBuf under: title, first and last name (each
// trimmed, one blank between) when customers are ordered by name, else the company (address
// line 1, trimmed).
QString ReportName();

// The trimmed name of group `number` through the GROUPS tag "nGroup"; "UNKNOWN" when there is no
// such group.
QString GroupNameOf(int number);

// The amount in the report's fixed-point format of `width` with two decimals, as NumText writes
// it; MoneyCell puts a cell's column code in front, made in one piece as lines are made by the
// hundred thousand.
QString MoneyText(Cents amount, int width);
QString MoneyCell(const QString& code, Cents amount, int width);

// The date texts of a report, the last one kept: the lines of a pass mostly repeat the
// date of the line before.
class ReportDates {
public:
    const QString& Of(double day);

private:
    double day_ = -1e9;
    QString text_;
};

// True when a table read failed: the user has been told and the program is ending.
bool PassFailed();

}  // namespace reports
