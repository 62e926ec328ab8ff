#include "report/report_export.h"

#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include <QFileInfo>
#include <QSaveFile>

#include "report/device_output.h"
#include "report/layout_code.h"

namespace reports {
namespace {

// Bytes of text gathered before they are written out.
constexpr qsizetype kChunkBytes = qsizetype{1} << 20;

// The length of UTF-8 text as a QString counts it: one unit a character, two beyond U+FFFF.
qsizetype Utf16Length(QUtf8StringView text) {
    qsizetype n = 0;
    for (const char byte : text) {
        const auto b = static_cast<unsigned char>(byte);
        n += (b & 0xC0) != 0x80 ? 1 : 0;
        n += b >= 0xF0 ? 1 : 0;
    }
    return n;
}

bool AsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

// One line's export being written as UTF-8: the cells before the style cell, each text cell
// placed by its code. Cells come as they are packed (report/report_lines.h), read in place.
class LineWriter {
public:
    LineWriter(QByteArray& out, ExportFormat format)
        : out_(out), format_(format), start_(out.size()) {}

    void Cell(const PackedCell& cell) {
        const QUtf8StringView head = cell.head;
        if (head.isEmpty()) return;
        const char letter = head.at(0);
        if (letter != 'L' && letter != 'R' && letter != 'C') return;
        if (head.size() >= 3 && AsciiDigit(head.at(1)) && AsciiDigit(head.at(2))) {
            Place(letter, (head.at(1) - '0') * 10 + (head.at(2) - '0'), head.sliced(3), cell.blanks,
                  cell.tail);
            return;
        }
        // A column with a blank for its tens, or a malformed one: read as the layout code reads it.
        QString whole = head.toString();
        if (cell.blanks > 0) whole += QString(cell.blanks, u' ') + cell.tail.toString();
        const std::optional<TextCellView> view = ParseTextCell(whole);
        if (!view) return;
        const QByteArray text = view->text.toUtf8();
        Place(letter, view->column, QUtf8StringView(text), 0, {});
    }

private:
    // Places the text made of first, `blanks` spaces and rest.
    void Place(char align, int column, QUtf8StringView first, qsizetype blanks,
               QUtf8StringView rest) {
        const qsizetype length = Utf16Length(first) + blanks + Utf16Length(rest);
        if (format_ == ExportFormat::TabDelimited) {
            if (out_.size() > start_) out_ += '\t';
        } else {
            const qsizetype target = align == 'R'   ? column - length
                                     : align == 'C' ? column - length / 2
                                                    : column;
            if (chars_ < target) {
                out_.append(target - chars_, ' ');
                chars_ = target;
            }
        }
        out_.append(first.data(), first.size());
        out_.append(blanks, ' ');
        out_.append(rest.data(), rest.size());
        chars_ += length;
    }

