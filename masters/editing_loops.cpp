#include "masters/editing_loops.h"

#include <cstdint>

#include "core/prompt.h"
#include "db/current_records.h"
#include "db/maintenance.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "masters/customer_editor.h"
#include "masters/group_editor.h"
#include "masters/label_editor.h"
#include "masters/pick_routines.h"
#include "masters/product_editor.h"
#include "masters/purchase_editor.h"

namespace {

using PickRoutine = bool (*)(bool, bool*, QWidget*);

// The first record of the table in its selected order, 0 when it is empty.
int32_t FirstRecord(xbase::Table* table) {
    return table->top() == xbase::kFound ? static_cast<int32_t>(table->recNo()) : 0;
}

// Picks records until the list is cancelled, editing each one picked; one made through New has
// been edited already.
template <typename Editor>
void EditUntilCancelled(PickRoutine pick, QWidget* parent) {
    bool createdNew = false;
    while (pick(true, &createdNew, parent)) {
        if (createdNew) continue;
        Editor editor(parent);
        editor.exec();
    }
}

// A pack that fails is told and leaves the deletions pending, for the pack when the program
// closes.
void PackIfPending(const char* table, bool compactMemo, QWidget* parent) {
    if (!PackPending) return;
    QString why;
    if (PackTable(table, compactMemo, &why))
        PackPending = false;
    else
        prompt::information(parent, PackFailureMessage({QString("%1: %2").arg(table, why)}));
}

}  // namespace

void RunCustomerLoop(QWidget* parent) {
    PackPending = false;
    // INV5 tells the customer editor which customers have invoices.
    if (OpenCustomers() && OpenGroups() && OpenInvoices()) {
        CustTbl->select(CustTbl->tag(SettingsRecord.ByCust ? "cname" : "cComp"));
        CurCustRec = FirstRecord(CustTbl);
        EditUntilCancelled<TCustomer>(PickCustomer, parent);
    }
    CloseAllTables();
    PackIfPending("CUST5", false, parent);
}

void RunGroupLoop(QWidget* parent) {
    if (OpenGroups() && OpenCustomers()) {
        GroupTbl->select(GroupTbl->tag("cGroup"));
        CurGroupRec = FirstRecord(GroupTbl);
        EditUntilCancelled<TGroupDef>(PickGroup, parent);
    }
    CloseAllTables();
    PackIfPending("GROUPS", false, parent);
}

void RunProductLoop(QWidget* parent) {
    if (OpenProducts()) {
        CurProdRec = FirstRecord(ProdTbl);
        EditUntilCancelled<TProdDef>(PickProduct, parent);
    }
    CloseAllTables();
    PackIfPending("Prod5", false, parent);
}

void RunPurchaseLoop(QWidget* parent) {
    if (OpenPurchases() && OpenProducts()) {
        CurPurRec = FirstRecord(PurTbl);
        EditUntilCancelled<TPurDef>(PickPurchase, parent);
    }
    CloseAllTables();
    PackIfPending("Pur5", false, parent);
}

void RunLabelStockLoop(QWidget* parent) {
    if (OpenLabels()) {
        CurLabRec = FirstRecord(LabTbl);
        EditUntilCancelled<TLabelDef>(PickLabelStock, parent);
        LabTbl->close();
    }
    LabTbl = nullptr;
    PackIfPending("LABELS", false, parent);
}
