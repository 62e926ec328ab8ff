#include "invoice/invoice_store.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/convert.h"
#include "core/money.h"
#include "db/change.h"
#include "db/current_records.h"
#include "db/field_values.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "invoice/invoice_data.h"
#include "masters/address_block.h"
#include "masters/numbering.h"

namespace {

// The invoice number of the current record of a table whose first field is IvNo.
int IvNoOf(xbase::Field* ivNo) {
    return ivNo->asInt();
}

// Puts the table, in its tag on the invoice number, on the first record of invoice `ivNo`;
// false when it has none.
bool FindFirst(xbase::Table* table, const char* tag, xbase::Field* ivNo, int number) {
    table->select(table->tag(tag));
    return table->seek(NumberKey(number)) == xbase::kFound && IvNoOf(ivNo) == number;
}

// The invoice number under which spare records wait in the tags on the invoice number.
constexpr int kSpareNumber = 0;

// Makes the current record a spare: blank, under the spare number, marked deleted.
void MakeSpare(xbase::Table* table, xbase::Field* ivNo) {
    for (int i = 0; i < table->fieldCount(); ++i) table->fieldAt(i)->assign("");
    ivNo->assignInt(kSpareNumber);
    table->deleteRecord();
}

// Adds to *recs the record numbers of up to `wanted` spare records, lowest first.
void TakeSpares(xbase::Table* table, const char* tag, xbase::Field* ivNo, size_t wanted,
                std::vector<uint32_t>* recs) {
    if (wanted == 0 || !FindFirst(table, tag, ivNo, kSpareNumber)) return;
    do {
        if (!table->deleted()) continue;
        recs->push_back(table->recNo());
        --wanted;
    } while (wanted > 0 && table->skip() == xbase::kFound && IvNoOf(ivNo) == kSpareNumber);
}

// Spare records of the table, counted up to `limit`.
uint32_t CountSpares(xbase::Table* table, const char* tag, xbase::Field* ivNo, uint32_t limit) {
    uint32_t count = 0;
    if (!FindFirst(table, tag, ivNo, kSpareNumber)) return 0;
    do {
        if (table->deleted()) ++count;
    } while (count < limit && table->skip() == xbase::kFound && IvNoOf(ivNo) == kSpareNumber);
    return count;
}

// Writes the rows of one kind into the invoice's records: its own (live or marked), then spare
// records, then appended ones. The tag keeps records of one key in record-number order, so when
// the invoice grows its records are written lowest first and the rows keep their order; when
// it shrinks the records left over become spares. `write` fills the buffer from row i and
// writes it into the current record. False when a record cannot be read or appended.
template <typename Write>
bool RewriteRows(xbase::Table* table, const char* tag, xbase::Field* ivNo, int number, int rows,
                 Write write) {
    std::vector<uint32_t> recs;
    if (FindFirst(table, tag, ivNo, number)) {
        do recs.push_back(table->recNo());
        while (table->skip() == xbase::kFound && IvNoOf(ivNo) == number);
    }
    const auto wanted = static_cast<size_t>(rows);
    if (recs.size() < wanted) {
        TakeSpares(table, tag, ivNo, wanted - recs.size(), &recs);
        std::sort(recs.begin(), recs.end());
    }
    for (size_t i = 0; i < std::max(wanted, recs.size()); ++i) {
        if (i < recs.size() ? table->go(recs[i]) != xbase::kFound : table->appendBlank() < 0)
            return false;
        if (i >= wanted) {
            MakeSpare(table, ivNo);
            continue;
        }
        if (table->deleted()) table->recall();
        write(static_cast<int>(i));
    }
    return true;
}

// Makes every record of invoice `number` a spare; *any tells whether it had one.
bool SpareAll(xbase::Table* table, const char* tag, xbase::Field* ivNo, int number, bool* any) {
    *any = FindFirst(table, tag, ivNo, number);
    return RewriteRows(table, tag, ivNo, number, 0, [](int) {});
}

void FillItemBuf(const ItemRow& row) {
    ItemBuf.IvNo = InvBuf.IvNo;
    ItemBuf.PrID = row[kItemPrID];
    ItemBuf.Qty = FromCents(TextCentsOr0(row[kItemQty]));
    ItemBuf.UPR = FromCents(TextCentsOr0(row[kItemPrice]));
    ItemBuf.LTax1 = row[kItemTax1] == "t";
    ItemBuf.LTax2 = row[kItemTax2] == "t";
    ItemBuf.PDesc = row[kItemDesc];
    ItemBuf.IComm = row[kItemComment];
}

void FillPmtBuf(const PmtRow& row) {
    PmtBuf.IvNo = InvBuf.IvNo;
    PmtBuf.PDate = FixCentury(ShortTextToDate(row[kPmtDate]).value_or(0));
    PmtBuf.PAmt = FromCents(TextCentsOr0(row[kPmtAmount]));
}

// Does the amount fit a numeric field of this width with two decimals?
bool FitsAmount(double amount, int width) {
    return QString::asprintf("%.2f", amount).size() <= width;
}

bool FitsText(const QString& text, int width) {
    return text.trimmed().size() <= width;
}

bool Fail(QString* error, const QString& text) {
    if (error) *error = text;
    return false;
}

// Ends a change that went wrong part way; the engine's pending error gives the reason.
bool Abandon(QString* error, const QString& what) {
    RollbackChange();
    const int code = DbContext->errorCode();
    QString reason = code < 0 ? QString::fromStdString(DbContext->errorText()) : QString();
    return Fail(error, reason.isEmpty() ? what : what + "\n" + reason);
}

// Packs a table in which the change marked records. The change is durable already and marked
// records are no part of any invoice (and spares wait to be taken), so a pack that fails only
// leaves the work for the pack when the invoice loop ends.
void PackMarked(xbase::Table* table) {
    if (table->pack() >= 0) return;
    DbContext->errorCode();
    PackPending = true;
}

}  // namespace

