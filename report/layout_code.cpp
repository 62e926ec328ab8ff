#include "report/layout_code.h"

namespace reports {
namespace {

// Reads the two characters at pos as a column: a digit or a blank, then a digit.
std::optional<int> ColumnAt(const QString& cell, int pos) {
    if (cell.size() < pos + 2) return std::nullopt;
    const QChar tens = cell.at(pos);
    const QChar ones = cell.at(pos + 1);
    if (!(tens == u' ' || tens.isDigit()) || !ones.isDigit()) return std::nullopt;
    return (tens == u' ' ? 0 : tens.digitValue() * 10) + ones.digitValue();
}

std::optional<double> InchesAt(const QString& style, int pos) {
    bool ok = false;
    const double value = style.mid(pos, 5).trimmed().toDouble(&ok);
    if (!ok || value <= 0) return std::nullopt;
    return value;
}

QString TwoDigits(int column) {
    return QString::number(column).rightJustified(2, u'0');
}

}  // namespace

std::optional<TextCellView> ParseTextCell(const QString& cell) {
    if (cell.isEmpty()) return std::nullopt;
    const QChar letter = cell.at(0);
    if (!(letter == u'L' || letter == u'R' || letter == u'C')) return std::nullopt;
    const auto column = ColumnAt(cell, 1);
    if (!column) return std::nullopt;
    return TextCellView{letter, *column, QStringView(cell).mid(3)};
}

LayoutCell ParseCell(const QString& cell) {
    LayoutCell out;
    if (cell.isEmpty()) return out;
    const QChar letter = cell.at(0);
    if (letter == u'E') {
        out.kind = CellKind::Eject;
        return out;
    }
    if (const std::optional<TextCellView> text = ParseTextCell(cell)) {
        out.kind = letter == u'L'   ? CellKind::Left
                   : letter == u'R' ? CellKind::Right
                                    : CellKind::Centre;
        out.align = letter;
        out.column = text->column;
        out.text = text->text.toString();
    } else if (letter == u'L' || letter == u'R' || letter == u'C') {
        return out;
    } else if (letter == u'H') {
        const auto from = ColumnAt(cell, 1);
        const auto to = ColumnAt(cell, 3);
        if (!from || !to) return out;
        out.kind = CellKind::HRule;
        out.column = *from;
        out.toColumn = *to;
    } else if (letter == u'V') {
        const auto column = ColumnAt(cell, 1);
        if (!column) return out;
        out.kind = CellKind::VRule;
        out.column = *column;
    } else if (letter == u'I') {
        const auto column = ColumnAt(cell, 2);
        const QChar align = cell.size() > 1 ? cell.at(1) : QChar();
        if (!column || !(align == u'L' || align == u'C' || align == u'R')) return out;
        out.kind = CellKind::Picture;
        out.align = align;
        out.column = *column;
        out.text = cell.mid(4).trimmed();
    }
    return out;
}

bool IsTextCell(const LayoutCell& cell) {
    return cell.kind == CellKind::Left || cell.kind == CellKind::Right ||
           cell.kind == CellKind::Centre;
}

LineStyle ParseStyle(const QString& style) {
    LineStyle out;
    out.bold = style.contains(u'B');
    out.underline = style.contains(u'U');
    if (style.startsWith(u'S')) {
        const auto height = InchesAt(style, 1);
        const auto width = InchesAt(style, 6);
        if (height && width) out.picture = PictureSize{*height, *width};
    }
    return out;
}

QString ColumnCode(QChar letter, int column) {
    return QString(letter) + TwoDigits(column);
}

QString RuleCode(int fromColumn, int toColumn) {
    return u'H' + TwoDigits(fromColumn) + TwoDigits(toColumn);
}

QString PictureCode(QChar align, int column, const QString& fileName) {
    return u'I' + QString(align) + TwoDigits(column) + fileName;
}

QString PictureStyle(double height, double width) {
    return u'S' + QString::asprintf("%5.2f%5.2f", height, width);
}

}  // namespace reports
