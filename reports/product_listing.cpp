#include "reports/product_listing.h"

#include "core/convert.h"
#include "db/field_values.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "report/generator_steps.h"

namespace reports {
namespace {

void PutProduct(ReportDocument& doc) {
    const QString comment = TrimRight(ProdBuf.IComm);
    doc.CheckPage(doc.PageLine + (comment.isEmpty() ? 1 : 2), true);
    doc.NewLine();
    doc.Cell(0) = doc.ColCodes[0] + TrimRight(ProdBuf.PrID);
    doc.Cell(1) = doc.ColCodes[1] + TrimRight(ProdBuf.PDesc);
    doc.Cell(2) = doc.ColCodes[2] + NumText(ProdBuf.UPrice, 12, 2);
    doc.Cell(3) = doc.ColCodes[3] + NumText(ProdBuf.REORDER, 12, 2);
    if (comment.isEmpty()) return;
    doc.NewLine();
    doc.Cell(1) = doc.ColCodes[1] + comment;
}

}  // namespace

bool MakeProductListing(ReportDocument& doc) {
    if (!OpenProducts()) {
        CloseReportTables();
        return false;
    }
    doc.RptWidth = 64;
    doc.CellCount = 5;
    doc.StartReport();
    doc.Titles = {QStringLiteral("Product Listing")};
    doc.ColCodes = {"L00", "L12", "R51", "R64"};
    PutStandardHeadings(doc, {"Product", "Description", "Unit Price", "Reorder"});
    bool failed = false;
    {
        RecordProgress progress(QStringLiteral("Processing Product Listing"),
                                static_cast<long>(ProdTbl->recCount()));
        int rc = LastRc;
        for (; rc == xbase::kFound; rc = ProdTbl->skip()) {
            if (!ProdTbl->deleted()) {
                ReadProduct();
                PutProduct(doc);
            }
            progress.Visited();
        }
        failed = ReadFailed(rc);
        CloseReportTables();
    }
    if (failed || doc.CurLine < 0) return false;
    UnderlineLastLine(doc);
    return true;
}

}  // namespace reports
