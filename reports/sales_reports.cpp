#include "reports/sales_reports.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "core/code_page.h"
#include "core/convert.h"
#include "core/dates.h"
#include "core/prompt.h"
#include "db/field_values.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "report/date_columns.h"
#include "report/generator_steps.h"
#include "reports/invoice_pass.h"

namespace reports {
namespace {

const QString kNoInvoices = QStringLiteral("No Invoices within selected dates.");
const QString kProcessingSales = QStringLiteral("Processing Sales");

QString SpanText(double spanStart, double spanEnd) {
    return DateToReportText(spanStart) + " through " + DateToReportText(spanEnd);
}

// Opens INV5 and ITM5, and Prod5 when `products`; false (tables closed) when one failed.
bool OpenSalesTables(bool products) {
    if (OpenInvoices() && OpenItems() && (!products || OpenProducts())) return true;
    CloseReportTables();
    return false;
}

// The date-span pass over INV5 with its "No Invoices" message; calls `invoice` with each
// invoice of the span read into InvBuf. False when there was none (a span holding only invoices
// marked deleted has none) or a read failed; the tables are closed either way when it returns
// false.
bool PassInvoices(double spanStart, double spanEnd, const std::function<void()>& invoice) {
    SpanPass pass(InvTbl, "InvD", spanStart, spanEnd);
    if (PassFailed()) {
        CloseReportTables();
        return false;
    }
    long visited = 0;
    const bool read = !pass.Empty() && pass.Run(kProcessingSales, [&] {
        ReadInvoiceAmounts();
        invoice();
        ++visited;
    });
    if (!pass.Empty() && !read) {
        CloseReportTables();
        return false;
    }
    if (visited == 0) {
        CloseReportTables();
        prompt::information(nullptr, kNoInvoices);
        return false;
    }
    return true;
}

// Puts `cells` (cell index, text) on the last line.
void PutCells(ReportDocument& doc, std::initializer_list<std::pair<int, QString>> cells) {
    for (const auto& [i, text] : cells) doc.Cell(i) = text;
}

// Every "V" column code of the document on the last line.
void PutRules(ReportDocument& doc) {
    for (int i = 0; i < doc.ColCodes.size(); ++i) {
        if (doc.ColCodes.at(i).startsWith(u'V')) doc.Cell(i) = doc.ColCodes.at(i);
    }
}

// One product's sales within the span.
struct ProductSales {
    QString code;  // emptied once the row is printed
    Cents quantity = 0;
    Cents sale = 0;
};

// The rows of sales by product, in the order their products were first sold.
class ProductRows {
public:
    void Add(const QString& code, Cents quantity, Cents sale) {
        auto found = index_.constFind(code);
        if (found == index_.constEnd()) {
            found = index_.insert(code, static_cast<int>(rows_.size()));
            rows_.push_back({code});
        }
        ProductSales& row = rows_[*found];
        row.quantity += quantity;
        row.sale += sale;
    }

    // The row of a code not printed yet; nullptr when there is none.
    ProductSales* Unprinted(const QString& code) {
        const auto found = index_.constFind(code);
        if (found == index_.constEnd() || rows_[*found].code.isEmpty()) return nullptr;
        return &rows_[*found];
    }

