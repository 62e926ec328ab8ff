#include "masters/pick_routines.h"

#include <cstdint>

#include "app/entry/prompt.h"
#include "db/program_state.h"
#include "masters/current_records.h"
#include "masters/customer_editor.h"
#include "masters/group_editor.h"
#include "masters/label_editor.h"
#include "masters/pick_cust.h"
#include "masters/pick_group.h"
#include "masters/pick_lab.h"
#include "masters/pick_prod.h"
#include "masters/pick_pur.h"
#include "masters/product_editor.h"
#include "masters/purchase_editor.h"

namespace {

template <typename PickList, typename Editor>
bool Pick(xbase::Table* table, int32_t& result, const char* emptyMessage, bool allowNew,
          bool* createdNew, QWidget* parent) {
    if (createdNew) *createdNew = false;
    if (table->recCount() == 0) {
        if (!allowNew) {
            prompt::information(parent, emptyMessage);
            result = -1;
            return false;
        }
        result = 0;
    }
    {
        PickList list(parent);
        list.setNewAllowed(allowNew);
        list.exec();
    }
    if (result == 0) {
        Editor editor(parent);
        editor.exec();
        if (result > 0 && createdNew) *createdNew = true;
    }
    return result > 0;
}

}  // namespace

bool PickCustomer(bool allowNew, bool* createdNew, QWidget* parent) {
    CustTbl->select(CustTbl->tag("cname"));
    return Pick<TPickCust, TCustomer>(CustTbl, CurCustRec, "Customer Database is Empty", allowNew,
                                      createdNew, parent);
}

bool PickGroup(bool allowNew, bool* createdNew, QWidget* parent) {
    return Pick<TPickGroup, TGroupDef>(GroupTbl, CurGroupRec, "Group Database is Empty", allowNew,
                                       createdNew, parent);
}

bool PickProduct(bool allowNew, bool* createdNew, QWidget* parent) {
    return Pick<TPickProd, TProdDef>(ProdTbl, CurProdRec, "Product Database is Empty", allowNew,
                                     createdNew, parent);
}

bool PickPurchase(bool allowNew, bool* createdNew, QWidget* parent) {
    return Pick<TPickPur, TPurDef>(PurTbl, CurPurRec, "Purchase Database is Empty", allowNew,
                                   createdNew, parent);
}

bool PickLabelStock(bool allowNew, bool* createdNew, QWidget* parent) {
    return Pick<TPickLab, TLabelDef>(LabTbl, CurLabRec, "Label Database is Empty", allowNew,
                                     createdNew, parent);
}