std::string NumberKey(int number) {
    char text[16];
    const int n = std::snprintf(text, sizeof text, "%6d", number);
    return std::string(text, static_cast<size_t>(std::max(n, 0)));
}

QString InvKey(int number) {
    return QString::fromStdString(NumberKey(number));
}

int NextInvoiceNo() {
    InvTbl->select(InvTbl->tag("Inv"));
    if (InvTbl->bottom() != xbase::kFound) return 1;
    return InvFld.IvNo->asInt() + 1;
}

ItemProduct FindItemProduct(const QString& code) {
    ItemProduct product;
    ProdTbl->select(ProdTbl->tag("Prod"));
    if (Seek(ProdTbl, code.toUpper()) == xbase::kFound) {
        product.found = true;
        product.licence = ReadText(ProdFld.RCode).trimmed();
        product.memo = ReadMemo(ProdFld.PMemo).trimmed();
    }
    return product;
}

void LoadItemRows(const std::function<ItemProduct(const QString&)>& product) {
    ItemRows.clear();
    const int number = InvBuf.IvNo;
    if (!FindFirst(ItemTbl, "Itm", ItemFld.IvNo, number)) return;
    do {
        if (ItemTbl->deleted()) continue;
        const ItemFields& f = ItemFld;
        ItemRow row;
        row[kItemPrID] = ReadText(f.PrID);
        row[kItemQty] = ReadAmount(f.Qty, 9);
        row[kItemPrice] = ReadAmount(f.UPR, 8);
        row[kItemTax1] = TaxFlag(f.LTax1->isTrue());
        row[kItemTax2] = TaxFlag(f.LTax2->isTrue());
        row[kItemDesc] = ReadText(f.PDesc);
        row[kItemComment] = TrimRight(ReadText(f.IComm));
        if (const ItemProduct found = product(row[kItemPrID]); found.found) {
            row[kItemRCode] = found.licence;
            row[kItemPMemo] = found.memo;
        }
        ItemRows.push_back(row);
    } while (ItemTbl->skip() == xbase::kFound && IvNoOf(ItemFld.IvNo) == number);
}

