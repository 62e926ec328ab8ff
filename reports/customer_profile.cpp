#include "reports/customer_profile.h"

#include <QSet>
#include <QStringList>
#include <algorithm>
#include <span>
#include <vector>

#include "core/convert.h"
#include "core/prompt.h"
#include "db/field_values.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "masters/address_block.h"
#include "report/date_columns.h"
#include "report/generator_steps.h"
#include "reports/invoice_pass.h"

namespace reports {
namespace {

// One item bought: its product code and amounts.
struct Purchase {
    QString product;
    Cents quantity;
    Cents price;
};

// The customer column of the customer in CustBuf: the address block without the last line
// when it and the one before are blank, a blank line added unless the last one is, and that
// last line replaced by the customer's number and group.
QStringList CustomerColumn() {
    CustAddressBlock();
    QStringList lines(AddressLines.begin(), AddressLines.end());
    if ((lines[3] + lines[4]).trimmed().isEmpty()) lines.removeLast();
    if (!lines.last().trimmed().isEmpty()) lines << QString();
    lines.last() =
        "Cust#: " + QString::number(CustBuf.cuno) + "  Group: " + GroupNameOf(CustBuf.ngroup);
    return lines;
}

// An invoice of a profiled customer: its INV5 record, whose profile it belongs to, what its
// record held (the date a day number) and its items.
struct ProfiledInvoice {
    uint32_t record;
    qsizetype customer;
    bool live = false;
    int number = 0;
    double date = 0;
    QList<Purchase> items;
};

// The invoices of the customers of `customerNumbers` with their items, customer by customer in
// that order, each one's invoices in the order of the INV5 tag "InvC" (which it selects) and
// each invoice's items in stored order. The
// invoices are found through the tag first and then read in record order, their items in
// invoice number order: a profile of many customers reads each stretch of INV5 and ITM5 once
// rather than going back and forth across them customer by customer.
std::vector<ProfiledInvoice> InvoicesOf(const QList<int>& customerNumbers) {
    std::vector<ProfiledInvoice> invoices;
    InvTbl->select(InvTbl->tag("InvC"));
    for (qsizetype c = 0; c < customerNumbers.size(); ++c) {
        const std::string key = PadNum(customerNumbers[c], 6).toLatin1().toStdString();
        for (int rc = InvTbl->seek(key); rc == xbase::kFound && InvTbl->currentKey() == key;
             rc = InvTbl->skip())
            invoices.push_back({InvTbl->recNo(), c, false, 0, 0, {}});
    }
    std::vector<ProfiledInvoice*> order(invoices.size());
    for (size_t i = 0; i < invoices.size(); ++i) order[i] = &invoices[i];
    std::sort(order.begin(), order.end(), [](const ProfiledInvoice* a, const ProfiledInvoice* b) {
        return a->record < b->record;
    });
    for (ProfiledInvoice* invoice : order) {
        if (InvTbl->go(invoice->record) != xbase::kFound || InvTbl->deleted()) continue;
        ReadInvoiceAmounts();
        invoice->live = true;
        invoice->number = InvBuf.IvNo;
        invoice->date = InvBuf.IDate;
    }
    std::stable_sort(
        order.begin(), order.end(),
        [](const ProfiledInvoice* a, const ProfiledInvoice* b) { return a->number < b->number; });
    QSet<QString> products;  // the codes read so far, shared by every purchase of the same one
    ItemPass itemPass;
    for (ProfiledInvoice* invoice : order) {
        if (!invoice->live) continue;
        itemPass.ForEach(invoice->number, [&] {
            ReadItemCode();
            const QString code = TrimRight(ItemBuf.PrID);
            const QString& product = *products.insert(code);
            invoice->items.append({product, ToCents(ItemBuf.Qty), ToCents(ItemBuf.UPR)});
        });
    }
    return invoices;
}

// The profile of the customer in CustBuf, who bought the items of `invoices`.
void PutProfile(ReportDocument& doc, std::span<const ProfiledInvoice> invoices) {
    const QStringList column = CustomerColumn();
    qsizetype bought = 0;
    for (const ProfiledInvoice& invoice : invoices) bought += invoice.items.size();
    ReportDates dates;
    auto invoice = invoices.begin();
    qsizetype item = 0;
    doc.CheckPage(doc.PageLine + 4, true);
    const qsizetype rows = std::max(column.size(), bought);
    for (qsizetype i = 0; i < rows; ++i) {
        doc.CheckPage(doc.PageLine + 1, true);
        doc.NewLine();
        for (int c : {0, 2, 4, 6, 8, 10}) doc.Cell(c) = doc.ColCodes[c];
        if (i < column.size()) doc.Cell(1) = doc.ColCodes[1] + column[i];
        if (i < bought) {
            while (item == invoice->items.size()) {
                ++invoice;
                item = 0;
            }
            const Purchase& p = invoice->items[item++];
            doc.Cell(3) = doc.ColCodes[3] + dates.Of(invoice->date);
            doc.Cell(5) = doc.ColCodes[5] + p.product;
            doc.Cell(7) = doc.ColCodes[7] + MoneyText(p.quantity, 8);
            doc.Cell(9) = doc.ColCodes[9] + MoneyText(p.price, 8);
        }
    }
    UnderlineLastLine(doc);
}

// Opens the tables and starts the document; false (tables closed) when a table failed.
bool StartProfile(ReportDocument& doc) {
    if (!OpenCustomers() || !OpenGroups() || !OpenInvoices() || !OpenItems()) {
        CloseReportTables();
        return false;
    }
    doc.RptWidth = 72;
    doc.CellCount = 12;
    doc.StartReport();
    doc.Titles = {QStringLiteral("Customer Profile")};
    doc.ColCodes = {"V00", "L01", "V35", "R43", "V45", "L46", "V57", "R61", "V63", "R71", "V72"};
    PutStandardHeadings(doc, {"", "Customer", "", "Date", "", "Product", "", "Qty", "", "U-Price"});
    // Widened before the first line: every line is then written in its place once.
    WidenDateColumns(doc, {43});
    return true;
}

// Closes the tables; true when the profile has lines and no read failed.
bool FinishProfile(ReportDocument& doc) {
    const bool failed = PassFailed();
    CloseReportTables();
    return !failed && doc.CurLine >= 0;
}

}  // namespace

bool MakeCustomerProfile(ReportDocument& doc, const QList<int>& customerNumbers) {
    if (!StartProfile(doc)) return false;
    for (int number : customerNumbers) {
        if (FindCustomerNo(number))
            PutProfile(doc, InvoicesOf({CustBuf.cuno}));
        else
            prompt::information(nullptr, "Customer not on file: " + QString::number(number));
    }
    return FinishProfile(doc);
}

bool MakeGroupProfile(ReportDocument& doc, const QList<int>& groupNumbers) {
    if (!StartProfile(doc)) return false;
    const QSet<int> groups(groupNumbers.begin(), groupNumbers.end());
    // The customers are gathered first: profiling one moves CUST5 off the name order.
    QList<uint32_t> records;
    QList<int> numbers;
    CustTbl->select(CustTbl->tag("cname"));
    int rc = CustTbl->top();
    for (; rc == xbase::kFound; rc = CustTbl->skip()) {
        if (CustTbl->deleted() || !groups.contains(FieldInt(CustFld.ngroup))) continue;
        records << CustTbl->recNo();
        numbers << FieldInt(CustFld.cuno);
    }
    if (ReadFailed(rc)) {
        CloseReportTables();
        return false;
    }
    if (records.isEmpty()) {
        CloseReportTables();
        prompt::information(nullptr, QStringLiteral("No Customers in the selected groups."));
        return false;
    }
    std::vector<ProfiledInvoice> invoices = InvoicesOf(numbers);
    auto first = invoices.begin();
    for (qsizetype i = 0; i < records.size(); ++i) {
        const auto end = std::find_if(first, invoices.end(), [i](const ProfiledInvoice& invoice) {
            return invoice.customer != i;
        });
        CustTbl->go(records[i]);
        ReadCustomerAddress();
        PutProfile(doc, {first, end});
        for (; first != end; ++first) first->items = {};  // put: its memory goes to the lines
    }
    return FinishProfile(doc);
}

}  // namespace reports
