#include "reports/report_export.h"

#include <QFileInfo>
#include <QSaveFile>

#include "reports/layout_code.h"

namespace reports {
namespace {

// Where a text of the given length starts when it is placed by its cell's code.
qsizetype PlainTarget(const TextCellView& cell) {
    if (cell.align == u'R') return cell.column - cell.text.size();
    if (cell.align == u'C') return cell.column - cell.text.size() / 2;
    return cell.column;
}

}  // namespace

QString ExportLine(const ReportLine& line, ExportFormat format) {
    QString out;
    out.reserve(128);  // one allocation for a line of any report width
    for (qsizetype i = 0; i + 1 < line.size(); ++i) {
        const std::optional<TextCellView> cell = ParseTextCell(line.at(i));
        if (!cell) continue;
        if (format == ExportFormat::TabDelimited) {
            if (!out.isEmpty()) out += u'\t';
        } else {
            const qsizetype target = PlainTarget(*cell);
            if (out.size() < target) out.resize(target, u' ');
        }
        out += cell->text;
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
    QString text;
    text.reserve(document.Lines.size() * (document.RptWidth + 2));
    for (const ReportLine& line : document.Lines) {
        text += ExportLine(line, format);
        text += u'\n';
    }
    if (file.write(text.toUtf8()) < 0) {
        file.cancelWriting();
        return failed;
    }
    if (!file.commit()) return failed;
    return {true, {}};
}

}  // namespace reports
