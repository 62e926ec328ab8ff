#include "invoice/invoice_data.h"

std::vector<ItemRow> ItemRows;
std::vector<PmtRow> PmtRows;
double InvSubtotal = 0;
double InvTotal = 0;
double InvPaid = 0;
int32_t CurInvRec = 0;

void ClearInvoiceRows() {
    ItemRows.clear();
    PmtRows.clear();
    InvSubtotal = InvTotal = InvPaid = 0;
}
