#include "reports/invoice_loader.h"

#include <algorithm>
#include <optional>
#include <string>

#include "db/field_values.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "invoice/invoice_data.h"
#include "masters/address_block.h"
#include "reports/invoice_pass.h"

namespace reports {
namespace {

// Beyond this many cents a double can print a figure other than the field's.
constexpr Cents kExactCents = 10'000'000'000'000;

// The text LoadInvoice gives an amount field, "%*.2f" of its value: from the field's digits when
// it holds a plain amount, else through QString::asprintf as LoadInvoice does.
QString AmountText(const xbase::Field* field, int width) {
    const std::string text = field->str();
    const std::optional<Cents> cents = PlainCents(text, '.');
    if (!cents || *cents >= kExactCents || *cents <= -kExactCents)
        return QString::asprintf("%*.2f", width, field->asDouble());
    return FixedCentsText(*cents, width);
}

// The invoice number of the current ITM5 or PMT record is `ivNo`.
bool OfInvoice(const xbase::Field* field, int ivNo) {
    return field->asInt() == ivNo;
}

}  // namespace

QString FixedCentsText(int64_t cents, int width) {
    char reversed[32];
    int n = 0;
    uint64_t magnitude = cents < 0 ? 0 - static_cast<uint64_t>(cents) : uint64_t(cents);
    reversed[n++] = static_cast<char>('0' + magnitude % 10);
    reversed[n++] = static_cast<char>('0' + magnitude / 10 % 10);
    reversed[n++] = '.';
    magnitude /= 100;
    do {
        reversed[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (cents < 0) reversed[n++] = '-';
    QString text(std::max(width, n), u' ');
    for (int i = 0; i < n; ++i) text[text.size() - 1 - i] = QLatin1Char(reversed[i]);
    return text;
}

bool InvoiceLoader::Load(uint32_t rec) {
    AddressLines = {};
    // In a run the invoice is mostly the current record already; going to it again would lose
    // the table's place in its tag.
    if (rec == 0 || (InvTbl->recNo() != rec && InvTbl->go(rec) != xbase::kFound)) {
        DbContext->errorCode();
        return false;
    }
    ReadInvoice();
    LoadItems();
    LoadPayments();
    CustTbl->select(CustTbl->tag("CCNO"));
    if (CustTbl->seek(NumberKey(InvBuf.CuNo)) == xbase::kFound && !CustTbl->deleted()) {
        ReadCustomerAddress();
        CustAddressBlock();
    }
    return true;
}

void InvoiceLoader::LoadItems() {
    ItemRows.clear();
    const int ivNo = InvBuf.IvNo;
    ItemTbl->select(ItemTbl->tag("Itm"));
    if (ItemTbl->seek(NumberKey(ivNo)) != xbase::kFound || !OfInvoice(ItemFld.IvNo, ivNo)) return;
    do {
        if (ItemTbl->deleted()) continue;
        const ItemFields& f = ItemFld;
        ItemRow row;
        row[kItemPrID] = ReadText(f.PrID);
        row[kItemQty] = AmountText(f.Qty, 9);
        row[kItemPrice] = AmountText(f.UPR, 8);
        row[kItemTax1] = TaxFlag(f.LTax1->isTrue());
        row[kItemTax2] = TaxFlag(f.LTax2->isTrue());
        row[kItemDesc] = ReadText(f.PDesc);
        row[kItemComment] = TrimRight(ReadText(f.IComm));
        const ProductNote& product = Product(row[kItemPrID]);
        if (product.found) {
            row[kItemRCode] = product.licence;
            row[kItemPMemo] = product.memo;
        }
        ItemRows.push_back(row);
    } while (ItemTbl->skip() == xbase::kFound && OfInvoice(ItemFld.IvNo, ivNo));
}

void InvoiceLoader::LoadPayments() {
    PmtRows.clear();
    const int ivNo = InvBuf.IvNo;
    PmtTbl->select(PmtTbl->tag("Pmt"));
    if (PmtTbl->seek(NumberKey(ivNo)) != xbase::kFound || !OfInvoice(PmtFld.IvNo, ivNo)) return;
    do {
        if (!PmtTbl->deleted()) PmtRows.push_back({QString(), AmountText(PmtFld.PAmt, 10)});
    } while (PmtTbl->skip() == xbase::kFound && OfInvoice(PmtFld.IvNo, ivNo));
}

const InvoiceLoader::ProductNote& InvoiceLoader::Product(const QString& code) {
    auto known = products_.constFind(code);
    if (known != products_.constEnd()) return *known;
    ProductNote note;
    ProdTbl->select(ProdTbl->tag("Prod"));
    if (Seek(ProdTbl, code.toUpper()) == xbase::kFound) {
        note.found = true;
        note.licence = ReadText(ProdFld.RCode).trimmed();
        note.memo = ReadMemo(ProdFld.PMemo).trimmed();
    }
    return *products_.insert(code, note);
}

}  // namespace reports
