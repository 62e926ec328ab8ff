#include "report/generator_steps.h"

#include "db/open_tables.h"
#include "db/program_state.h"

namespace reports {

void PutStandardHeadings(ReportDocument& doc, const QStringList& captions) {
    const int styleCell = doc.CellCount - 1;
    doc.Headings = {doc.EmptyLine(), doc.EmptyLine()};
    doc.Headings[0][styleCell] = QStringLiteral("U");
    for (int i = 0; i < styleCell && i < doc.ColCodes.size(); ++i) {
        const QString& code = doc.ColCodes.at(i);
        doc.Headings[1][i] = code.startsWith(u'V') ? code : code + captions.value(i);
    }
    doc.Headings[1][styleCell] = QStringLiteral("U");
}

void UnderlineLastLine(ReportDocument& doc) {
    if (!doc.Style().contains(u'U')) doc.Style() += u'U';
}

RecordProgress::RecordProgress(const QString& caption, long count) : count_(count) {
    if (Progress.show) Progress.show(true, caption);
}

RecordProgress::~RecordProgress() {
    if (Progress.show) Progress.show(false, QString());
}

void RecordProgress::Visited() {
    if (count_ > 0 && Progress.set) Progress.set(static_cast<int>((visited_ * 100 + 100) / count_));
    ++visited_;
}

void CloseReportTables() {
    if (DbContext) DbContext->closeAll();
    CustTbl = GroupTbl = InvTbl = ItemTbl = PmtTbl = ProdTbl = PurTbl = nullptr;
}

bool ReadFailed(int rc) {
    return rc < 0 && ExitOnError();
}

}  // namespace reports
