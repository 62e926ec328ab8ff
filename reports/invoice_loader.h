// Loading invoice after invoice for a run of printed invoices or bills. What PutInvoice reads of
// the open invoice (InvBuf, ItemRows, PmtRows, AddressLines) comes out as LoadInvoice loads it,
// at less cost per invoice: each product's licence code and memo are looked up once in a run,
// the customer's record is read for its address alone, the amounts of the rows are written from
// the fields' digits rather than through QString::asprintf, and the payments, whose sum alone
// the documents print, carry no date.
#pragma once

#include <QHash>
#include <QString>
#include <cstdint>

namespace reports {

class InvoiceLoader {
public:
    // Loads INV5 record `rec` as LoadInvoice does, but for the customer and the payments' dates:
    // CustBuf holds only the number, name, address and group (ReadCustomerAddress), the customer
    // record picked is left as it was, and each payment row's date is empty. A run keeps one
    // loader while Prod5 stays as it is. False when the record cannot be read.
    bool Load(uint32_t rec);

private:
    // A product as the items show it: found in Prod5, with its licence code and memo trimmed.
    struct ProductNote {
        bool found = false;
        QString licence;
        QString memo;
    };

    void LoadItems();
    void LoadPayments();
    const ProductNote& Product(const QString& code);

    QHash<QString, ProductNote> products_;
};

// "%*.2f" of an amount of `cents` hundredths at least `width` characters wide, as
// QString::asprintf writes it.
QString FixedCentsText(int64_t cents, int width);

}  // namespace reports
