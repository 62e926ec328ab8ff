#include "masters/pick_prod.h"

#include "core/convert.h"
#include "db/current_records.h"
#include "db/field_values.h"
#include "db/program_state.h"
#include "db/read_write.h"

GridPickState PickProdState;

TPickProd::TPickProd(QWidget* parent)
    : GridPickList(PickProdState, CurProdRec, {"Products", 'M', 45, 10, false}, parent) {
    setObjectName("TPickProd");
}

xbase::Table* TPickProd::table() const {
    return ProdTbl;
}

// Products are listed in the order the table was opened with (tag "Prod").
void TPickProd::PrepareOrder() {
    SetColumns({{"Product ID", 10}, {"Description", 27}, {"Price", 8, kNumber}});
}

QStringList TPickProd::RowTexts() {
    ReadProduct();
    const QString price = ProdTbl->deleted() ? "<DELETED>" : NumText(ProdBuf.UPrice, 8, 2);
    return {TrimRight(ProdBuf.PrID), TrimRight(ProdBuf.PDesc), price};
}
