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

// Where the position texts of a cell begin, by its code: none for a cell that holds no
// position. `centred` says whether the first is a centre, which stays on the report's centre.
struct Positions {
    int count = 0;
    int at[2] = {0, 0};
    bool centred = false;
};

Positions PositionsOf(QChar letter, QChar second) {
    switch (letter.unicode()) {
        case 'L':
        case 'R':
        case 'V':
            return {1, {1, 0}, false};
        case 'C':
            return {1, {1, 0}, true};
        case 'H':
            return {2, {1, 3}, false};
        case 'I':
            return {1, {2, 0}, second == u'C'};
        default:
            return {};
    }
}

// Where a position moves: positions at or right of `from` move `by`, one on `oldCentre` (when
// it is a centre) goes to `newCentre`.
struct Widening {
    int from;
    int by;
    int oldCentre;
    int newCentre;

    int Moved(int column, bool centred) const {
        return centred && column == oldCentre ? newCentre : column >= from ? column + by : column;
    }
};

// The cell with its position at `at` moved.
void Move(QString& cell, int at, const Widening& w, bool centred) {
    const int column = ColumnAt(cell, at);
    if (column < 0) return;
    const int moved = w.Moved(column, centred);
    if (moved == column) return;
    if (moved < 100) {
        cell[at] = QChar(u'0' + moved / 10);
        cell[at + 1] = QChar(u'0' + moved % 10);
    } else {
        cell.replace(at, 2, QString::number(moved));
    }
}

void MoveCell(QString& cell, const Widening& w) {
    if (cell.isEmpty()) return;
    const Positions p = PositionsOf(cell.at(0), cell.size() > 1 ? cell.at(1) : QChar());
    for (int k = 0; k < p.count; ++k) Move(cell, p.at[k], w, k == 0 && p.centred);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Moves the positions of the packed cells of line i where they are stored, when each is two
// digits there and stays two digits; false (the line left as it was) when one is not.
bool MoveInPlace(ReportLines& lines, qsizetype i, const Widening& w) {
    struct Write {
        char* at;
        int column;
    };
    Write writes[32];
    int pending = 0;
    bool inPlace = true;
    // The style cell (the last of a line) holds letters, not positions.
    lines.EditCells(i, [&](qsizetype c, qsizetype count, char* bytes, qsizetype stored,
                           qsizetype blanks) {
        if (!inPlace || stored == 0 || c + 1 == count) return;
        // The position texts lie in the code's bytes, or in the stored text when no blanks
        // were taken out of it; a position that reaches past them is no position.
        const qsizetype reach = blanks > 0 ? std::min<qsizetype>(stored, 3) : stored;
        const Positions p =
            PositionsOf(QLatin1Char(bytes[0]), stored > 1 ? QLatin1Char(bytes[1]) : QChar());
        for (int k = 0; k < p.count && inPlace; ++k) {
            const int at = p.at[k];
            if (blanks == 0 && reach < at + 2) continue;
            if (at + 2 > reach || !IsDigit(bytes[at]) || !IsDigit(bytes[at + 1]) || pending == 32) {
                inPlace = false;
                break;
            }
            const int column = (bytes[at] - '0') * 10 + (bytes[at + 1] - '0');
            const int moved = w.Moved(column, k == 0 && p.centred);
            if (moved >= 100) inPlace = false;
            if (moved != column) writes[pending++] = {bytes + at, moved};
        }
    });
    if (!inPlace) return false;
    for (int k = 0; k < pending; ++k) {
        writes[k].at[0] = static_cast<char>('0' + writes[k].column / 10);
        writes[k].at[1] = static_cast<char>('0' + writes[k].column % 10);
    }
    return true;
}

}  // namespace

int DateWidening() {
    return std::max<int>(
        0, DateToReportText(DateValue(QDate(2025, 12, 31))).size() - kLaidOutDateWidth);
}

void WidenAt(ReportDocument& doc, int column, int by) {
    if (by <= 0) return;
    const Widening w{column, by, doc.RptWidth / 2, (doc.RptWidth + by) / 2};
    // The style cell (the last of a line) holds letters, not positions.
    auto moveLine = [&](ReportLine& line) {
        for (qsizetype i = 0; i + 1 < line.size(); ++i) MoveCell(line[i], w);
    };
    for (qsizetype i = 0; i < doc.Lines.size(); ++i) {
        if (doc.Lines.IsPacked(i) && MoveInPlace(doc.Lines, i, w)) continue;
        ReportLine line = doc.Lines.at(i);
        moveLine(line);
        doc.Lines.replace(i, line);
    }
    for (ReportLine& line : doc.Headings) moveLine(line);
    for (QString& code : doc.ColCodes) MoveCell(code, w);
    doc.RptWidth += by;
}

void WidenDateColumns(ReportDocument& doc, std::initializer_list<int> rightEdges) {
    std::vector<int> edges(rightEdges);
    std::sort(edges.rbegin(), edges.rend());  // the rightmost first, so that each is found
    const int by = DateWidening();
    for (int edge : edges) WidenAt(doc, edge, by);
}

}  // namespace reports
