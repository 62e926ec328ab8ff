#include "reports/purchasing_report.h"

#include <cmath>

#include "core/convert.h"
#include "db/field_values.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "report/date_columns.h"
#include "report/generator_steps.h"

namespace reports {
namespace {

// The description of a product code as Pur5 holds it, looked up in Prod5 by its upper-cased
// code; "Not Found" when no product has that code.
QString DescriptionOf(const QString& code) {
    const xbase::Tag* tag = ProdTbl->selected();
    const int width = tag ? tag->keyLength() : static_cast<int>(code.size());
    const QString key = code.toUpper().leftJustified(width, u' ', true);
    if (Seek(ProdTbl, key) != xbase::kFound || ProdTbl->deleted())
        return QStringLiteral("Not Found");
    ReadProduct();
    return TrimRight(ProdBuf.PDesc);
}

class PurchaseLines {
public:
    explicit PurchaseLines(ReportDocument& doc) : doc_(doc) {}

    void Put(const PurchaseRecord& purchase) {
        const bool newRun = !anyLine_ || purchase.PURProd != lastCode_;
        const QString description = newRun ? DescriptionOf(purchase.PURProd) : QString();
        doc_.CheckPage(doc_.PageLine + 1, true);
        doc_.NewLine();
        if (newRun) {
            doc_.Cell(0) = doc_.ColCodes[0] + TrimRight(purchase.PURProd);
            doc_.Cell(1) = doc_.ColCodes[1] + description;
        }
        doc_.Cell(2) = doc_.ColCodes[2] + DateToReportText(purchase.PURDate);
        doc_.Cell(3) = doc_.ColCodes[3] + NumText(purchase.PURQty, 10, 2);
        doc_.Cell(4) = doc_.ColCodes[4] + NumText(purchase.PURCost, 12, 2);
        total_ += purchase.PURCost;
        lastCode_ = purchase.PURProd;
        anyLine_ = true;
    }

    double Total() const { return total_; }

private:
    ReportDocument& doc_;
    QString lastCode_;
    bool anyLine_ = false;
    double total_ = 0;
};

}  // namespace

bool MakePurchasingReport(ReportDocument& doc, double spanStart, double spanEnd) {
    if (!OpenProducts() || !OpenPurchases()) {
        CloseReportTables();
        return false;
    }
    doc.RptWidth = 71;
    doc.CellCount = 6;
    doc.StartReport();
    doc.Titles = {"Purchasing Report for " + DateToReportText(spanStart) + " through " +
                  DateToReportText(spanEnd)};
    doc.ColCodes = {"L00", "L12", "R47", "R58", "R71"};
    PutStandardHeadings(doc, {"Product", "Description", "Date", "Quantity", "Cost"});
    const double firstDay = std::floor(spanStart);
    const double lastDay = std::floor(spanEnd);
    PurchaseLines lines(doc);
    bool failed = false;
    {
        RecordProgress progress(QStringLiteral("Processing Purchasing Report"),
                                static_cast<long>(PurTbl->recCount()));
        int rc = PurTbl->top();
        for (; rc == xbase::kFound; rc = PurTbl->skip()) {
            if (!PurTbl->deleted()) {
                ReadPurchase();
                const double day = std::floor(PurBuf.PURDate);
                if (day >= firstDay && day <= lastDay) lines.Put(PurBuf);
            }
            progress.Visited();
        }
        failed = ReadFailed(rc);
        CloseReportTables();
    }
    if (failed || doc.CurLine < 0) return false;
    UnderlineLastLine(doc);
    doc.NewLine();
    doc.Cell(0) = QStringLiteral("L00Total");
    doc.Cell(4) = "R71" + NumText(lines.Total(), 13, 2);
    WidenDateColumns(doc, {47});
    return true;
}

}  // namespace reports
