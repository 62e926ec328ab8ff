#include "masters/pick_pur.h"

#include "core/convert.h"
#include "db/current_records.h"
#include "db/field_values.h"
#include "db/program_state.h"
#include "db/read_write.h"

GridPickState PickPurState;

TPickPur::TPickPur(QWidget* parent)
    : GridPickList(PickPurState, CurPurRec, {"Inventory Purchases", 'B', 40, 10, false}, parent) {
    setObjectName("TPickPur");
}

xbase::Table* TPickPur::table() const {
    return PurTbl;
}

// Purchases are listed in the order the table was opened with (tag "Pur").
void TPickPur::PrepareOrder() {
    SetColumns(
        {{"Product ID", 10}, {"Date", 8}, {"Quantity", 10, kNumber}, {"Total Cost", 12, kNumber}});
}

QStringList TPickPur::RowTexts() {
    ReadPurchase();
    const QString cost = PurTbl->deleted() ? "<DELETED>" : NumText(PurBuf.PURCost, 12, 2);
    return {TrimRight(PurBuf.PURProd), DateToShortText(PurBuf.PURDate),
            NumText(PurBuf.PURQty, 10, 2), cost};
}