void LoadPaymentRows(bool dated) {
    PmtRows.clear();
    const int number = InvBuf.IvNo;
    if (!FindFirst(PmtTbl, "Pmt", PmtFld.IvNo, number)) return;
    do {
        if (PmtTbl->deleted()) continue;
        PmtRows.push_back({dated ? DateToShortText(ReadDate(PmtFld.PDate)) : QString(),
                           ReadAmount(PmtFld.PAmt, 10)});
    } while (PmtTbl->skip() == xbase::kFound && IvNoOf(PmtFld.IvNo) == number);
}

bool LoadInvoice(int32_t rec) {
    AddressLines = {};
    if (rec <= 0 || InvTbl->go(static_cast<uint32_t>(rec)) != xbase::kFound) {
        DbContext->errorCode();
        return false;
    }
    ReadInvoice();
    LoadItemRows(FindItemProduct);
    LoadPaymentRows(true);
    CustTbl->select(CustTbl->tag("CCNO"));
    if (Seek(CustTbl, InvKey(InvBuf.CuNo)) == xbase::kFound && !CustTbl->deleted()) {
        ReadCustomer();
        CurCustRec = static_cast<int32_t>(CustTbl->recNo());
        CustAddressBlock();
    }
    return true;
}

QString InvoiceFitProblem() {
    const InvoiceRecord& b = InvBuf;
    if (b.IvNo < 1 || b.IvNo > 999999)
        return QString("Invoice number %1 is not between 1 and 999999.").arg(b.IvNo);
    if (DateToText(b.IDate).isEmpty()) return "The date sold is not a valid date.";
    if (!FitsAmount(b.Ship, 11) || !FitsAmount(b.Tax, 11) || !FitsAmount(b.Due, 13))
        return "An amount of the invoice is too large to be stored.";
    for (const ItemRow& row : ItemRows) {
        const QString what = "Item " + row[kItemPrID].trimmed() + ": ";
        const std::optional<Cents> qty = TextToCents(row[kItemQty]);
        const std::optional<Cents> price = TextToCents(row[kItemPrice]);
        if (!qty || !FitsAmount(FromCents(*qty), 10))
            return what + "the quantity '" + row[kItemQty].trimmed() + "' cannot be stored.";
        if (!price || !FitsAmount(FromCents(*price), 9))
            return what + "the price '" + row[kItemPrice].trimmed() + "' cannot be stored.";
        const struct {
            int column;
            const char* name;
            int width;
        } texts[] = {{kItemPrID, "product code", 10},
                     {kItemDesc, "description", 27},
                     {kItemComment, "comment line", 27}};
        for (const auto& text : texts)
            if (!FitsText(row[text.column], text.width))
                return what + QString("the %1 is longer than its field's %2 characters.")
                                  .arg(text.name)
                                  .arg(text.width);
    }
    for (const PmtRow& row : PmtRows) {
        const std::optional<double> date = ShortTextToDate(row[kPmtDate]);
        if (!date || DateToText(*date).isEmpty())
            return "The payment date '" + row[kPmtDate].trimmed() + "' is not a valid date.";
        const std::optional<Cents> amount = TextToCents(row[kPmtAmount]);
        if (!amount || !FitsAmount(FromCents(*amount), 11))
            return "The payment amount '" + row[kPmtAmount].trimmed() + "' cannot be stored.";
    }
    return {};
}