    QByteArray& out_;
    const ExportFormat format_;
    const qsizetype start_;
    qsizetype chars_ = 0;  // the line's length so far as a QString counts it
};

// Appends the export of line i of the document to out as UTF-8.
void AppendExportLine(const ReportLines& lines, qsizetype i, ExportFormat format, QByteArray& out) {
    LineWriter writer(out, format);
    lines.VisitCells(i, [&](qsizetype c, qsizetype count, const PackedCell& cell) {
        if (c + 1 < count) writer.Cell(cell);
    });
}

// Appends the export of a line held as its cells to out as UTF-8. Only text cells are read; an
// ASCII one, by far the most common, goes through one buffer kept for the next.
void AppendExportLine(const ReportLine& line, ExportFormat format, QByteArray& out) {
    thread_local std::string ascii;
    LineWriter writer(out, format);
    for (qsizetype i = 0; i + 1 < line.size(); ++i) {
        const QString& cell = line.at(i);
        const qsizetype n = cell.size();
        if (n == 0 || (cell.at(0) != u'L' && cell.at(0) != u'R' && cell.at(0) != u'C')) continue;
        ascii.resize(static_cast<size_t>(n));
        qsizetype k = 0;
        for (; k < n && cell.at(k).unicode() < 0x80; ++k)
            ascii[static_cast<size_t>(k)] = static_cast<char>(cell.at(k).unicode());
        if (k == n) {
            writer.Cell(PackedCell{QUtf8StringView(ascii.data(), n), 0, {}});
        } else {
            const QByteArray bytes = cell.toUtf8();
            writer.Cell(PackedCell{QUtf8StringView(bytes), 0, {}});
        }
    }
}

ExportResult Failed(const QString& shown, const QString& reason) {
    return ExportResult{false, QStringLiteral("Unable to save to: ") + shown + ": " + reason};
}

}  // namespace

QString ExportLine(const ReportLine& line, ExportFormat format) {
    QByteArray out;
    AppendExportLine(line, format, out);
    return QString::fromUtf8(out);
}

QStringList ExportLines(const ReportDocument& document, ExportFormat format) {
    QStringList out;
    out.reserve(document.Lines.size());
    QByteArray line;
    for (qsizetype i = 0; i < document.Lines.size(); ++i) {
        line.clear();
        AppendExportLine(document.Lines, i, format, line);
        out.append(QString::fromUtf8(line));
    }
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
    bool given = false;
    return WriteExportFile(fileName, [&](QByteArray& chunk) {
        if (given) return false;
        chunk = bytes;
        given = true;
        return true;
    });
}

ExportResult WriteExportFile(const QString& fileName, const ChunkSource& source) {
    const bool toStandardOutput = fileName == QLatin1String(kStandardOutput);
    const auto failed = [&](const QString& reason) {
        return Failed(toStandardOutput ? QStringLiteral("the standard output") : fileName, reason);
    };
    if (toStandardOutput) {
        std::fflush(stdout);
        const std::optional<QString> reason = WriteAllChunks(STDOUT_FILENO, source);
        return reason ? failed(*reason) : ExportResult{true, {}};
    }
    if (IsDeviceOutput(fileName)) {
        const std::optional<QString> reason = WriteIntoDevice(fileName, source);
        return reason ? failed(*reason) : ExportResult{true, {}};
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) return failed(file.errorString());
    if (const std::optional<QString> reason = WriteAllChunks(file.handle(), source)) {
        file.cancelWriting();
        return failed(*reason);
    }
    if (!file.commit()) return failed(file.errorString());
    return {true, {}};
}

ExportResult SaveReport(const ReportDocument& document, const QString& fileName,
                        ExportFormat format) {
    qsizetype next = 0;
    return WriteExportFile(fileName, [&](QByteArray& chunk) {
        if (next >= document.Lines.size()) return false;
        chunk.clear();
        while (next < document.Lines.size() && chunk.size() < kChunkBytes) {
            AppendExportLine(document.Lines, next++, format, chunk);
            chunk += '\n';
        }
        return true;
    });
}

bool StreamedExport::Streams(const QString& fileName) {
    return fileName != QLatin1String(kStandardOutput) && !IsDeviceOutput(fileName);
}

bool StreamedExport::Open(const std::vector<std::pair<QString, ExportFormat>>& files) {
    outputs_.clear();
    for (const auto& [name, format] : files) {
        auto file = std::make_unique<QSaveFile>(name);
        if (!Streams(name) || !file->open(QIODevice::WriteOnly)) {
            outputs_.clear();  // each file cancels its writing as it goes
            return false;
        }
        outputs_.push_back({name, format, std::move(file), {}, std::nullopt});
        outputs_.back().chunk.reserve(kChunkBytes + kChunkBytes / 8);
    }
    return true;
}

void StreamedExport::Take(const ReportLine& line) {
    for (Output& output : outputs_) {
        if (output.failure) continue;
        AppendExportLine(line, output.format, output.chunk);
        output.chunk += '\n';
        if (output.chunk.size() >= kChunkBytes) Flush(output);
    }
}

void StreamedExport::Restart() {
    for (Output& output : outputs_) {
        output.chunk.clear();
        if (output.failure) continue;
        if (::ftruncate(output.file->handle(), 0) != 0 ||
            ::lseek(output.file->handle(), 0, SEEK_SET) != 0)
            output.failure = QString::fromLocal8Bit(std::strerror(errno));
    }
}

std::vector<ExportResult> StreamedExport::Commit() {
    std::vector<ExportResult> results;
    for (Output& output : outputs_) {
        if (!output.failure) Flush(output);
        if (!output.failure && !output.file->commit()) output.failure = output.file->errorString();
        if (output.failure) {
            output.file->cancelWriting();
            results.push_back(Failed(output.name, *output.failure));
        } else {
            results.push_back({true, {}});
        }
    }
    outputs_.clear();
    return results;
}

void StreamedExport::Flush(Output& output) {
    output.failure = WriteAll(output.file->handle(), output.chunk);
    output.chunk.resize(0);  // keeps its room for the next
}

}  // namespace reports
