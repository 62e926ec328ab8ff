#include "masters/pick_routines.h"

#include <cstdint>

#include "db/current_records.h"
#include "db/program_state.h"
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

bool PickCustomer(bool allowNew, bool* createdNew, QWidget* parent) {
    CustTbl->select(CustTbl->tag("cname"));
    return RunPickRoutine<TPickCust, TCustomer>(CustTbl, CurCustRec, "Customer Database is Empty",
                                                allowNew, createdNew, parent);
}

bool PickGroup(bool allowNew, bool* createdNew, QWidget* parent) {
    return RunPickRoutine<TPickGroup, TGroupDef>(GroupTbl, CurGroupRec, "Group Database is Empty",
                                                 allowNew, createdNew, parent);
}

bool PickGroupSaying(const QString& why, bool allowNew, QWidget* parent) {
    return RunPickRoutine<TPickGroup, TGroupDef>(GroupTbl, CurGroupRec, "Group Database is Empty",
                                                 allowNew, nullptr, parent,
                                                 [&why](TPickGroup& list) { list.setReason(why); });
}

bool PickProduct(bool allowNew, bool* createdNew, QWidget* parent) {
    return RunPickRoutine<TPickProd, TProdDef>(ProdTbl, CurProdRec, "Product Database is Empty",
                                               allowNew, createdNew, parent);
}

bool PickPurchase(bool allowNew, bool* createdNew, QWidget* parent) {
    return RunPickRoutine<TPickPur, TPurDef>(PurTbl, CurPurRec, "Purchase Database is Empty",
                                             allowNew, createdNew, parent);
}

bool PickLabelStock(bool allowNew, bool* createdNew, QWidget* parent) {
    return RunPickRoutine<TPickLab, TLabelDef>(LabTbl, CurLabRec, "Label Database is Empty",
                                               allowNew, createdNew, parent);
}
