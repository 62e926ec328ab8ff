#include "reports/invoice_loader.h"

#include "db/program_state.h"
#include "db/read_write.h"
#include "masters/address_block.h"
#include "reports/invoice_pass.h"

namespace reports {

bool InvoiceLoader::Load(uint32_t rec) {
    AddressLines = {};
    // In a run the invoice is mostly the current record already; going to it again would lose
    // the table's place in its tag.
    if (rec == 0 || (InvTbl->recNo() != rec && InvTbl->go(rec) != xbase::kFound)) {
        DbContext->errorCode();
        return false;
    }
    ReadInvoice();
    LoadItemRows([this](const QString& code) { return Product(code); });
    LoadPaymentRows(false);
    CustTbl->select(CustTbl->tag("CCNO"));
    if (CustTbl->seek(NumberKey(InvBuf.CuNo)) == xbase::kFound && !CustTbl->deleted()) {
        ReadCustomerAddress();
        CustAddressBlock();
    }
    return true;
}

const ItemProduct& InvoiceLoader::Product(const QString& code) {
    auto known = products_.constFind(code);
    if (known != products_.constEnd()) return *known;
    return *products_.insert(code, FindItemProduct(code));
}

}  // namespace reports
