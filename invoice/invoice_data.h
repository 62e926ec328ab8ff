// The open invoice: its header in InvBuf (db/program_state.h), its line items and payments as the
// rows of texts the editor shows and edits, and the sums last computed. One invoice is open at a
// time; the invoice editor sets it up each time it is shown, and the item and payment dialogs
// change its rows. Nothing here reaches a table before the invoice is saved (invoice_store.h).
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

// The columns of an item row. Quantity and price are texts as typed or as loaded ("%9.2f",
// "%8.2f"); the tax flags are "t" or "f"; RCode and PMemo come from the product and are not
// stored with the item.
enum ItemColumn {
    kItemPrID = 0,
    kItemQty = 1,
    kItemPrice = 2,
    kItemTax1 = 3,
    kItemTax2 = 4,
    kItemDesc = 5,
    kItemComment = 6,
    kItemRCode = 7,
    kItemPMemo = 8,
    kItemColumns = 9
};
using ItemRow = std::array<QString, kItemColumns>;

// The columns of a payment row: the date paid in the short date format, the amount ("%10.2f").
enum PmtColumn { kPmtDate = 0, kPmtAmount = 1, kPmtColumns = 2 };
using PmtRow = std::array<QString, kPmtColumns>;

// The items and payments of the open invoice, in entry order.
extern std::vector<ItemRow> ItemRows;
extern std::vector<PmtRow> PmtRows;
// The index of the last row, -1 when there is none.
inline int ItemHigh() {
    return static_cast<int>(ItemRows.size()) - 1;
}
inline int PmtHigh() {
    return static_cast<int>(PmtRows.size()) - 1;
}

// The subtotal, the total and the sum of payments as last computed (invoice_totals.h).
extern double InvSubtotal;
extern double InvTotal;
extern double InvPaid;

// The INV5 record of the invoice to edit or picked: above 0 a record, 0 a new invoice, -1 none.
extern int32_t CurInvRec;

// "t" or "f".
inline QString TaxFlag(bool on) {
    return on ? QStringLiteral("t") : QStringLiteral("f");
}

// Empties the rows and the sums; InvBuf is left alone.
void ClearInvoiceRows();
