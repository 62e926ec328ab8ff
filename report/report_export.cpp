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

// One line's export being written as UTF-8 straight into the output: the cells before the
// style cell, each text cell placed by its code. Cells come as they are packed
// (report/report_lines.h), read in place, or as the text of a line held as its cells. The output
// is grown ahead in steps and cut back to the line by Done.
class LineWriter {
public:
    LineWriter(QByteArray& out, ExportFormat format)
        : out_(out), format_(format), start_(out.size()), end_(start_) {}

    void Cell(const PackedCell& cell) {
        const QUtf8StringView head = cell.head;
        if (head.isEmpty()) return;
        const char letter = head.at(0);
        if (letter != 'L' && letter != 'R' && letter != 'C') return;
        if (head.size() >= 3 && AsciiDigit(head.at(1)) && AsciiDigit(head.at(2))) {
            const QUtf8StringView first = head.sliced(3);
            const QUtf8StringView rest = cell.tail;
            Align(letter, (head.at(1) - '0') * 10 + (head.at(2) - '0'),
                  Utf16Length(first) + cell.blanks + Utf16Length(rest));
            Put(first.data(), first.size());
            Blanks(cell.blanks);
            Put(rest.data(), rest.size());
            return;
        }
        // A column with a blank for its tens, or a malformed one: read as the layout code reads it.
        QString whole = head.toString();
        if (cell.blanks > 0) whole += QString(cell.blanks, u' ') + cell.tail.toString();
        Parsed(whole);
    }

    void Cell(const QString& cell) {
        if (cell.isEmpty()) return;
        const char16_t letter = cell.at(0).unicode();
        if (letter != u'L' && letter != u'R' && letter != u'C') return;
        const char16_t tens = cell.size() >= 3 ? cell.at(1).unicode() : 0;
        const char16_t units = cell.size() >= 3 ? cell.at(2).unicode() : 0;
        if (tens >= u'0' && tens <= u'9' && units >= u'0' && units <= u'9') {
            Text(static_cast<char>(letter), (tens - u'0') * 10 + (units - u'0'),
                 QStringView(cell).sliced(3));
            return;
        }
        Parsed(cell);
    }

    // Ends the line: the output holds exactly what was written.
    void Done() { out_.resize(end_); }

private:
    // Room made in steps of this many bytes beyond what a piece needs.
    static constexpr qsizetype kStep = 256;

    void Parsed(const QString& whole) {
        const std::optional<TextCellView> view = ParseTextCell(whole);
        if (view) Text(static_cast<char>(view->align.unicode()), view->column, view->text);
    }

    // Places text: ASCII narrowed as it is copied, anything else as UTF-8.
    void Text(char align, int column, QStringView text) {
        Align(align, column, text.size());
        const qsizetype n = text.size();
        char* const to = Room(n);
        const char16_t* const from = text.utf16();
        qsizetype k = 0;
        for (; k < n && from[k] < 0x80; ++k) to[k] = static_cast<char>(from[k]);
        if (k == n) {
            end_ += n;
            return;
        }
        const QByteArray bytes = text.toUtf8();
        Put(bytes.constData(), bytes.size());
    }

    // Where a text of `length` (as a QString counts it) starts: after a TAB when it is not the
    // first, or at its column by blanks.
    void Align(char align, int column, qsizetype length) {
        if (format_ == ExportFormat::TabDelimited) {
            if (end_ > start_) *Take(1) = '\t';
        } else {
            const qsizetype target = align == 'R'   ? column - length
                                     : align == 'C' ? column - length / 2
                                                    : column;
            if (chars_ < target) {
                Blanks(target - chars_);
                chars_ = target;
            }
        }
        chars_ += length;
    }

    void Put(const char* data, qsizetype n) {
        if (n > 0) std::memcpy(Take(n), data, static_cast<size_t>(n));
    }
    void Blanks(qsizetype n) {
        if (n > 0) std::memset(Take(n), ' ', static_cast<size_t>(n));
    }
    // The next n bytes of the output, taken.
    char* Take(qsizetype n) {
        char* const at = Room(n);
        end_ += n;
        return at;
    }
    // Room for n more bytes at the end of the line; they are not taken.
    char* Room(qsizetype n) {
        if (out_.size() < end_ + n) out_.resize(end_ + n + kStep);
        return out_.data() + end_;
    }

    QByteArray& out_;
    const ExportFormat format_;
    const qsizetype start_;
    qsizetype end_;        // the end of what the line wrote so far
    qsizetype chars_ = 0;  // the line's length so far as a QString counts it
};

// Appends the export of line i of the document to out as UTF-8.
void AppendExportLine(const ReportLines& lines, qsizetype i, ExportFormat format, QByteArray& out) {
    LineWriter writer(out, format);
    lines.VisitCells(i, [&](qsizetype c, qsizetype count, const PackedCell& cell) {
        if (c + 1 < count) writer.Cell(cell);
    });
    writer.Done();
}

// Appends the export of a line held as its cells to out as UTF-8.
void AppendExportLine(const ReportLine& line, ExportFormat format, QByteArray& out) {
    LineWriter writer(out, format);
    for (qsizetype i = 0; i + 1 < line.size(); ++i) writer.Cell(line.at(i));
    writer.Done();
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
