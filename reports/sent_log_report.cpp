#include "reports/sent_log_report.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "core/dates.h"
#include "core/prompt.h"
#include "db/sent_log.h"
#include "report/date_columns.h"
#include "report/generator_steps.h"

namespace reports {
namespace {

// The report's width, and the column the server's reason for a refusal starts at, on the line
// under the message.
constexpr int kWidth = 92;
constexpr int kReasonColumn = 27;

// The text in lines of at most `width` characters, broken after a space where it can be.
QStringList Wrapped(const QString& text, int width) {
    QStringList lines;
    QString rest = text.trimmed();
    while (rest.size() > width) {
        qsizetype cut = rest.lastIndexOf(u' ', width);
        if (cut <= 0) cut = width;
        lines << rest.left(cut).trimmed();
        rest = rest.mid(cut).trimmed();
    }
    if (!rest.isEmpty()) lines << rest;
    return lines;
}

}  // namespace

bool MakeSentLogReport(ReportDocument& doc, double spanStart, double spanEnd) {
    std::vector<SentEntry> log;
    if (!ReadSentLog(&log)) return false;
    doc.RptWidth = kWidth;
    doc.CellCount = 7;
    doc.StartReport();
    doc.Titles = {"Messages Sent for " + DateToReportText(spanStart) + " through " +
                  DateToReportText(spanEnd)};
    doc.ColCodes = {"R08", "L10", "R25", "L27", "L52", "L84"};
    PutStandardHeadings(doc, {"Date", "Time", "Customer", "Document", "Address", "Result"});
    const double firstDay = std::floor(spanStart);
    const double lastDay = std::floor(spanEnd);
    int sent = 0;
    int refused = 0;
    for (const SentEntry& entry : log) {
        const double day = std::floor(entry.day);
        if (day < firstDay || day > lastDay) continue;
        const QStringList reason = entry.Sent()
                                       ? QStringList()
                                       : Wrapped(entry.result.mid(int(std::strlen(kRefusedResult))),
                                                 kWidth - kReasonColumn);
        doc.CheckPage(doc.PageLine + 1 + static_cast<int>(reason.size()), true);
        doc.NewLine();
        doc.Cell(0) = doc.ColCodes[0] + DateToReportText(entry.day);
        doc.Cell(1) = doc.ColCodes[1] + entry.time;
        doc.Cell(2) = doc.ColCodes[2] + QString::number(entry.customer);
        doc.Cell(3) = doc.ColCodes[3] + entry.kind + u' ' + entry.number;
        doc.Cell(4) = doc.ColCodes[4] + entry.address;
        doc.Cell(5) = doc.ColCodes[5] + (entry.Sent() ? "sent" : "refused");
        for (const QString& part : reason) {
            doc.NewLine();
            doc.Cell(3) = doc.ColCodes[3] + part;
        }
        ++(entry.Sent() ? sent : refused);
    }
    if (doc.CurLine < 0) {
        prompt::information(nullptr, QStringLiteral("No messages sent within selected dates."));
        return false;
    }
    UnderlineLastLine(doc);
    doc.NewLine();
    doc.Cell(0) = QStringLiteral("L00Total");
    doc.Cell(3) =
        doc.ColCodes[3] + QString::number(sent) + " sent, " + QString::number(refused) + " refused";
    WidenDateColumns(doc, {8});
    return true;
}

}  // namespace reports
