#include "report/report_export.h"

#include <unistd.h>
#include <cstdio>
#include <optional>

#include <QFileInfo>
#include <QSaveFile>

#include "report/device_output.h"
#include "report/layout_code.h"

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
    if (chosen.isEmpty() || !QFileInfo(chosen).suffix().isEmpty() || IsDeviceOutput(chosen))
        return chosen;
    return chosen + u'.' + ExportSuffix(format);
}

QString DataFileOutputMessage(const QString& fileName) {
    return QStringLiteral("Not saved: ") + fileName +
           QStringLiteral(" is one of the data files, and a report never replaces it.");
}

ExportResult WriteExportFile(const QString& fileName, const QByteArray& bytes) {
    const bool toStandardOutput = fileName == QLatin1String(kStandardOutput);
    const auto failed = [&](const QString& reason) {
        const QString shown = toStandardOutput ? QStringLiteral("the standard output") : fileName;
        return ExportResult{false, QStringLiteral("Unable to save to: ") + shown + ": " + reason};
    };
    if (toStandardOutput) {
        std::fflush(stdout);
        const std::optional<QString> reason = WriteAll(STDOUT_FILENO, bytes);
        return reason ? failed(*reason) : ExportResult{true, {}};
    }
    if (IsDeviceOutput(fileName)) {
        const std::optional<QString> reason = WriteIntoDevice(fileName, bytes);
        return reason ? failed(*reason) : ExportResult{true, {}};
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) return failed(file.errorString());
    if (const std::optional<QString> reason = WriteAll(file.handle(), bytes)) {
        file.cancelWriting();
        return failed(*reason);
    }
    if (!file.commit()) return failed(file.errorString());
    return {true, {}};
}

ExportResult SaveReport(const ReportDocument& document, const QString& fileName,
                        ExportFormat format) {
    QString text;
    text.reserve(document.Lines.size() * (document.RptWidth + 2));
    for (const ReportLine& line : document.Lines) {
        text += ExportLine(line, format);
        text += u'\n';
    }
    return WriteExportFile(fileName, text.toUtf8());
}

}  // namespace reports
