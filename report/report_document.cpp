#include "report/report_document.h"

#include <stdexcept>

#include "core/convert.h"
#include "report/layout_code.h"

namespace reports {

void ReportDocument::StartReport() {
    if (RptWidth < 1 || RptWidth > 99)
        throw std::invalid_argument("report width must be 1 to 99 columns");
    if (CellCount < 2) throw std::invalid_argument("a report line needs a cell and a style cell");
    PageLength = CurrentPageLength();
    CurLine = -1;
    PageLine = -1;
    PageNo = 0;
    pageDay_.clear();
    Lines.clear();
    Titles.clear();
    Headings = {EmptyLine()};
    ColCodes = QStringList(CellCount - 1);
}

void ReportDocument::FinishReport() {
    Lines.clear();
    Headings.clear();
    ColCodes.clear();
    Titles.clear();
}

void ReportDocument::NewLine() {
    Lines.AppendEmpty(CellCount);
    ++CurLine;
    ++PageLine;
}

void ReportDocument::PutTitles() {
    for (const QString& title : Titles) {
        NewLine();
        Cell(0) = u'C' + PadNum(RptWidth / 2, 2) + title;
        Style() = QStringLiteral("B");
    }
}

void ReportDocument::PutGap() {
    NewLine();
    NewLine();
    Cell(0) = ColumnCode(u'L', 0);
}

void ReportDocument::PutHeadings() {
    NewLine();
    for (const ReportLine& row : Headings) {
        NewLine();
        ReportLine& line = Lines.last();
        line = row;
        line.resize(CellCount);
    }
}

bool ReportDocument::CheckPage(int needed, bool withHeadings) {
    if (PageNo != 0 && needed <= PageLength) return false;
    ++PageNo;
    if (PageNo > 1) {
        if (withHeadings && CurLine >= 0) Style() = QStringLiteral("U");
        NewLine();
        Cell(0) = kEject;
    }
    PageLine = 0;
    NewLine();
    Cell(0) = QStringLiteral("L00Page ") + QString::number(PageNo);
    if (pageDay_.isEmpty()) pageDay_ = DateToReportText(DateValue(QDate::currentDate()));
    Cell(1) = u'R' + PadNum(RptWidth, 2) + pageDay_;
    NewLine();
    PutTitles();
    PutGap();
    if (withHeadings) PutHeadings();
    return true;
}

void ReportDocument::DefaultSpan() {
    SpanMonthOf(QDate::currentDate());
}

void ReportDocument::SpanMonthOf(const QDate& day) {
    const QDate first(day.year(), day.month(), 1);
    SpanStart = DateValue(first);
    SpanEnd = DateValue(first.addMonths(1).addDays(-1));
}

ReportLine ReportDocument::EmptyLine() const {
    return ReportLine(CellCount);
}

QString& ReportDocument::Cell(int i) {
    return Lines.last()[i];
}

QString& ReportDocument::Style() {
    return Cell(CellCount - 1);
}

ReportDocument& TheReport() {
    static ReportDocument document;
    return document;
}

void ResetTheReport() {
    TheReport() = ReportDocument();
}

}  // namespace reports
