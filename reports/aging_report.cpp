#include "reports/aging_report.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "core/dates.h"
#include "core/prompt.h"
#include "db/chasing_tables.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "report/generator_steps.h"
#include "reports/invoice_pass.h"

namespace reports {
namespace {

// Upper ends of the first four columns, in days; the last column takes the rest.
constexpr std::array<long, kAgingColumns - 1> kByDueDate = {0, 30, 60, 90};
constexpr std::array<long, kAgingColumns - 1> kByInvoiceDate = {30, 60, 90, 120};

constexpr const char* kDueCaptions[kAgingColumns] = {"Current", "1-30", "31-60", "61-90",
                                                     "Over 90"};
constexpr const char* kInvoiceCaptions[kAgingColumns] = {"0-30", "31-60", "61-90", "91-120",
                                                         "Over 120"};

// Where the columns are: the cell of each amount column (the five, then the total).
constexpr int kAmountCells[kAgingColumns + 1] = {3, 5, 7, 9, 11, 13};
constexpr int kNameWidth = 19;
constexpr int kMoneyWidth = 12;

struct OpenInvoice {
    int ivNo = 0;
    double day = 0;  // the day it is aged from: its due date, or its date
    int column = 0;
    Cents amount = 0;
};

struct CustomerAging {
    int cuno = 0;
    QString name;
    std::array<Cents, kAgingColumns> columns{};
    Cents total = 0;
    std::vector<OpenInvoice> invoices;
};

// One line of amounts: each column's amount (blank when none) and the total.
void PutAmounts(ReportDocument& doc, const std::array<Cents, kAgingColumns>& columns, Cents total) {
    for (int i = 0; i < kAgingColumns; ++i) {
        const QString& code = doc.ColCodes[kAmountCells[i]];
        doc.Cell(kAmountCells[i]) =
            columns[i] != 0 ? MoneyCell(code, columns[i], kMoneyWidth) : code;
    }
    doc.Cell(kAmountCells[kAgingColumns]) =
        MoneyCell(doc.ColCodes[kAmountCells[kAgingColumns]], total, kMoneyWidth);
}

// Starts a line with its rules and `caption` in the customer column, on a new page when fewer
// than `linesWanted` lines are left on this one.
void StartLine(ReportDocument& doc, const QString& caption, int linesWanted) {
    doc.CheckPage(doc.PageLine + linesWanted, true);
    doc.NewLine();
    for (int i = 0; i < doc.ColCodes.size(); i += 2) doc.Cell(i) = doc.ColCodes[i];
    doc.Cell(1) = doc.ColCodes[1] + caption.left(kNameWidth);
}

}  // namespace

double DueDay(double invoiceDay, std::optional<int> termsDays) {
    return std::floor(invoiceDay) + termsDays.value_or(0);
}

int AgingColumn(long days, bool byInvoiceDate) {
    const auto& ends = byInvoiceDate ? kByInvoiceDate : kByDueDate;
    for (int i = 0; i < kAgingColumns - 1; ++i)
        if (days <= ends[i]) return i;
    return kAgingColumns - 1;
}

const char* AgingColumnCaption(int column, bool byInvoiceDate) {
    return byInvoiceDate ? kInvoiceCaptions[column] : kDueCaptions[column];
}

bool MakeAgingReport(ReportDocument& doc, const AgingSelection& selection) {
    if (!OpenInvoices() || !OpenPayments() || !OpenCustomers()) {
        CloseReportTables();
        return false;
    }
    const long count = static_cast<long>(InvTbl->recCount());
    if (count == 0) {
        CloseReportTables();
        prompt::information(nullptr, QStringLiteral("No Invoices within selected dates."));
        return false;
    }
    const double asOf = std::floor(selection.asOf);
    QHash<int, CustomerAging> customers;
    const bool failed = !VisitOpenInvoices(asOf, [&](Cents amount) {
        auto found = customers.find(InvBuf.CuNo);
        if (found == customers.end()) {
            CustomerAging fresh;
            fresh.cuno = InvBuf.CuNo;
            fresh.name = CustomerReportName(InvBuf.CuNo);
            found = customers.insert(InvBuf.CuNo, fresh);
        }
        const double dated = std::floor(InvBuf.IDate);
        const double from =
            selection.byInvoiceDate ? dated : DueDay(dated, TermsRecord.DaysFor(InvBuf.CuNo));
        const int column = AgingColumn(static_cast<long>(asOf - from), selection.byInvoiceDate);
        found->columns[column] += amount;
        found->total += amount;
        if (selection.detail) found->invoices.push_back({InvBuf.IvNo, from, column, amount});
    });
    CloseReportTables();
    if (failed) return false;
    // A customer whose open invoices and credits cancel out owes nothing.
    customers.removeIf([](const auto& entry) { return entry.value().total == 0; });
    if (customers.isEmpty()) {
        prompt::information(nullptr, QStringLiteral("No Invoices with a balance due."));
        return false;
    }
    std::vector<const CustomerAging*> order;
    order.reserve(customers.size());
    for (const CustomerAging& customer : customers) order.push_back(&customer);
    std::sort(order.begin(), order.end(), [](const CustomerAging* a, const CustomerAging* b) {
        const int byName = QString::compare(a->name, b->name, Qt::CaseInsensitive);
        return byName != 0 ? byName < 0 : a->cuno < b->cuno;
    });

    const bool byInvoice = selection.byInvoiceDate;
    doc.RptWidth = 98;
    doc.CellCount = 16;
    doc.StartReport();
    doc.Titles = {
        "AGING as of " + DateToReportText(asOf),
        byInvoice ? QStringLiteral("Days since invoice date") : QStringLiteral("Days past due")};
    doc.ColCodes = {"V00", "L01", "V20", "R32", "V33", "R45", "V46", "R58",
                    "V59", "R71", "V72", "R84", "V85", "R97", "V98"};
    QStringList captions = {"", "Customer"};
    for (int i = 0; i < kAgingColumns; ++i) captions << "" << AgingColumnCaption(i, byInvoice);
    captions << ""
             << "Total";
    PutStandardHeadings(doc, captions);

    std::array<Cents, kAgingColumns> columnTotals{};
    Cents total = 0;
    ReportDates dates;
    for (const CustomerAging* customer : order) {
        StartLine(doc, customer->name, selection.detail ? 2 : 1);
        PutAmounts(doc, customer->columns, customer->total);
        for (int i = 0; i < kAgingColumns; ++i) columnTotals[i] += customer->columns[i];
        total += customer->total;
        for (const OpenInvoice& invoice : customer->invoices) {
            StartLine(doc, "  " + QString::number(invoice.ivNo) + ' ' + dates.Of(invoice.day), 1);
            std::array<Cents, kAgingColumns> columns{};
            columns[invoice.column] = invoice.amount;
            PutAmounts(doc, columns, invoice.amount);
        }
        if (selection.detail) UnderlineLastLine(doc);
    }
    if (!selection.detail) UnderlineLastLine(doc);
    StartLine(doc, QStringLiteral("Total"), 1);
    PutAmounts(doc, columnTotals, total);
    doc.Style() = QStringLiteral("U");
    return true;
}

}  // namespace reports
