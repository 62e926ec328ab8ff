#include "reports/invoice_pass.h"

#include <cmath>

#include "app/entry/convert.h"
#include "db/field_values.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "invoice/invoice_totals.h"
#include "reports/generator_steps.h"

namespace reports {
namespace {

std::string Key(const QString& text) {
    return text.toLatin1().toStdString();
}

}  // namespace

SpanPass::SpanPass(xbase::Table* table, const char* tagName, double spanStart, double spanEnd)
    : table_(table),
      firstKey_(Key(DateToText(std::floor(spanStart)))),
      lastKey_(Key(DateToText(std::floor(spanEnd)))) {
    table_->select(table_->tag(tagName));
    for (int rc = table_->seek(firstKey_); InSpan(rc); rc = table_->skip()) ++count_;
}

bool SpanPass::InSpan(int rc) {
    return (rc == xbase::kFound || rc == xbase::kAfter) && table_->currentKey() <= lastKey_;
}

bool SpanPass::Run(const QString& caption, const std::function<void()>& visit) {
    RecordProgress progress(caption, count_);
    for (int rc = table_->seek(firstKey_); InSpan(rc); rc = table_->skip()) {
        if (!table_->deleted()) visit();
        progress.Visited();
    }
    return !PassFailed();
}

void ForEachItem(int ivNo, const std::function<void()>& visit) {
    const std::string key = Key(PadNum(ivNo, 6));
    for (int rc = ItemTbl->seek(key); rc == xbase::kFound && ItemTbl->currentKey() == key;
         rc = ItemTbl->skip()) {
        if (ItemTbl->deleted()) continue;
        ReadItem();
        visit();
    }
}

Cents ItemSale() {
    return LineTotalOf(ToCents(ItemBuf.UPR), ToCents(ItemBuf.Qty));
}

bool FindCustomerNo(int number) {
    CustTbl->select(CustTbl->tag("CCNO"));
    const std::string key = Key(PadNum(number, 6));
    for (int rc = CustTbl->seek(key); rc == xbase::kFound && CustTbl->currentKey() == key;
         rc = CustTbl->skip()) {
        if (CustTbl->deleted()) continue;
        ReadCustomer();
        return true;
    }
    return false;
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
    return NumText(FromCents(amount), width, 2);
}

bool PassFailed() {
    return ExitOnError();
}

}  // namespace reports
