// Reading, saving and deleting the open invoice (invoice_data.h, with its header in InvBuf).
// An invoice is one INV5 record, one ITM5 record per item and one PMT record per payment, tied
// by the invoice number and found through the tags Inv, Itm and Pmt. CUST5, INV5, ITM5, PMT and
// Prod5 must be open.
//
// Saving rewrites the invoice's old item and payment records in place, in tag order, appends
// the rest and removes the surplus, so the stored rows always equal the open rows in the same
// order. Saving and deleting are each one all-or-nothing change (db/change.h); the tables they
// leave marked records in are packed after the change is durable (when a pack fails, PackPending
// is set and the records wait for the next pack). Records marked deleted are
// never part of an invoice: loading passes over them and saving brings them back to life only
// when it rewrites them.
#pragma once

#include <QString>
#include <cstdint>

#include "db/records.h"

// The key of an invoice or customer number in the Inv, Itm, Pmt and CCNO tags: the number
// right-aligned in six places.
QString InvKey(int number);

// The highest stored invoice number plus one; 1 when INV5 is empty.
int NextInvoiceNo();

// Loads INV5 record `rec` with its items (RCode and product memo looked up in Prod5), its
// payments and its customer: CustBuf, CurCustRec and AddressLines when the customer is in
// CUST5; otherwise AddressLines empty and CuNo kept. False when the record cannot be read.
bool LoadInvoice(int32_t rec);

// Why the open invoice cannot be stored as it is (a number, date or amount that does not fit
// its field); empty when it can.
QString InvoiceFitProblem();

// Stores the open invoice and, when the customer is in CUST5, `customerNote` as its note: into
// INV5 record `rec`, or a new record when `rec` is 0 (InvBuf.IvNo already set). With
// `newCustomer` the invoice is for a customer not stored yet: it is appended to CUST5 in the
// same change, with `customerNote` as its note and the lowest free customer number, which
// becomes InvBuf.CuNo. *savedRec is the invoice's INV5 record afterwards. On failure nothing is
// changed and *error says why.
bool StoreInvoice(int32_t rec, const QString& customerNote, int32_t* savedRec, QString* error,
                  const CustomerRecord* newCustomer = nullptr);

// Appends the open invoice (InvBuf with its number set, its item and payment rows) as a new
// invoice inside a change the caller has begun and ends; only INV5, ITM5 and PMT need be open.
// False with *error saying why when it does not fit its fields or a record cannot be added; the
// caller then rolls the change back.
bool AppendInvoiceInChange(QString* error);

// Removes INV5 record `rec` with every item and payment of invoice `ivNo`, then packs the three
// tables. On failure nothing is changed and *error says why.
bool RemoveInvoice(int32_t rec, int ivNo, QString* error);
