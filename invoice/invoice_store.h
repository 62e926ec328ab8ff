// Reading, saving and deleting the open invoice (invoice_data.h, with its header in InvBuf).
// An invoice is one INV5 record, one ITM5 record per item and one PMT record per payment, tied
// by the invoice number and found through the tags Inv, Itm and Pmt. CUST5, INV5, ITM5, PMT and
// Prod5 must be open.
//
// Saving rewrites the invoice's old item and payment records in place and the stored rows
// always equal the open rows in the same order. Saving and deleting are each one all-or-nothing
// change (db/change.h). Records marked deleted are never part of an invoice: loading, reports
// and the checks pass over them.
//
// Spare records. ITM5 and PMT are large and packing them takes seconds, so saving an invoice
// that lost items or payments does not pack them: its records left over become spares,
// blanked (every field empty, so no other tool reads a sale in them), given invoice number 0,
// which no invoice has, and marked deleted. In the tags on the invoice number (Itm, Pmt) the
// spares thus stand together under key "     0", in record-number order, and the next save
// that needs records finds them by one seek there: it takes them before it appends. The engine
// orders records of one key by record number, so an invoice that grows writes its rows into
// its own records and the spares it takes lowest record first, and the rows keep their order.
// A spare taken is written whole, as an appended blank record would be. The user's Pack
// removes spares like every marked record, and the invoice loop packs a table when it closes
// once its spares pass a tenth of its records (TablesCrowdedWithSpares).
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>

#include "db/records.h"

// The key of an invoice or customer number in the Inv, Itm, Pmt and CCNO tags: the number
// right-aligned in six places. NumberKey gives it as the engine's seeks take it, without a
// QString on the way (reports seek it once an invoice).
std::string NumberKey(int number);
QString InvKey(int number);

// The highest stored invoice number plus one; 1 when INV5 is empty.
int NextInvoiceNo();

// What an item row shows of its product: whether Prod5 holds it, its licence code and its memo,
// trimmed.
struct ItemProduct {
    bool found = false;
    QString licence;
    QString memo;
};

// Product `code` (upper-cased) through the Prod5 tag "Prod", which it selects.
ItemProduct FindItemProduct(const QString& code);

// Puts the items of invoice InvBuf.IvNo into ItemRows in stored order, through the ITM5 tag
// "Itm" (which it selects); records marked deleted are passed over. `product` gives each item's
// RCode and PMemo from its product code: FindItemProduct, or a cache of it over many invoices.
void LoadItemRows(const std::function<ItemProduct(const QString&)>& product);

// Puts the payments of invoice InvBuf.IvNo into PmtRows likewise, through the PMT tag "Pmt";
// undated (the date column left empty) where only the amounts are wanted.
void LoadPaymentRows(bool dated);

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
// tables. The items and payments are made spares first, so that where a pack fails they wait
// to be taken by the next save. On failure nothing is changed and *error says why.
bool RemoveInvoice(int32_t rec, int ivNo, QString* error);

// A table whose spare records pass one in this many of its records is packed when the invoice
// loop ends.
inline constexpr uint32_t kSpareShareToPack = 10;

// "ITM5" and "PMT" when their spares pass that share, counted up to it (so at most a tenth of
// the table is read, and only when it is packed after); a count that cannot be read packs
// nothing.
QStringList TablesCrowdedWithSpares();
