// Export of the report document to a text file: plain text with every text cell placed at its
// column by spaces, or tab-delimited text with the texts of a line separated by single TABs.
// Rules, pictures, page breaks and style cells contribute nothing; page breaks become empty
// lines. A regular file is written beside its final name and renamed into place only when
// complete; a device, FIFO or socket is written into (report/device_output.h).
#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "report/device_output.h"
#include "report/report_document.h"

namespace reports {

enum class ExportFormat { PlainText, TabDelimited };

// The text of one line: the cells before the style cell, in order.
QString ExportLine(const ReportLine& line, ExportFormat format);

// The text of every line of the document.
QStringList ExportLines(const ReportDocument& document, ExportFormat format);

// The save dialog's filter and the extension a chosen name gets when it has none.
QString ExportFilter(ExportFormat format);
QString ExportSuffix(ExportFormat format);

// The chosen file name with the format's extension added when the name has no extension and
// is not a device, FIFO or socket.
QString ExportFileName(const QString& chosen, ExportFormat format);

struct ExportResult {
    bool saved = false;
    // On failure the message to show: "Unable to save to: ", the file name and the system's
    // reason.
    QString message;
};

// What the user is told when an output would name one of the data files.
QString DataFileOutputMessage(const QString& fileName);

// The file name that stands for the standard output, as command lines write it.
inline constexpr char kStandardOutput[] = "-";

// Writes bytes to fileName through a file beside it that is renamed into place only when every
// write and the commit succeeded; otherwise the new file is removed, an earlier one stays as it
// was, and the message gives the system's reason. kStandardOutput writes them to the standard
// output instead, flushed and checked; a device, FIFO or socket gets them written into it and
// stays what it is.
ExportResult WriteExportFile(const QString& fileName, const QByteArray& bytes);

// The same for bytes given in pieces (report/device_output.h); a long report is written out as
// its lines are turned into text, never held whole.
ExportResult WriteExportFile(const QString& fileName, const ChunkSource& source);

// Writes the document to fileName, replacing an earlier file of that name only when the new
// one is complete. On failure no new file is left behind and an earlier one stays as it was.
ExportResult SaveReport(const ReportDocument& document, const QString& fileName,
                        ExportFormat format);

// Report lines written into their files as the generator gives them up (report/report_lines.h),
// so that the text of a report of a year's invoices is never held whole. Each file is written
// beside its final name and renamed into place only by Commit; a run that ends otherwise leaves
// every earlier file as it was. Regular files only: see Streams.
class StreamedExport : public LineSink {
public:
    // True when fileName may be streamed into: a regular file or a new one, neither the standard
    // output nor a device, FIFO or socket.
    static bool Streams(const QString& fileName);

    // Opens a file for each (name, format); false when one could not be opened (none is then
    // written, and the caller writes them as usual).
    bool Open(const std::vector<std::pair<QString, ExportFormat>>& files);

    void Take(const ReportLine& line) override;
    void Restart() override;

    // Writes what is still gathered and puts each file in place: their results in the order
    // opened, each failure with its message.
    std::vector<ExportResult> Commit();

private:
    struct Output {
        QString name;
        ExportFormat format;
        std::unique_ptr<QSaveFile> file;
        QByteArray chunk;
        std::optional<QString> failure;
    };
    void Flush(Output& output);

    std::vector<Output> outputs_;
};

}  // namespace reports
