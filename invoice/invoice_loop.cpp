#include "invoice/invoice_loop.h"

#include "core/prompt.h"
#include "db/maintenance.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "invoice/invoice_data.h"
#include "invoice/invoice_form.h"
#include "invoice/pick_inv.h"
#include "masters/pick_routines.h"

bool PickInvoice(bool allowNew, bool* createdNew, QWidget* parent) {
    InvTbl->select(InvTbl->tag("Inv"));
    return RunPickRoutine<TPickInv, TInvoice>(InvTbl, CurInvRec, "Invoice Database is Empty",
                                              allowNew, createdNew, parent);
}

void RunInvoiceLoop(QWidget* parent) {
    if (OpenCustomers() && OpenGroups() && OpenInvoices() && OpenItems() && OpenPayments() &&
        OpenProducts()) {
        CurInvRec = InvTbl->bottom() == xbase::kFound ? static_cast<int32_t>(InvTbl->recNo()) : 0;
        bool createdNew = false;
        while (PickInvoice(true, &createdNew, parent)) {
            if (createdNew) continue;
            TInvoice editor(parent);
            editor.exec();
        }
    }
    CloseAllTables();
    if (!PackPending) return;
    if (const QStringList failed = PackAll(); !failed.isEmpty())
        prompt::information(parent, PackFailureMessage(failed));
}
