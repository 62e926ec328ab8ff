#include "reports/invoice_pass.h"

#include <QDate>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "core/convert.h"
#include "core/dates.h"
#include "db/field_values.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "invoice/invoice_store.h"
#include "invoice/invoice_totals.h"
#include "report/generator_steps.h"

namespace reports {
namespace {

// What the engine keeps of a single pass's reads.
constexpr size_t kOnePassCacheBytes = size_t{8} << 20;

// The largest whole number FieldInt reads itself; the engine reads and clamps the others.
constexpr Cents kMostFieldInt = 999999999;

std::string Key(const QString& text) {
    return text.toLatin1().toStdString();
}

double Amount(const xbase::Field* field) {
    const std::optional<Cents> cents = PlainCents(field->str(), '.');
    return cents ? FromCents(*cents) : field->asDouble();
}

// A date field as a day number, read straight from its "yyyymmdd" text when it holds one.
double DateOf(const xbase::Field* field) {
    const std::string text = field->str();
    const bool digits = text.size() == 8 && std::all_of(text.begin(), text.end(), [](char c) {
                            return c >= '0' && c <= '9';
                        });
    if (digits) {
        const auto number = [&text](size_t from, size_t count) {
            int n = 0;
            for (size_t i = from; i < from + count; ++i) n = n * 10 + (text[i] - '0');
            return n;
        };
        const QDate date(number(0, 4), number(4, 2), number(6, 2));
        if (date.isValid()) return DateValue(date);
    }
    return ReadDate(field);
}

}  // namespace

OnePassCache::OnePassCache() {
    if (!DbContext) return;
    setting_ = DbContext->cacheLimit();
    DbContext->setCacheLimit(std::min(setting_, kOnePassCacheBytes));
}

OnePassCache::~OnePassCache() {
    if (DbContext && setting_ > 0) DbContext->setCacheLimit(setting_);
}

SpanPass::SpanPass(xbase::Table* table, const char* tagName, double spanStart, double spanEnd)
    : table_(table),
      firstKey_(Key(DateToText(std::floor(spanStart)))),
      lastKey_(Key(DateToText(std::floor(spanEnd)))) {
    table_->select(table_->tag(tagName));
    empty_ = !InSpan(table_->seek(firstKey_));
}

bool SpanPass::InSpan(int rc) {
    return (rc == xbase::kFound || rc == xbase::kAfter) && table_->currentKey() <= lastKey_;
}

bool SpanPass::Run(const QString& caption, const std::function<void()>& visit) {
    // The records are counted for a progress display only: where none shows, one pass serves.
    long count = 0;
    if (Progress.set) {
        for (int rc = table_->seek(firstKey_); InSpan(rc); rc = table_->skip()) ++count;
    }
    RecordProgress progress(caption, count);
    for (int rc = table_->seek(firstKey_); InSpan(rc); rc = table_->skip()) {
        if (!table_->deleted()) visit();
        progress.Visited();
    }
    return !PassFailed();
}

bool PaymentsAfter(double asOf, QHash<int, Cents>* paid) {
    const double lastDay = DateValue(QDate(9999, 12, 31));
    const double from = std::floor(asOf) + 1;
    if (from > lastDay) return true;
    SpanPass pass(PmtTbl, "PmtD", from, lastDay);
    if (PassFailed()) return false;
    return pass.Run(QStringLiteral("Processing Payments"), [paid] {
        ReadPayment();
        (*paid)[PmtBuf.IvNo] += ToCents(PmtBuf.PAmt);
    });
}

bool VisitOpenInvoices(double asOf, const std::function<void(Cents balance)>& visit) {
    const double day = std::floor(asOf);
    QHash<int, Cents> paidAfter;
    if (!PaymentsAfter(day, &paidAfter)) return false;
    RecordProgress progress(QStringLiteral("Processing Invoices"),
                            static_cast<long>(InvTbl->recCount()));
    int rc = InvTbl->top();
    for (; rc == xbase::kFound; rc = InvTbl->skip()) {
        progress.Visited();
        if (InvTbl->deleted()) continue;
        ReadInvoiceAmounts();
        if (std::floor(InvBuf.IDate) > day) continue;
        const Cents balance = ToCents(InvBuf.Due) + paidAfter.value(InvBuf.IvNo);
        if (balance != 0) visit(balance);
    }
    return !ReadFailed(rc) && !PassFailed();
}

void ReadInvoiceAmounts() {
    const InvFields& f = InvFld;
    InvBuf.IvNo = FieldInt(f.IvNo);
    InvBuf.CuNo = FieldInt(f.CuNo);
    InvBuf.IDate = DateOf(f.IDate);
    InvBuf.Ship = Amount(f.Ship);
    InvBuf.Tax = Amount(f.Tax);
    InvBuf.Due = Amount(f.Due);
}

void ForEachItem(int ivNo, const std::function<void()>& visit) {
    ItemPass().ForEach(ivNo, visit);
}

void ItemPass::ForEach(int ivNo, const std::function<void()>& visit) {
    const ItemFields& f = ItemFld;
    int rc = ivNo == next_ ? xbase::kFound : ItemTbl->seek(NumberKey(ivNo));
    next_ = -1;
    for (; rc == xbase::kFound; rc = ItemTbl->skip()) {
        const int number = FieldInt(f.IvNo);
        if (number != ivNo) {
            // The first item of the next invoice in "Itm": its items start here.
            if (number > ivNo) next_ = number;
            break;
        }
        if (ItemTbl->deleted()) continue;
        ItemBuf.IvNo = ivNo;
        ItemBuf.Qty = Amount(f.Qty);
        ItemBuf.UPR = Amount(f.UPR);
        ItemBuf.LTax1 = f.LTax1->isTrue();
        ItemBuf.LTax2 = f.LTax2->isTrue();
        visit();
    }
}

void ReadItemCode() {
    ItemBuf.PrID = ReadText(ItemFld.PrID);
}

int FieldInt(const xbase::Field* field) {
    const std::optional<Cents> cents = PlainCents(field->str(), '.');
    const bool whole = cents && *cents % 100 == 0 && std::abs(*cents / 100) <= kMostFieldInt;
    return whole ? static_cast<int>(*cents / 100) : field->asInt();
}

Cents FieldCents(const xbase::Field* field) {
    return ToCents(Amount(field));
}

Cents PaymentsOf(int ivNo) {
    PmtTbl->select(PmtTbl->tag("Pmt"));
    const std::string key = NumberKey(ivNo);
    Cents paid = 0;
    for (int rc = PmtTbl->seek(key); rc == xbase::kFound && PmtTbl->currentKey() == key;
         rc = PmtTbl->skip()) {
        if (!PmtTbl->deleted()) paid += FieldCents(PmtFld.PAmt);
    }
    return paid;
}

Cents ItemSale() {
    return LineTotalOf(ToCents(ItemBuf.UPR), ToCents(ItemBuf.Qty));
}

void ReadCustomerAddress() {
    const CustFields& f = CustFld;
    CustBuf = {};
    CustBuf.cuno = FieldInt(f.cuno);
    CustBuf.title = ReadText(f.title);
    CustBuf.first = ReadText(f.first);
    CustBuf.last = ReadText(f.last);
    CustBuf.addr1 = ReadText(f.addr1);
    CustBuf.addr2 = ReadText(f.addr2);
    CustBuf.addr3 = ReadText(f.addr3);
    CustBuf.addr4 = ReadText(f.addr4);
    CustBuf.zip = ReadText(f.zip);
    CustBuf.ngroup = FieldInt(f.ngroup);
}

namespace {

// Finds customer `number` through the CUST5 tag "CCNO" (which it selects) and calls `read` on
// its record; false when there is none (a record marked deleted counts as none).
bool FindCustomerRecord(int number, void (*read)()) {
    CustTbl->select(CustTbl->tag("CCNO"));
    const std::string key = NumberKey(number);
    for (int rc = CustTbl->seek(key); rc == xbase::kFound && CustTbl->currentKey() == key;
         rc = CustTbl->skip()) {
        if (CustTbl->deleted()) continue;
        read();
        return true;
    }
    return false;
}

// Reads into CustBuf only what ReportName uses: the number, title, names and address line 1.
void ReadCustomerName() {
    const CustFields& f = CustFld;
    CustBuf = {};
    CustBuf.cuno = FieldInt(f.cuno);
    if (SettingsRecord.ByCust) {
        CustBuf.title = ReadText(f.title);
        CustBuf.first = ReadText(f.first);
        CustBuf.last = ReadText(f.last);
    } else {
        CustBuf.addr1 = ReadText(f.addr1);
    }
}

}  // namespace

bool FindCustomerNo(int number) {
    return FindCustomerRecord(number, ReadCustomerAddress);
}

QString CustomerReportName(int number) {
    return FindCustomerRecord(number, ReadCustomerName) ? ReportName() : QStringLiteral("UNKNOWN");
}

QString ReportName() {
    if (!SettingsRecord.ByCust) return CustBuf.addr1.trimmed();
    QStringList parts;
    for (const QString& part : {CustBuf.title, CustBuf.first, CustBuf.last}) {
        if (!part.trimmed().isEmpty()) parts << part.trimmed();
    }
    return parts.join(u' ');
}

QString GroupNameOf(int number) {
    GroupTbl->select(GroupTbl->tag("nGroup"));
    const std::string key = Key(PadNum(number, 2));
    for (int rc = GroupTbl->seek(key); rc == xbase::kFound && GroupTbl->currentKey() == key;
         rc = GroupTbl->skip()) {
        if (GroupTbl->deleted()) continue;
        ReadGroup();
        return TrimRight(GroupBuf.cGroup);
    }
    return QStringLiteral("UNKNOWN");
}

QString MoneyText(Cents amount, int width) {
    return MoneyCell({}, amount, width);
}

QString MoneyCell(const QString& code, Cents amount, int width) {
    const QString point = DecimalPoint();
    // The digits from the right: cents, the point, then the whole units and the sign.
    char16_t reversed[48];
    int n = 0;
    uint64_t magnitude = amount < 0 ? 0 - static_cast<uint64_t>(amount) : uint64_t(amount);
    reversed[n++] = u'0' + magnitude % 10;
    reversed[n++] = u'0' + magnitude / 10 % 10;
    for (qsizetype i = point.size() - 1; i >= 0; --i) reversed[n++] = point[i].unicode();
    magnitude /= 100;
    do {
        reversed[n++] = u'0' + magnitude % 10;
        magnitude /= 10;
    } while (magnitude != 0);
    if (amount < 0) reversed[n++] = u'-';
    QString text(code.size() + std::max(width, n), u' ');
    std::copy(code.begin(), code.end(), text.begin());
    for (int i = 0; i < n; ++i) text[text.size() - 1 - i] = QChar(reversed[i]);
    return text;
}

const QString& ReportDates::Of(double day) {
    if (day != day_) {
        day_ = day;
        text_ = DateToReportText(day);
    }
    return text_;
}

bool PassFailed() {
    return ExitOnError();
}

}  // namespace reports
