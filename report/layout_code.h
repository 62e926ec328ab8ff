// Layout codes of report cells. Every cell of a report line is a short text whose first letter
// says how it is placed (left, right or centred text, a rule, a picture, a page break), followed
// by a two-digit column; the last cell of a line is its style cell (bold, underline, picture
// size). This module reads those codes and builds the ones generators write.
#pragma once

#include <QChar>
#include <QString>
#include <optional>

namespace reports {

enum class CellKind { None, Left, Right, Centre, HRule, VRule, Picture, Eject };

// One cell as read from its code. Text cells carry their letter (L, R or C) as align, column
// and text; a horizontal rule its two columns; a vertical rule its column; a picture its
// alignment letter, column and file name (as text). A cell that is empty, has another letter or
// a malformed column is None.
struct LayoutCell {
    CellKind kind = CellKind::None;
    int column = 0;
    int toColumn = 0;
    QChar align;
    QString text;
};

LayoutCell ParseCell(const QString& cell);

// A text cell (L, R or C) read in place: its letter, column and a view of its text into the cell,
// which must outlive it. Nothing for any other cell. Exports of long reports read every cell
// this way.
struct TextCellView {
    QChar align;
    int column = 0;
    QStringView text;
};
std::optional<TextCellView> ParseTextCell(const QString& cell);

// True for the letters whose cells carry text (L, R, C); these are the cells that exports keep.
bool IsTextCell(const LayoutCell& cell);

// Printed size of a picture in inches, taken from the style cell of its line.
struct PictureSize {
    double height = 0;
    double width = 0;
};

struct LineStyle {
    bool bold = false;
    bool underline = false;
    std::optional<PictureSize> picture;
};

LineStyle ParseStyle(const QString& style);

// The prefix of a cell: the letter and the column in two digits ("R60", "V08").
QString ColumnCode(QChar letter, int column);

// A horizontal rule from one column to another ("H6073").
QString RuleCode(int fromColumn, int toColumn);

// A picture cell: "I", the alignment letter, the column and the file name.
QString PictureCode(QChar align, int column, const QString& fileName);

// The style cell of a picture line: "S", then height and width in inches, each five characters
// with two decimals (" 1.50 2.00").
QString PictureStyle(double height, double width);

// The cell that breaks the page.
inline const QString kEject = QStringLiteral("EJECT");

}  // namespace reports
