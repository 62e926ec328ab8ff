#include "invoice/invoice_loop.h"

#include "core/prompt.h"
#include "db/maintenance.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "invoice/invoice_data.h"
#include "invoice/invoice_form.h"
#include "invoice/invoice_store.h"
#include "invoice/pick_inv.h"
#include "masters/pick_routines.h"

bool PickInvoice(bool allowNew, bool* createdNew, QWidget* parent) {
    InvTbl->select(InvTbl->tag("Inv"));
    return RunPickRoutine<TPickInv, TInvoice>(InvTbl, CurInvRec, "Invoice Database is Empty",
                                              allowNew, createdNew, parent);
}

void RunInvoiceLoop(QWidget* parent) {
    QStringList crowded;
    if (OpenCustomers() && OpenGroups() && OpenInvoices() && OpenItems() && OpenPayments() &&
        OpenProducts()) {
        CurInvRec = InvTbl->bottom() == xbase::kFound ? static_cast<int32_t>(InvTbl->recNo()) : 0;
        bool createdNew = false;
        while (PickInvoice(true, &createdNew, parent)) {
            if (createdNew) continue;
            TInvoice editor(parent);
            editor.exec();
        }
        crowded = TablesCrowdedWithSpares();
    }
    CloseAllTables();
    QStringList failed;
    if (PackPending) {
        failed = PackAll();
    } else if (!crowded.isEmpty()) {
        if (Progress.show) Progress.show(true, "Packing Data Files");
        for (const QString& name : crowded) {
            QString why;
            if (!PackTable(name, false, &why)) failed << name + ": " + why;
        }
        if (Progress.show) Progress.show(false, QString());
    }
    if (!failed.isEmpty()) prompt::information(parent, PackFailureMessage(failed));
}
