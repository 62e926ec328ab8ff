#include "reports/customer_profile.h"

#include <QSet>
#include <QStringList>
#include <algorithm>

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

// One item bought: the cells of its row, code included.
struct Purchase {
    QString date;
    QString product;
    QString quantity;
    QString price;
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

// Every item of every invoice of the customer in CustBuf, invoices in the order of the INV5
// tag "InvC" (which it selects).
QList<Purchase> PurchasesOfCustomer() {
    QList<Purchase> purchases;
    ReportDates dates;
    InvTbl->select(InvTbl->tag("InvC"));
    const std::string key = PadNum(CustBuf.cuno, 6).toLatin1().toStdString();
    for (int rc = InvTbl->seek(key); rc == xbase::kFound && InvTbl->currentKey() == key;
         rc = InvTbl->skip()) {
        if (InvTbl->deleted()) continue;
        ReadInvoiceAmounts();
        const QString& date = dates.Of(InvBuf.IDate);
        ForEachItem(InvBuf.IvNo, [&] {
            ReadItemCode();
            purchases.append({date, TrimRight(ItemBuf.PrID), MoneyText(ToCents(ItemBuf.Qty), 8),
                              MoneyText(ToCents(ItemBuf.UPR), 8)});
        });
    }
    return purchases;
}

// The profile of the customer in CustBuf.
void PutProfile(ReportDocument& doc) {
    const QStringList column = CustomerColumn();
    const QList<Purchase> purchases = PurchasesOfCustomer();
    doc.CheckPage(doc.PageLine + 4, true);
    const qsizetype rows = std::max(column.size(), purchases.size());
    for (qsizetype i = 0; i < rows; ++i) {
        doc.CheckPage(doc.PageLine + 1, true);
        doc.NewLine();
        for (int c : {0, 2, 4, 6, 8, 10}) doc.Cell(c) = doc.ColCodes[c];
        if (i < column.size()) doc.Cell(1) = doc.ColCodes[1] + column[i];
        if (i < purchases.size()) {
            const Purchase& p = purchases[i];
            doc.Cell(3) = doc.ColCodes[3] + p.date;
            doc.Cell(5) = doc.ColCodes[5] + p.product;
            doc.Cell(7) = doc.ColCodes[7] + p.quantity;
            doc.Cell(9) = doc.ColCodes[9] + p.price;
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
    return true;
}

// Closes the tables; true when the profile has lines and no read failed.
bool FinishProfile(ReportDocument& doc) {
    const bool failed = PassFailed();
    CloseReportTables();
    if (failed || doc.CurLine < 0) return false;
    WidenDateColumns(doc, {43});
    return true;
}

}  // namespace

bool MakeCustomerProfile(ReportDocument& doc, const QList<int>& customerNumbers) {
    if (!StartProfile(doc)) return false;
    for (int number : customerNumbers) {
        if (FindCustomerNo(number))
            PutProfile(doc);
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
    CustTbl->select(CustTbl->tag("cname"));
    int rc = CustTbl->top();
    for (; rc == xbase::kFound; rc = CustTbl->skip()) {
        if (CustTbl->deleted()) continue;
        if (groups.contains(CustFld.ngroup->asInt())) records << CustTbl->recNo();
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
    for (uint32_t record : records) {
        CustTbl->go(record);
        ReadCustomerAddress();
        PutProfile(doc);
    }
    return FinishProfile(doc);
}

}  // namespace reports
