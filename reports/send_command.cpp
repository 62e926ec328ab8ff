#include "reports/send_command.h"

#include <QDate>
#include <QSet>
#include <cstdio>

#include "core/dates.h"
#include "core/prompt.h"
#include "db/program_state.h"
#include "mail/mail_password.h"
#include "mail/smtp_session.h"
#include "report/command_options.h"
#include "report/generator_steps.h"
#include "reports/send_run.h"

namespace reports {
namespace {

MailDocument KindOf(const QString& name) {
    if (name == QLatin1String("bills")) return MailDocument::Bill;
    if (name == QLatin1String("statements")) return MailDocument::Statement;
    if (name == QLatin1String("reminders")) return MailDocument::Reminder;
    return MailDocument::Invoice;
}

// What the documents were made for: statements of balances close on the span's last day, of
// customers named on today; letters on their day.
DocumentSelection SelectionOf(const ReportRequest& request, const ReminderRun& reminders) {
    DocumentSelection selection;
    selection.kind = KindOf(request.name);
    selection.day = DateValue(QDate::currentDate());
    if (selection.kind == MailDocument::Statement && request.selection.balancesOnly) {
        selection.spanned = true;
        selection.spanStart = request.selection.spanStart;
        selection.spanEnd = request.selection.spanEnd;
        selection.day = request.selection.spanEnd;
    }
    if (selection.kind == MailDocument::Reminder) {
        selection.day = request.selection.asOf;
        selection.reminders = &reminders;
    }
    return selection;
}

QString Described(const CustomerDocument& d) {
    return KindName(d.kind) + u' ' + d.number + QStringLiteral(" (") + d.name + u')';
}

// The letters of the run whose message was sent, recorded as a reminder run.
bool RecordSentLetters(const ReminderRun& reminders, const SendReport& report) {
    QSet<int> sent;
    for (const SendLine& line : report.lines)
        if (line.state == SendState::Sent) sent.insert(line.document.customer);
    ReminderRun recorded = reminders;
    recorded.letters.clear();
    for (const ReminderLetter& letter : reminders.letters)
        if (sent.contains(letter.customer)) recorded.letters.push_back(letter);
    if (recorded.letters.empty()) return true;
    QString error;
    if (RecordReminderRun(recorded, &error)) return true;
    prompt::information(nullptr, "The reminders sent could not be recorded.\n" + error);
    return false;
}

// Sends what was built; 0 when every message went.
int SendBuilt(const SendRequest& request, const DocumentRun& run, const ReminderRun& reminders) {
    MailSettings settings;
    QString error;
    if (!LoadMailSettings(&settings, &error)) {
        prompt::information(nullptr, error);
        return 1;
    }
    settings = WithOverrides(settings, request);
    if (settings.server.trimmed().isEmpty() || settings.senderAddress.trimmed().isEmpty()) {
        prompt::information(nullptr, QStringLiteral("Mail is not set up: give --server and "
                                                    "--sender, or set them in Mail Settings."));
        return 1;
    }
    QString password;
    const bool dryRun = !request.dryRunDir.isEmpty();
    if (!dryRun && !settings.user.isEmpty() && !FindMailPassword(settings, &password, &error)) {
        prompt::information(nullptr, error.isEmpty()
                                         ? "No password is kept for " + settings.user + " at " +
                                               settings.server + "; give it in " +
                                               QLatin1String(kPasswordVariable) + "."
                                         : error);
        return 1;
    }
    std::vector<CustomerDocument> documents;
    SendPlan plan;
    if (!DescribeDocuments(TheReport(), run, SelectionOf(request.documents, reminders),
                           &documents) ||
        !PlanSending(documents, request.resend || dryRun, &plan))
        return 1;
    SendRun send;
    send.doc = &TheReport();
    send.font = CommandLineReportFont();
    send.settings = settings;
    send.company = SettingsRecord.Company;
    send.dryRunDir = request.dryRunDir;
    std::optional<SmtpSession> session;
    if (!dryRun && !plan.toSend.empty()) {
        session.emplace(settings, password);
        send.deliver = [&session](const MailMessage& message, const QByteArray& composed) {
            return session->Send(message, composed);
        };
    }
    // Each result is printed as it comes, so that it is seen even when the run ends on a table
    // that cannot be written.
    send.told = [](const SendLine& line) {
        const QString result = line.state == SendState::Sent      ? QStringLiteral("sent")
                               : line.state == SendState::Written ? QStringLiteral("written")
                                                                  : "refused: " + line.reason;
        std::printf("%s to %s: %s\n", qPrintable(Described(line.document)),
                    qPrintable(line.document.address), qPrintable(result));
        std::fflush(stdout);
    };
    const SendReport report = SendDocuments(plan, send);
    for (const CustomerDocument& d : plan.noAddress)
        std::printf("%s: no mail address%s\n", qPrintable(Described(d)),
                    d.address.isEmpty() ? "" : qPrintable(" (\"" + d.address + "\")"));
    bool recorded = true;
    if (!dryRun && KindOf(request.documents.name) == MailDocument::Reminder)
        recorded = RecordSentLetters(reminders, report);
    if (!report.stopped.isEmpty()) prompt::information(nullptr, report.stopped);
    std::printf("%s\n", qPrintable(SendSummary(report, plan)));
    std::fflush(stdout);
    return report.refused == 0 && report.stopped.isEmpty() && recorded ? 0 : 1;
}

}  // namespace

QString SendUsage() {
    return QStringLiteral(
        "       corvane-admin [-C DIR] send invoices|bills|statements|reminders [selection as for "
        "report] [--dry-run DIR] [--resend]\n"
        "         [--server HOST[:PORT]] [--security none|starttls|tls] [--user NAME] "
        "[--sender ADDRESS]\n"
        "         (--user \"\" sends without logging in; the password is taken from the secret "
        "store, the user's file or CORVANE_SMTP_PASSWORD)\n");
}

std::optional<SendRequest> ParseSendArgs(const QStringList& args, const QDir& base, QString* why) {
    const auto refuse = [why](const QString& reason) -> std::optional<SendRequest> {
        *why = reason;
        return std::nullopt;
    };
    SendRequest request;
    QStringList selection;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& option = args.at(i);
        if (option == QLatin1String("--resend")) {
            if (request.resend) return refuse(option + " given twice");
            request.resend = true;
            continue;
        }
        const bool ours = option == QLatin1String("--dry-run") ||
                          option == QLatin1String("--server") ||
                          option == QLatin1String("--security") ||
                          option == QLatin1String("--user") || option == QLatin1String("--sender");
        if (!ours) {
            selection << option;
            continue;
        }
        // An empty user name sends without logging in.
        const bool mayBeEmpty = option == QLatin1String("--user");
        if (i + 1 >= args.size() || (args.at(i + 1).isEmpty() && !mayBeEmpty) ||
            args.at(i + 1).startsWith(QLatin1String("--")))
            return refuse(option + " needs a value");
        const QString value = args.at(++i);
        if (option == QLatin1String("--dry-run")) {
            if (!request.dryRunDir.isEmpty()) return refuse(option + " given twice");
            request.dryRunDir = QDir::cleanPath(base.absoluteFilePath(value));
        } else if (option == QLatin1String("--server")) {
            if (request.server) return refuse(option + " given twice");
            const qsizetype colon = value.lastIndexOf(u':');
            request.server = colon < 0 ? value : value.left(colon);
            if (colon >= 0) {
                bool ok = false;
                const int port = value.mid(colon + 1).toInt(&ok);
                if (!ok || port < 1 || port > 65535 || request.server->isEmpty())
                    return refuse(option + ": \"" + value + "\" is not HOST or HOST:PORT");
                request.port = port;
            }
        } else if (option == QLatin1String("--security")) {
            MailSecurity security;
            if (!ReadSecurityName(value, &security))
                return refuse(option + ": \"" + value + "\" is not none, starttls or tls");
            request.security = security;
        } else if (option == QLatin1String("--user")) {
            request.user = value;
        } else {
            if (!IsMailAddress(value))
                return refuse(option + ": \"" + value + "\" is not a mail address");
            request.sender = value;
        }
    }
    if (selection.isEmpty())
        return refuse(QStringLiteral("send: name invoices, bills, statements or reminders"));
    const std::optional<ReportRequest> documents = ParseDocumentArgs(selection, base, why);
    if (!documents) return std::nullopt;
    request.documents = *documents;
    return request;
}

MailSettings WithOverrides(MailSettings settings, const SendRequest& request) {
    if (request.server) settings.server = *request.server;
    if (request.security) {
        settings.security = *request.security;
        settings.port = UsualPort(*request.security);
    }
    if (request.port) settings.port = *request.port;
    if (request.user) settings.user = *request.user;
    if (request.sender) settings.senderAddress = *request.sender;
    return settings;
}

int RunSend(const SendRequest& request) {
    DocumentRun run;
    ReminderRun reminders;
    int status = 1;
    if (BuildCustomerDocuments(request.documents, &run, &reminders))
        status = SendBuilt(request, run, reminders);
    TheReport().FinishReport();
    return status;
}

}  // namespace reports