bool StoreInvoice(int32_t rec, const QString& customerNote, int32_t* savedRec, QString* error,
                  const CustomerRecord* newCustomer) {
    if (const QString problem = InvoiceFitProblem(); !problem.isEmpty())
        return Fail(error, problem);
    if (!BeginChange(error)) return false;

    if (newCustomer) {
        const int number = NextCustNo();
        if (number > kMaxCustNo)
            return Abandon(error, "Every customer number up to " + QString::number(kMaxCustNo) +
                                      " is in use; the new customer cannot be added.");
        if (CustTbl->appendBlank() < 0)
            return Abandon(error,
                           "Unable to add the customer at this time. Please try again later");
        CustBuf = *newCustomer;
        CustBuf.cuno = number;
        CustBuf.note = customerNote.trimmed();
        WriteCustomer();
        InvBuf.CuNo = number;
    }

    if (rec <= 0) {
        if (InvTbl->appendBlank() < 0)
            return Abandon(error, "Unable to add invoice at this time. Please try again later");
    } else if (InvTbl->go(static_cast<uint32_t>(rec)) != xbase::kFound) {
        return Abandon(error, "The invoice cannot be found in the invoice table.");
    }
    if (InvTbl->deleted()) InvTbl->recall();
    WriteInvoice();
    const auto invoiceRec = static_cast<int32_t>(InvTbl->recNo());

    const int number = InvBuf.IvNo;
    if (!RewriteRows(ItemTbl, "Itm", ItemFld.IvNo, number, ItemHigh() + 1, [](int i) {
            FillItemBuf(ItemRows[static_cast<size_t>(i)]);
            WriteItem();
        }))
        return Abandon(error, "Unable to add invoice Items at this time. Please try again later");
    if (!RewriteRows(PmtTbl, "Pmt", PmtFld.IvNo, number, PmtHigh() + 1, [](int i) {
            FillPmtBuf(PmtRows[static_cast<size_t>(i)]);
            WritePayment();
        }))
        return Abandon(error, "Unable to add Payments at this time. Please try again later");

    CustTbl->select(CustTbl->tag("CCNO"));
    CustBuf.note = customerNote.trimmed();
    if (Seek(CustTbl, InvKey(InvBuf.CuNo)) == xbase::kFound) WriteText(CustFld.note, CustBuf.note);
    CustTbl->select(CustTbl->tag("cname"));

    if (!CommitChange(error)) return false;
    if (savedRec) *savedRec = invoiceRec;
    return true;
}

bool AppendInvoiceInChange(QString* error) {
    if (const QString problem = InvoiceFitProblem(); !problem.isEmpty())
        return Fail(error, problem);
    if (InvTbl->appendBlank() < 0)
        return Fail(error, "Unable to add invoice at this time. Please try again later");
    WriteInvoice();
    for (const ItemRow& row : ItemRows) {
        if (ItemTbl->appendBlank() < 0)
            return Fail(error, "Unable to add invoice Items at this time. Please try again later");
        FillItemBuf(row);
        WriteItem();
    }
    for (const PmtRow& row : PmtRows) {
        if (PmtTbl->appendBlank() < 0)
            return Fail(error, "Unable to add Payments at this time. Please try again later");
        FillPmtBuf(row);
        WritePayment();
    }
    return true;
}

bool RemoveInvoice(int32_t rec, int ivNo, QString* error) {
    if (rec <= 0 || InvTbl->go(static_cast<uint32_t>(rec)) != xbase::kFound ||
        InvFld.IvNo->asInt() != ivNo) {
        DbContext->errorCode();
        return Fail(error, "The invoice is not stored, so there is nothing to delete.");
    }
    if (!BeginChange(error)) return false;
    bool items = false;
    bool payments = false;
    if (!SpareAll(ItemTbl, "Itm", ItemFld.IvNo, ivNo, &items) ||
        !SpareAll(PmtTbl, "Pmt", PmtFld.IvNo, ivNo, &payments))
        return Abandon(error, "The invoice's items and payments cannot be read.");
    InvTbl->go(static_cast<uint32_t>(rec));
    InvTbl->deleteRecord();
    if (!CommitChange(error)) return false;
    if (items) PackMarked(ItemTbl);
    if (payments) PackMarked(PmtTbl);
    PackMarked(InvTbl);
    return true;
}

QStringList TablesCrowdedWithSpares() {
    const struct {
        xbase::Table* table;
        const char* tag;
        xbase::Field* ivNo;
        const char* name;
    } tables[] = {{ItemTbl, "Itm", ItemFld.IvNo, "ITM5"}, {PmtTbl, "Pmt", PmtFld.IvNo, "PMT"}};
    QStringList crowded;
    for (const auto& t : tables) {
        const uint32_t limit = t.table->recCount() / kSpareShareToPack;
        if (CountSpares(t.table, t.tag, t.ivNo, limit + 1) > limit) crowded << t.name;
    }
    // A read that failed only leaves the spares for the next loop or the user's Pack.
    DbContext->errorCode();
    return crowded;
}