    std::vector<ProductSales>& Rows() { return rows_; }

private:
    std::vector<ProductSales> rows_;
    QHash<QString, int> index_;
};

void PutProductRow(ReportDocument& doc, ProductSales& row, const QString& description,
                   Cents* total) {
    doc.CheckPage(doc.PageLine + 2, true);
    doc.NewLine();
    PutRules(doc);
    PutCells(doc, {{1, doc.ColCodes[1] + row.code},
                   {3, doc.ColCodes[3] + description},
                   {5, MoneyCell(doc.ColCodes[5], row.quantity, 10)},
                   {7, MoneyCell(doc.ColCodes[7], row.sale, 10)}});
    *total += row.sale;
    row.code.clear();
}

// Reads the product whose code is `code` in any letter case into ProdBuf; false when Prod5 has
// none. A product marked deleted (still offered by the product list) serves when no other
// record has the code.
bool FindProduct(const QString& code) {
    const QString wanted = code.trimmed().toUpper();
    const std::string key = KeyText(wanted.leftJustified(ProdTbl->selected()->keyLength(), u' '))
                                .toLatin1()
                                .toStdString();
    uint32_t deleted = 0;
    for (int rc = ProdTbl->seek(key); rc == xbase::kFound && ProdTbl->currentKey() == key;
         rc = ProdTbl->skip()) {
        if (ProdTbl->deleted()) {
            if (deleted == 0) deleted = ProdTbl->recNo();
            continue;
        }
        ReadProduct();
        return true;
    }
    if (deleted == 0 || ProdTbl->go(deleted) != xbase::kFound) return false;
    ReadProduct();
    return true;
}

// The sums of the tax report.
struct TaxSums {
    Cents net = 0;
    Cents taxable1 = 0;
    Cents taxable2 = 0;
    Cents charges1 = 0;
    Cents charges2 = 0;
};

// True when INV5 holds an invoice not marked deleted whose InvD key lies from `first` to `last`
// (day texts); false also when a read failed (the user has been told and the program is ending).
bool AnyInvoiceIn(const std::string& first, const std::string& last) {
    InvTbl->select(InvTbl->tag("InvD"));
    int rc = InvTbl->seek(first);
    for (; rc == xbase::kFound || rc == xbase::kAfter; rc = InvTbl->skip()) {
        if (InvTbl->currentKey() > last) return false;
        if (!InvTbl->deleted()) return true;
    }
    ReadFailed(rc);  // tells a failed read; no invoice was found either way
    return false;
}

// One line of the buyers report: its invoice's InvD key and record, which order the lines as the
// invoices stand in InvD, and its item's record, which orders the items of one invoice as Itm.
struct BuyerLine {
    std::string day;
    uint32_t invRec;
    uint32_t itemRec;
    bool operator<(const BuyerLine& o) const {
        return std::tie(day, invRec, itemRec) < std::tie(o.day, o.invRec, o.itemRec);
    }
};

// The lines of the buyers of the product `code` (as stored, trimmed) on the invoices dated from
// `first` to `last`, in report order: the product's items through ItmP (code, then invoice
// number), each with every invoice of its number within the span; records marked deleted are
// passed over. False when a read failed (the user has been told and the program is ending).
bool FindBuyerLines(const QString& code, const std::string& first, const std::string& last,
                    std::vector<BuyerLine>* lines) {
    const std::string prefix =
        ToCodePage(code.leftJustified(ItemFld.PrID->length(), u' ')).toStdString();
    ItemTbl->select(ItemTbl->tag("ItmP"));
    InvTbl->select(InvTbl->tag("Inv"));
    int rc = ItemTbl->seek(prefix);
    for (; rc == xbase::kFound && ItemTbl->currentKey().compare(0, prefix.size(), prefix) == 0;
         rc = ItemTbl->skip()) {
        // The item's record is read only once one of its invoices is found in the span.
        const std::string number = ItemTbl->currentKey().substr(prefix.size());
        const size_t before = lines->size();
        int found = InvTbl->seek(number);
        for (; found == xbase::kFound && InvTbl->currentKey() == number; found = InvTbl->skip()) {
            if (InvTbl->deleted()) continue;
            const std::string day = InvFld.IDate->str();
            if (day >= first && day <= last)
                lines->push_back({day, InvTbl->recNo(), ItemTbl->recNo()});
        }
        if (ReadFailed(found)) return false;
        if (lines->size() > before && ItemTbl->deleted()) lines->resize(before);
    }
    if (ReadFailed(rc)) return false;
    std::sort(lines->begin(), lines->end());
    return true;
}

}  // namespace

bool MakeSalesSummary(ReportDocument& doc, double spanStart, double spanEnd) {
    if (!OpenSalesTables(false)) return false;
    doc.RptWidth = 64;
    doc.CellCount = 14;
    doc.StartReport();
    doc.Titles = {"Sales Summary for " + SpanText(spanStart, spanEnd)};
    doc.ColCodes = {"V00", "R07", "V08", "R17", "V18", "R28", "V29",
                    "R40", "V41", "R52", "V53", "R63", "V64"};
    PutStandardHeadings(
        doc, {"", "Inv. No", "", "Date", "", "Items", "", SettingsRecord.ShipLine.trimmed(), "",
              SettingsRecord.TaxLine.trimmed(), "", "Total"});
    // Widened before the first line: every line is then written in its place once.
    WidenDateColumns(doc, {17});
    // Items, first charge, second charge, total.
    std::array<Cents, 4> totals{};
    ReportDates dates;
    ItemPass itemPass;
    const OnePassCache cache;
    const bool read = PassInvoices(spanStart, spanEnd, [&] {
        Cents items = 0;
        itemPass.ForEach(InvBuf.IvNo, [&] { items += ItemSale(); });
        const Cents ship = ToCents(InvBuf.Ship);
        const Cents tax = ToCents(InvBuf.Tax);
        const std::array<Cents, 4> amounts = {items, ship, tax, items + ship + tax};
        doc.CheckPage(doc.PageLine + 1, true);
        doc.NewLine();
        PutRules(doc);
        doc.Cell(1) = doc.ColCodes[1] + PadNum(InvBuf.IvNo, 6);
        doc.Cell(3) = doc.ColCodes[3] + dates.Of(InvBuf.IDate);
        for (int k = 0; k < 4; ++k) {
            doc.Cell(5 + 2 * k) = MoneyCell(doc.ColCodes[5 + 2 * k], amounts[k], 10);
            totals[k] += amounts[k];
        }
    });
    if (!read) return false;
    CloseReportTables();
    if (doc.CurLine < 0) return false;
    UnderlineLastLine(doc);
    doc.CheckPage(doc.PageLine + 1, true);
    doc.NewLine();
    PutRules(doc);
    doc.Cell(2).clear();
    doc.Cell(3) = doc.ColCodes[3] + QStringLiteral("Totals");
    for (int k = 0; k < 4; ++k)
        doc.Cell(5 + 2 * k) = MoneyCell(doc.ColCodes[5 + 2 * k], totals[k], 10);
    doc.Style() = QStringLiteral("U");
    return true;
}

bool MakeProductSummary(ReportDocument& doc, double spanStart, double spanEnd) {
    if (!OpenSalesTables(true)) return false;
    doc.RptWidth = 65;
    doc.CellCount = 10;
    doc.StartReport();
    doc.Titles = {"Sales by Product from " + SpanText(spanStart, spanEnd)};
    doc.ColCodes = {"V00", "L02", "V13", "L15", "V43", "R49", "V51", "R63", "V65"};
    PutStandardHeadings(doc, {"", "Item Code", "", "Description", "", "Qty.", "", "Sale Total"});
    ProductRows rows;
    ItemPass itemPass;
    const bool read = PassInvoices(spanStart, spanEnd, [&] {
        itemPass.ForEach(InvBuf.IvNo, [&] {
            ReadItemCode();
            rows.Add(TrimRight(ItemBuf.PrID), ToCents(ItemBuf.Qty), ItemSale());
        });
    });
    if (!read) return false;
    Cents total = 0;
    int rc = ProdTbl->top();
    for (; rc == xbase::kFound; rc = ProdTbl->skip()) {
        if (ProdTbl->deleted()) continue;
        ReadProduct();
        if (ProductSales* row = rows.Unprinted(TrimRight(ProdBuf.PrID)))
            PutProductRow(doc, *row, TrimRight(ProdBuf.PDesc), &total);
    }
    const bool failed = ReadFailed(rc);
    CloseReportTables();
    if (failed) return false;
    for (ProductSales& row : rows.Rows()) {
        if (!row.code.isEmpty()) PutProductRow(doc, row, QStringLiteral("Unknown Product"), &total);
    }
    if (doc.CurLine < 0) {
        prompt::information(nullptr, QStringLiteral("No Sales within selected dates."));
        return false;
    }
    UnderlineLastLine(doc);
    doc.NewLine();
    PutRules(doc);
    doc.Cell(2).clear();
    doc.Cell(4).clear();
    PutCells(doc, {{1, "L02Total Sales"}, {7, MoneyCell("R63", total, 10)}});
    doc.Style() = QStringLiteral("U");
    return true;
}

bool MakeTaxReport(ReportDocument& doc, double spanStart, double spanEnd) {
    if (!OpenSalesTables(false)) return false;
    doc.RptWidth = 50;
    doc.CellCount = 4;
    doc.StartReport();
    doc.Titles = {"Tax report for " + SpanText(spanStart, spanEnd)};
    doc.ColCodes = {"L00", "R38", "R50"};
    const SettingsValues& s = SettingsRecord;
    TaxSums sums;
    ItemPass itemPass;
    const bool read = PassInvoices(spanStart, spanEnd, [&] {
        Cents taxable2 = 0;
        itemPass.ForEach(InvBuf.IvNo, [&] {
            const Cents sale = ItemSale();
            sums.net += sale;
            if (ItemBuf.LTax1) sums.taxable1 += sale;
            if (ItemBuf.LTax2) taxable2 += sale;
        });
        const Cents ship = ToCents(InvBuf.Ship);
        const Cents tax = ToCents(InvBuf.Tax);
        if (s.ShipTax == 2 || (s.ShipTax == 3 && tax > 0)) taxable2 += ship;
        sums.taxable2 += taxable2;
        sums.charges1 += ship;
        sums.charges2 += tax;
    });
    if (!read) return false;
    CloseReportTables();
    // The captions are trimmed: as stored they fill their whole field, which would push
    // " Charged" and the amounts past the right edge of the report.
    const QString ship = s.ShipLine.trimmed();
    const QString tax = s.TaxLine.trimmed();
    doc.CheckPage(doc.PageLine + 2, false);
    doc.NewLine();
    doc.Style() = QStringLiteral("U");
    doc.NewLine();
    PutCells(doc, {{0, "L00Net Item Sales"}, {2, MoneyCell("R50", sums.net, 11)}});
    if (s.TaxRate1 > 0) {
        doc.Style() = QStringLiteral("U");
        doc.NewLine();
        PutCells(doc,
                 {{0, "L00Sales subject to " + ship}, {1, MoneyCell("R38", sums.taxable1, 11)}});
    }
    const struct {
        QString text;
        int cell;
        Cents amount;
        bool ruled;
    } lines[] = {
        {ship + " Charged", 2, sums.charges1, true},
        {"Sales subject to " + tax, 1, sums.taxable2, false},
        {tax + " Charged", 2, sums.charges2, true},
        {"Total", 2, sums.net + sums.charges1 + sums.charges2, true},
    };
    for (const auto& line : lines) {
        doc.NewLine();
        PutCells(doc, {{0, "L00" + line.text},
                       {line.cell, MoneyCell(doc.ColCodes[line.cell], line.amount, 11)}});
        if (line.ruled) doc.Style() = QStringLiteral("U");
    }
    return true;
}

bool MakeProductBuyers(ReportDocument& doc, const QString& productCode, double spanStart,
                       double spanEnd) {
    if (!OpenSalesTables(true) || !OpenCustomers() || !OpenGroups()) {
        CloseReportTables();
        return false;
    }
    if (!FindProduct(productCode)) {
        CloseReportTables();
        prompt::information(nullptr, "Product not on file: " + productCode.trimmed());
        return false;
    }
    const QString code = TrimRight(ProdBuf.PrID);
    const std::string first = DateToText(std::floor(spanStart)).toStdString();
    const std::string last = DateToText(std::floor(spanEnd)).toStdString();
    if (!AnyInvoiceIn(first, last)) {
        CloseReportTables();
        if (!PassFailed()) prompt::information(nullptr, kNoInvoices);
        return false;
    }
    doc.RptWidth = 77;
    doc.CellCount = 10;
    doc.StartReport();
    doc.Titles = {"Buyers of " + code + "-" + TrimRight(ProdBuf.PDesc),
                  "from " + SpanText(spanStart, spanEnd)};
    doc.ColCodes = {"V00", "L01", "V36", "L37", "V57", "R66", "V67", "R76", "V77"};
    PutStandardHeadings(doc, {"", "Customer", "", "MailGroup", "", "Date", "", "U-Price"});
    std::vector<BuyerLine> lines;
    if (!FindBuyerLines(code, first, last, &lines)) {
        CloseReportTables();
        return false;
    }
    ReportDates dates;
    bool failed = false;
    {
        RecordProgress progress(kProcessingSales, static_cast<long>(lines.size()));
        for (const BuyerLine& line : lines) {
            progress.Visited();
            failed = ReadFailed(InvTbl->go(line.invRec)) || ReadFailed(ItemTbl->go(line.itemRec));
            if (failed) break;
            ReadInvoiceAmounts();
            const Cents price = FieldCents(ItemFld.UPR);
            QString name = QStringLiteral("UNKNOWN");
            QString group = name;
            if (FindCustomerNo(InvBuf.CuNo)) {
                name = ReportName();
                group = GroupNameOf(CustBuf.ngroup);
            }
            doc.CheckPage(doc.PageLine + 1, true);
            doc.NewLine();
            PutRules(doc);
            PutCells(doc, {{1, doc.ColCodes[1] + name},
                           {3, doc.ColCodes[3] + group},
                           {5, doc.ColCodes[5] + dates.Of(InvBuf.IDate)},
                           {7, MoneyCell(doc.ColCodes[7], price, 8)}});
        }
    }
    failed = failed || PassFailed();
    CloseReportTables();
    if (failed) return false;
    if (doc.CurLine < 0) {
        prompt::information(nullptr, QStringLiteral("No Buyers within selected dates."));
        return false;
    }
    UnderlineLastLine(doc);
    WidenDateColumns(doc, {66});
    return true;
}

}  // namespace reports
