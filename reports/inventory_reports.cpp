#include "reports/inventory_reports.h"

#include <cmath>
#include <functional>

#include "core/convert.h"
#include "db/field_values.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "report/generator_steps.h"
#include "reports/inventory_costing.h"

namespace reports {
namespace {

QString Quantity(int64_t hundredths) {
    return NumText(static_cast<double>(hundredths) / 100.0, 12, 2);
}

QString Money(int64_t cents, int width = 12) {
    return NumText(static_cast<double>(cents) / 100.0, width, 2);
}

bool OpenStockTables() {
    if (OpenProducts() && OpenPurchases() && OpenItems() && OpenInvoices()) return true;
    CloseReportTables();
    return false;
}

// Calls `put` with the cost of every tracked product in Prod5 order as of each of `dates`;
// false when a table could not be read (the user has been told).
bool ForEachTrackedProduct(const QString& caption, long progressCount,
                           const std::vector<double>& dates,
                           const std::function<void(const std::vector<ProductCost>&)>& put) {
    InventoryCosting costing;
    RecordProgress progress(caption, progressCount);
    int rc = ProdTbl->top();
    for (; rc == xbase::kFound; rc = ProdTbl->skip()) {
        progress.Visited();
        if (ProdTbl->deleted() || !ProdFld.lInven->isTrue()) continue;
        ReadProduct();
        InventoryCosting::History history;
        if (!costing.Read(ProdBuf.PrID, &history)) {
            rc = xbase::kErrRead;  // the engine's own error is pending
            break;
        }
        std::vector<ProductCost> costs;
        for (double date : dates)
            costs.push_back(CostLots(history.purchases, history.sales, date, SettingsRecord.fifo));
        put(costs);
    }
    const bool failed = ReadFailed(rc);
    CloseReportTables();
    return !failed;
}

}  // namespace

bool MakeStockOnHand(ReportDocument& doc, double today) {
    if (!OpenStockTables()) return false;
    doc.RptWidth = 85;
    doc.CellCount = 7;
    doc.StartReport();
    doc.Titles = {"Stock On-Hand as of " + DateToReportText(today)};
    doc.ColCodes = {"L00", "L12", "R52", "R65", "R78", "R85"};
    doc.Headings = {doc.EmptyLine(), doc.EmptyLine(), doc.EmptyLine()};
    doc.Headings[0][6] = QStringLiteral("U");
    const QStringList second = {{}, {}, "Quantity", "Quantity", "Reorder", "Need"};
    const QStringList third = {"Product", "Description", "On-Hand", "On-Order", "Level", "Stock"};
    for (int i = 0; i < 6; ++i) {
        if (!second[i].isEmpty()) doc.Headings[1][i] = doc.ColCodes[i] + second[i];
        doc.Headings[2][i] = doc.ColCodes[i] + third[i];
    }
    doc.Headings[2][6] = QStringLiteral("U");

    const bool read = ForEachTrackedProduct(
        QStringLiteral("Processing Inventory"), static_cast<long>(ProdTbl->recCount()), {today},
        [&doc](const std::vector<ProductCost>& costs) {
            const ProductCost& c = costs.front();
            const int64_t onHand = c.lotQuantity - c.unmatchedSold;
            const int64_t reorder = std::llround(ProdBuf.REORDER * 100.0);
            doc.CheckPage(doc.PageLine + 2, true);
            doc.NewLine();
            doc.Cell(0) = doc.ColCodes[0] + TrimRight(ProdBuf.PrID);
            doc.Cell(1) = doc.ColCodes[1] + TrimRight(ProdBuf.PDesc);
            doc.Cell(2) = doc.ColCodes[2] + Quantity(onHand);
            doc.Cell(3) = doc.ColCodes[3] + Quantity(c.onOrder);
            doc.Cell(4) = doc.ColCodes[4] + Quantity(reorder);
            const bool enough = onHand + c.onOrder >= reorder;
            doc.Cell(5) = doc.ColCodes[5] + (enough ? "OK" : "YES");
            if (!enough) doc.Style() = QStringLiteral("B");
        });
    if (!read || doc.CurLine < 0) return false;
    UnderlineLastLine(doc);
    return true;
}

bool MakeCostOfGoodsSold(ReportDocument& doc, double spanStart, double spanEnd) {
    if (!OpenStockTables()) return false;
    doc.RptWidth = 50;
    doc.CellCount = 3;
    doc.StartReport();
    doc.Titles = {"Cost of Goods Sold from " + DateToReportText(spanStart) + " through " +
                  DateToReportText(spanEnd)};
    doc.ColCodes = {"L00", "R50"};
    PutStandardHeadings(doc, {"Description", "Amount"});

    const double firstDay = std::floor(spanStart);
    const double lastDay = std::floor(spanEnd);
    int64_t purchases = 0;
    xbase::Field* purDate = LookUpField(PurTbl, "PURDate");
    xbase::Field* purCost = LookUpField(PurTbl, "PURCost");
    int rc = PurTbl->top();
    for (; purDate && purCost && rc == xbase::kFound; rc = PurTbl->skip()) {
        if (PurTbl->deleted()) continue;
        const double day = std::floor(ReadDate(purDate));
        if (day >= firstDay && day <= lastDay) purchases += std::llround(purCost->asDouble() * 100);
    }
    if (ReadFailed(rc)) {
        CloseReportTables();
        return false;
    }
    int64_t beginning = 0;
    int64_t ending = 0;
    const long count = static_cast<long>(ProdTbl->recCount());
    if (!ForEachTrackedProduct(QStringLiteral("Processing Cost of Goods"), count,
                               {firstDay - 1, lastDay}, [&](const std::vector<ProductCost>& costs) {
                                   beginning += costs[0].lotValue;
                                   ending += costs[1].lotValue;
                               }))
        return false;

    doc.CheckPage(doc.PageLine + 6, true);
    const struct {
        const char* caption;
        int64_t amount;
        bool underline;
    } lines[] = {{"Beginning Inventory", beginning, false},
                 {"Inventory Purchases", purchases, true},
                 {"Total", beginning + purchases, false},
                 {"Ending Inventory", ending, true},
                 {"Cost of Goods Sold", beginning + purchases - ending, false}};
    for (const auto& line : lines) {
        doc.NewLine();
        doc.Cell(0) = "L00" + QLatin1String(line.caption);
        doc.Cell(1) = "R50" + Money(line.amount);
        if (line.underline) doc.Style() = QStringLiteral("U");
    }
    return true;
}

bool MakeInventoryValuation(ReportDocument& doc, double asOf) {
    if (!OpenStockTables()) return false;
    doc.RptWidth = 67;
    doc.CellCount = 5;
    doc.StartReport();
    doc.Titles = {"Inventory as of " + DateToReportText(asOf)};
    doc.ColCodes = {"L00", "L12", "R52", "R67"};
    PutStandardHeadings(doc, {"Product", "Description", "Quantity", "Cost"});
    int64_t total = 0;
    const bool read = ForEachTrackedProduct(
        QStringLiteral("Processing Inventory"), static_cast<long>(ProdTbl->recCount()), {asOf},
        [&doc, &total](const std::vector<ProductCost>& costs) {
            const ProductCost& c = costs.front();
            doc.CheckPage(doc.PageLine + 2, true);
            doc.NewLine();
            doc.Cell(0) = doc.ColCodes[0] + TrimRight(ProdBuf.PrID);
            doc.Cell(1) = doc.ColCodes[1] + TrimRight(ProdBuf.PDesc);
            doc.Cell(2) = doc.ColCodes[2] + Quantity(c.lotQuantity);
            doc.Cell(3) = doc.ColCodes[3] + Money(c.lotValue);
            total += c.lotValue;
        });
    if (!read || doc.CurLine < 0) return false;
    UnderlineLastLine(doc);
    doc.NewLine();
    doc.Cell(2) = QStringLiteral("R52Total");
    doc.Cell(3) = "R67" + Money(total);
    return true;
}

}  // namespace reports
