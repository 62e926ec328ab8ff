#include "reports/send_run.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QSaveFile>
#include <QSet>
#include <QTime>
#include <algorithm>

#include "core/dates.h"
#include "db/sent_log.h"
#include "report/report_painter.h"
#include "reports/invoice_pass.h"

namespace reports {
namespace {

QString SentKey(const QString& kind, const QString& number) {
    return kind + u'\n' + number;
}

// The document's lines as a document of their own.
ReportDocument PartOf(const ReportDocument& doc, const CustomerDocument& document) {
    return DocumentPart(doc, document.from, document.to);
}

// Writes the message to its .eml file in the folder; empty when written, else why not.
QString WriteDryRun(const QString& dirName, const QString& fileName, const QByteArray& bytes) {
    if (!QDir().mkpath(dirName)) return QStringLiteral("Unable to save to: ") + dirName;
    QSaveFile file(QDir(dirName).filePath(fileName));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("Unable to save to: ") + file.fileName() + "\n" + file.errorString();
    return {};
}

// The sent log's record of a message the server was given.
SentEntry EntryFor(const SendLine& line) {
    SentEntry entry;
    entry.day = DateValue(QDate::currentDate());
    entry.time = QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
    entry.customer = line.document.customer;
    entry.kind = KindName(line.document.kind);
    entry.number = line.document.number;
    entry.address = line.document.address;
    entry.messageId = line.messageId;
    QString reason = line.reason;
    reason.replace(u'\r', u' ').replace(u'\n', u' ');
    entry.result = line.state == SendState::Sent ? QString::fromLatin1(kSentResult)
                                                 : QString::fromLatin1(kRefusedResult) + reason;
    return entry;
}

}  // namespace

bool PlanSending(const std::vector<CustomerDocument>& documents, bool resend, SendPlan* plan) {
    *plan = {};
    // The log is read also when it is not consulted: a run must not send what it cannot record.
    std::vector<SentEntry> log;
    if (!ReadSentLog(&log)) return false;
    QSet<QString> sent;
    for (const SentEntry& entry : log)
        if (!resend && entry.Sent()) sent.insert(SentKey(entry.kind, entry.number));
    for (const CustomerDocument& d : documents) {
        if (sent.contains(SentKey(KindName(d.kind), d.number)))
            plan->alreadySent.push_back(d);
        else if (!IsMailAddress(d.address))
            plan->noAddress.push_back(d);
        else
            plan->toSend.push_back(d);
    }
    return true;
}

QString AttachmentName(const CustomerDocument& document) {
    return KindTitle(document.kind) + u' ' + document.number + QStringLiteral(".pdf");
}

QString DryRunFileName(const CustomerDocument& document) {
    return KindName(document.kind) + u'-' + document.number + QStringLiteral(".eml");
}

MailMessage MessageFor(const CustomerDocument& document, const MailSettings& settings,
                       const QString& company, const QByteArray& pdf) {
    MailFields fields;
    fields.company = company.trimmed();
    fields.customer = document.name;
    const bool numbered =
        document.kind == MailDocument::Invoice || document.kind == MailDocument::Bill;
    if (numbered) fields.number = QString::number(document.invoice);
    fields.amountDue = MoneyText(document.due, 0).trimmed();
    // An invoice without terms is due when it arrives.
    if (document.dueDay > 0)
        fields.dueDate = DateToReportText(document.dueDay);
    else if (numbered)
        fields.dueDate = QStringLiteral("receipt");
    const MailTemplate& text = settings.TemplateFor(document.kind);

    MailMessage message;
    message.senderName = settings.senderName;
    message.senderAddress = settings.senderAddress;
    message.replyTo = settings.replyTo;
    message.to = QStringList{document.address};
    if (settings.copyToSender) message.bcc = QStringList{settings.senderAddress};
    message.subject = FillMailTemplate(text.subject, fields);
    message.body = FillMailTemplate(text.body, fields);
    message.attachments.push_back({AttachmentName(document), "application/pdf", pdf});
    return message;
}

SendReport SendDocuments(const SendPlan& plan, const SendRun& run) {
    SendReport report;
    const int total = static_cast<int>(plan.toSend.size());
    for (int i = 0; i < total; ++i) {
        if (run.progress) run.progress(i, total);
        const CustomerDocument& document = plan.toSend[static_cast<size_t>(i)];
        const std::optional<QByteArray> pdf = PdfOf(PartOf(*run.doc, document), run.font);
        if (!pdf) {
            report.stopped = "Unable to print " + KindTitle(document.kind) + u' ' + document.number;
            break;
        }
        MailMessage message = MessageFor(document, run.settings, run.company, *pdf);
        const QByteArray composed = ComposeMessage(&message, QDateTime::currentDateTime());
        SendLine line{document, SendState::Written, {}, QString::fromLatin1(message.messageId)};
        if (!run.dryRunDir.isEmpty()) {
            report.stopped = WriteDryRun(run.dryRunDir, DryRunFileName(document), composed);
            if (!report.stopped.isEmpty()) break;
            ++report.written;
            report.lines.push_back(line);
            if (run.told) run.told(line);
            continue;
        }
        const SendOutcome outcome = run.deliver(message, composed);
        line.state = outcome.sent ? SendState::Sent : SendState::Refused;
        line.reason = outcome.reason;
        ++(outcome.sent ? report.sent : report.refused);
        report.lines.push_back(line);
        if (run.told) run.told(line);
        QString error;
        if (!AppendSentEntry(EntryFor(line), &error)) {
            report.stopped =
                error.isEmpty() ? QStringLiteral("The sent log could not be opened.") : error;
            break;
        }
        // A server that cannot be reached, refuses the log-in or stops answering fails every
        // message alike: the rest would only wait for it in turn.
        if (outcome.serverFault) {
            report.stopped = "Sending stopped: " + outcome.reason;
            break;
        }
    }
    if (run.progress && report.stopped.isEmpty()) run.progress(total, total);
    return report;
}

std::vector<CustomerDocument> UnsentDocuments(const SendReport& report, const SendPlan& plan) {
    std::vector<CustomerDocument> unsent = plan.noAddress;
    for (const SendLine& line : report.lines)
        if (line.state == SendState::Refused) unsent.push_back(line.document);
    std::sort(unsent.begin(), unsent.end(),
              [](const CustomerDocument& a, const CustomerDocument& b) { return a.from < b.from; });
    return unsent;
}

ReportDocument JoinedDocuments(const ReportDocument& doc,
                               const std::vector<CustomerDocument>& documents) {
    ReportDocument joined = DocumentPart(doc, 0, 0);
    for (const CustomerDocument& d : documents) {
        // Every document but a run's first follows the page break that ends the one before.
        if (!joined.Lines.isEmpty() && d.from > 0) joined.Lines.append(doc.Lines.at(d.from - 1));
        for (int line = d.from; line < d.to; ++line) joined.Lines.append(doc.Lines.at(line));
    }
    joined.CurLine = static_cast<int>(joined.Lines.size()) - 1;
    return joined;
}

QString SendSummary(const SendReport& report, const SendPlan& plan) {
    QStringList parts;
    if (report.written > 0) parts << QString::number(report.written) + " written";
    parts << QString::number(report.sent) + " sent" << QString::number(report.refused) + " refused"
          << QString::number(plan.noAddress.size()) + " skipped (no address)";
    if (!plan.alreadySent.empty())
        parts << QString::number(plan.alreadySent.size()) + " sent before";
    return parts.join(QStringLiteral(", "));
}

}  // namespace reports
