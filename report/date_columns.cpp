#include "report/date_columns.h"

#include <QDate>
#include <algorithm>
#include <vector>

#include "core/dates.h"

namespace reports {
namespace {

constexpr int kLaidOutDateWidth = 8;

// The column of a two-digit position text; -1 when it is not one. Lines come by the hundred
// thousand: two digits, by far the most common, are read as they stand.
int ColumnAt(const QString& cell, int at) {
    if (cell.size() < at + 2) return -1;
    const QChar tens = cell.at(at);
    const QChar units = cell.at(at + 1);
    if (tens.isDigit() && units.isDigit() && tens.unicode() < 128 && units.unicode() < 128)
        return (tens.unicode() - '0') * 10 + (units.unicode() - '0');
    bool ok = false;
    const int column = cell.mid(at, 2).trimmed().toInt(&ok);
    return ok ? column : -1;
}

// The cell with its position moved: positions at or right of `from` move `by`, a position on
// `oldCentre` goes to `newCentre`.
void Move(QString& cell, int at, int from, int by, int oldCentre, int newCentre, bool centred) {
    const int column = ColumnAt(cell, at);
    if (column < 0) return;
    const int moved = centred && column == oldCentre ? newCentre
                      : column >= from               ? column + by
                                                     : column;
    if (moved == column) return;
    if (moved < 100) {
        cell[at] = QChar(u'0' + moved / 10);
        cell[at + 1] = QChar(u'0' + moved % 10);
    } else {
        cell.replace(at, 2, QString::number(moved));
    }
}

void MoveCell(QString& cell, int from, int by, int oldCentre, int newCentre) {
    if (cell.isEmpty()) return;
    switch (cell.at(0).unicode()) {
        case 'L':
        case 'R':
        case 'V':
            Move(cell, 1, from, by, oldCentre, newCentre, false);
            break;
        case 'C':
            Move(cell, 1, from, by, oldCentre, newCentre, true);
            break;
        case 'H':
            Move(cell, 1, from, by, oldCentre, newCentre, false);
            Move(cell, 3, from, by, oldCentre, newCentre, false);
            break;
        case 'I':
            Move(cell, 2, from, by, oldCentre, newCentre, cell.size() > 1 && cell.at(1) == u'C');
            break;
        default:
            break;
    }
}

}  // namespace

int DateWidening() {
    return std::max<int>(
        0, DateToReportText(DateValue(QDate(2025, 12, 31))).size() - kLaidOutDateWidth);
}

void WidenAt(ReportDocument& doc, int column, int by) {
    if (by <= 0) return;
    const int oldCentre = doc.RptWidth / 2;
    const int newCentre = (doc.RptWidth + by) / 2;
    // The style cell (the last of a line) holds letters, not positions.
    auto moveLine = [&](ReportLine& line) {
        for (qsizetype i = 0; i + 1 < line.size(); ++i)
            MoveCell(line[i], column, by, oldCentre, newCentre);
    };
    doc.Lines.ChangeEach(moveLine);
    for (ReportLine& line : doc.Headings) moveLine(line);
    for (QString& code : doc.ColCodes) MoveCell(code, column, by, oldCentre, newCentre);
    doc.RptWidth += by;
}

void WidenDateColumns(ReportDocument& doc, std::initializer_list<int> rightEdges) {
    std::vector<int> edges(rightEdges);
    std::sort(edges.rbegin(), edges.rend());  // the rightmost first, so that each is found
    const int by = DateWidening();
    for (int edge : edges) WidenAt(doc, edge, by);
}

}  // namespace reports
