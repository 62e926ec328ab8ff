// Loading invoice after invoice for a run of printed invoices or bills. What PutInvoice reads of
// the open invoice (InvBuf, ItemRows, PmtRows, AddressLines) comes out as LoadInvoice loads it,
// through the same row readers (invoice_store.h), at less cost per invoice: each product's
// licence code and memo are looked up once in a run, the customer's record is read for its
// address alone, and the payments, whose sum alone the documents print, carry no date.
#pragma once

#include <QHash>
#include <QString>
#include <cstdint>

#include "invoice/invoice_store.h"

namespace reports {

class InvoiceLoader {
public:
    // Loads INV5 record `rec` as LoadInvoice does, but for the customer and the payments' dates:
    // CustBuf holds only the number, name, address and group (ReadCustomerAddress), the customer
    // record picked is left as it was, and each payment row's date is empty. A run keeps one
    // loader while Prod5 stays as it is. False when the record cannot be read.
    bool Load(uint32_t rec);

private:
    const ItemProduct& Product(const QString& code);

    QHash<QString, ItemProduct> products_;
};

}  // namespace reports
