#include "reports/account_reports.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "core/convert.h"
#include "core/prompt.h"
#include "db/field_values.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "invoice/invoice_store.h"
#include "report/date_columns.h"
#include "report/generator_steps.h"
#include "reports/invoice_pass.h"

namespace reports {
namespace {

// The short memo of invoice `ivNo` through the INV5 tag "Inv"; empty when there is no such
// invoice.
QString InvoiceMemo(int ivNo) {
    const std::string key = PadNum(ivNo, 6).toLatin1().toStdString();
    for (int rc = InvTbl->seek(key); rc == xbase::kFound && InvTbl->currentKey() == key;
         rc = InvTbl->skip()) {
        if (InvTbl->deleted()) continue;
        return TrimRight(ReadText(InvFld.IMemo));
    }
    return {};
}

// The payments of one day: the line of the last one, which takes the day's total, and the total.
struct PaymentDay {
    double day = -1;
    int lastLine = -1;
    Cents total = 0;
};

void CloseDay(ReportDocument& doc, const PaymentDay& day, Cents* grandTotal) {
    if (day.lastLine < 0) return;
    ReportLine line = doc.Lines.at(day.lastLine);
    line[9] = MoneyCell(doc.ColCodes[9], day.total, 12);
    line[doc.CellCount - 1] = QStringLiteral("U");
    doc.Lines.replace(day.lastLine, line);
    *grandTotal += day.total;
}

// An invoice with a balance: its key in "Inv" (its number) and its record.
struct OpenInvoice {
    std::string key;
    uint32_t rec;
    bool operator<(const OpenInvoice& o) const {
        return std::tie(key, rec) < std::tie(o.key, o.rec);
    }
};

// The report names of customers by number, each found once: a customer owes on many invoices.
class CustomerNames {
public:
    // ReportName of customer `number`, "UNKNOWN" when there is none.
    const QString& Of(int number) {
        auto found = names_.constFind(number);
        if (found == names_.constEnd()) found = names_.insert(number, CustomerReportName(number));
        return *found;
    }

private:
    QHash<int, QString> names_;
};

}  // namespace

bool MakeDailyIncome(ReportDocument& doc, double spanStart, double spanEnd) {
    if (!OpenPayments() || !OpenInvoices()) {
        CloseReportTables();
        return false;
    }
    SpanPass pass(PmtTbl, "PmtD", spanStart, spanEnd);
    if (PassFailed()) {
        CloseReportTables();
        return false;
    }
    if (pass.Empty()) {
        CloseReportTables();
        prompt::information(nullptr, QStringLiteral("No Payments within selected dates."));
        return false;
    }
    doc.RptWidth = 72;
    doc.CellCount = 12;
    doc.StartReport();
    doc.Titles = {"Daily Income from " + DateToReportText(spanStart) + " through " +
                  DateToReportText(spanEnd)};
    doc.ColCodes = {"V00", "L01", "V10", "R16", "V17", "L18", "V48", "R58", "V59", "R71", "V72"};
    PutStandardHeadings(doc, {"", "Pmt Date", "", "Inv No.", "", "Check - Credit Card No.", "",
                              "Amount", "", "Daily Total"});
    PaymentDay day;
    Cents grandTotal = 0;
    ReportDates dates;
    const bool read = pass.Run(QStringLiteral("Processing Payments"), [&] {
        ReadPayment();
        const double paid = std::floor(PmtBuf.PDate);
        const bool firstOfDay = paid != day.day;
        if (firstOfDay) {
            CloseDay(doc, day, &grandTotal);
            day = {paid, -1, 0};
        }
        const QString memo = InvoiceMemo(PmtBuf.IvNo);
        doc.CheckPage(doc.PageLine + 2, true);
        doc.NewLine();
        for (int i : {0, 2, 4, 6, 8, 10}) doc.Cell(i) = doc.ColCodes[i];
        if (firstOfDay) doc.Cell(1) = doc.ColCodes[1] + dates.Of(paid);
        doc.Cell(3) = doc.ColCodes[3] + QString::number(PmtBuf.IvNo);
        doc.Cell(5) = doc.ColCodes[5] + memo;
        doc.Cell(7) = MoneyCell(doc.ColCodes[7], ToCents(PmtBuf.PAmt), 10);
        day.lastLine = doc.CurLine;
        day.total += ToCents(PmtBuf.PAmt);
    });
    CloseReportTables();
    if (!read) return false;
    CloseDay(doc, day, &grandTotal);
    if (doc.CurLine < 0) return false;
    doc.NewLine();
    doc.Cell(0) = QStringLiteral("V00");
    doc.Cell(1) = QStringLiteral("L01Total Payments");
    doc.Cell(8) = QStringLiteral("V59");
    doc.Cell(9) = MoneyCell("R71", grandTotal, 12);
    doc.Cell(10) = QStringLiteral("V72");
    doc.Style() = QStringLiteral("U");
    WidenDateColumns(doc, {10});
    return true;
}

bool MakeReceivables(ReportDocument& doc, double asOf) {
    if (!OpenInvoices() || !OpenCustomers()) {
        CloseReportTables();
        return false;
    }
    const long count = static_cast<long>(InvTbl->recCount());
    if (count == 0) {
        CloseReportTables();
        prompt::information(nullptr, QStringLiteral("No Invoices within selected dates."));
        return false;
    }
    doc.RptWidth = 71;
    doc.CellCount = 10;
    doc.StartReport();
    doc.Titles = {QStringLiteral("RECEIVABLES")};
    doc.ColCodes = {"V00", "R07", "V08", "L10", "V50", "R55", "V57", "R69", "V71"};
    PutStandardHeadings(doc, {"", "Inv. No", "", "Customer", "", "Days", "", "Amount"});
    const double today = std::floor(asOf);
    CustomerNames names;
    Cents total = 0;
    bool failed = false;
    {
        // The invoices with a balance, found in record order (only their balances read) and
        // listed as the number tag "Inv" orders them.
        std::vector<OpenInvoice> open;
        {
            RecordProgress progress(QStringLiteral("Processing Receivables"), count);
            InvTbl->select(nullptr);
            int rc = InvTbl->top();
            for (; rc == xbase::kFound; rc = InvTbl->skip()) {
                if (!InvTbl->deleted() && FieldCents(InvFld.Due) != 0)
                    open.push_back({NumberKey(FieldInt(InvFld.IvNo)), InvTbl->recNo()});
                progress.Visited();
            }
            failed = ReadFailed(rc);
        }
        std::sort(open.begin(), open.end());
        for (size_t i = 0; !failed && i < open.size(); ++i) {
            failed = ReadFailed(InvTbl->go(open[i].rec));
            if (failed) break;
            ReadInvoiceAmounts();
            const Cents due = ToCents(InvBuf.Due);
            const auto days = static_cast<long>(today - std::floor(InvBuf.IDate));
            doc.CheckPage(doc.PageLine + 1, true);
            doc.NewLine();
            for (int i : {0, 2, 4, 6, 8}) doc.Cell(i) = doc.ColCodes[i];
            doc.Cell(1) = doc.ColCodes[1] + QString::number(InvBuf.IvNo);
            doc.Cell(3) = doc.ColCodes[3] + names.Of(InvBuf.CuNo);
            doc.Cell(5) = doc.ColCodes[5] + QString::number(days);
            doc.Cell(7) = MoneyCell(doc.ColCodes[7], due, 10);
            total += due;
        }
        failed = failed || PassFailed();
        CloseReportTables();
    }
    if (failed) return false;
    if (doc.CurLine < 0) {
        prompt::information(nullptr, QStringLiteral("No Invoices with a balance due."));
        return false;
    }
    UnderlineLastLine(doc);
    doc.CheckPage(doc.PageLine + 1, true);
    doc.NewLine();
    doc.Cell(0) = QStringLiteral("V00");
    doc.Cell(1) = QStringLiteral("L01Total Receivables");
    doc.Cell(6) = QStringLiteral("V57");
    doc.Cell(7) = MoneyCell("R69", total, 10);
    doc.Cell(8) = QStringLiteral("V71");
    doc.Style() = QStringLiteral("U");
    return true;
}

}  // namespace reports
