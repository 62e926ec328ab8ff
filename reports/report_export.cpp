#include "reports/report_export.h"

#include <QFileInfo>
#include <QSaveFile>

#include "reports/layout_code.h"

namespace reports {
namespace {

// Where a text of the given length starts when it is placed by its cell's code.
qsizetype PlainTarget(const LayoutCell& cell) {
    switch (cell.kind) {
        case CellKind::Right:
            return cell.column - cell.text.size();
        case CellKind::Centre:
            return cell.column - cell.text.size() / 2;
        default:
            return cell.column;
    }
}

}  // namespace

QString ExportLine(const ReportLine& line, ExportFormat format) {
    QString out;
    for (qsizetype i = 0; i + 1 < line.size(); ++i) {
        const LayoutCell cell = ParseCell(line.at(i));
        if (!IsTextCell(cell)) continue;
        if (format == ExportFormat::TabDelimited) {
            if (!out.isEmpty()) out += u'\t';
        } else {
            const qsizetype target = PlainTarget(cell);
            if (out.size() < target) out += QString(target - out.size(), u' ');
        }
        out += cell.text;
    }
    return out;
}

QStringList ExportLines(const ReportDocument& document, ExportFormat format) {
    QStringList out;
    out.reserve(document.Lines.size());
    for (const ReportLine& line : document.Lines) out.append(ExportLine(line, format));
    return out;
}

QString ExportFilter(ExportFormat format) {
    return format == ExportFormat::TabDelimited ? QStringLiteral("Delimited files (*.asc)")
                                                : QStringLiteral("Text files (*.txt)");
}

QString ExportSuffix(ExportFormat format) {
    return format == ExportFormat::TabDelimited ? QStringLiteral("asc") : QStringLiteral("txt");
}

QString ExportFileName(const QString& chosen, ExportFormat format) {
    if (chosen.isEmpty() || !QFileInfo(chosen).suffix().isEmpty()) return chosen;
    return chosen + u'.' + ExportSuffix(format);
}

ExportResult SaveReport(const ReportDocument& document, const QString& fileName,
                        ExportFormat format) {
    const ExportResult failed{false, QStringLiteral("Unable to save to: ") + fileName};
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return failed;
    for (const QString& line : ExportLines(document, format)) {
        if (file.write((line + u'\n').toUtf8()) < 0) {
            file.cancelWriting();
            return failed;
        }
    }
    if (!file.commit()) return failed;
    return {true, {}};
}

}  // namespace reports
