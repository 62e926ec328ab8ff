#include "mail/smtp_session.h"

#include <QDateTime>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <vector>

#include "mail/mail_module.h"
#include "mail/mail_module_loader.h"

namespace {

// Whole seconds, at least one, for the options that take seconds.
long Seconds(int ms) {
    return std::max(1L, (static_cast<long>(ms) + 999) / 1000);
}

// A command the server refused: its verb, for RCPT the recipient, and the reply.
struct Refusal {
    QByteArray command;
    QByteArray recipient;
    QByteArray reply;  // the reply's lines, joined by spaces
};

// The exchange with the server as the transfer saw it: the last command sent (never an argument
// of a log-in), the reply coming in, and the first refusal, which what follows it (RSET, QUIT)
// does not hide.
struct Dialogue {
    Refusal last;
    bool replyDone = true;  // the next reply line starts a new reply
    Refusal refusal;
};

int ReplyCode(const QByteArray& reply) {
    return reply.left(3).toInt();
}

// The commands whose replies the reasons tell; other lines sent (the parts of a log-in) are
// never kept.
bool IsCommand(const QByteArray& verb) {
    static const QByteArrayList kCommands = {"EHLO", "HELO", "STARTTLS", "AUTH", "MAIL",
                                             "RCPT", "DATA", "RSET",     "QUIT", "NOOP"};
    return kCommands.contains(verb);
}

void OnExchange(void* context, bool outgoing, const char* data, size_t size) {
    auto* dialogue = static_cast<Dialogue*>(context);
    const QByteArray text = QByteArray(data, static_cast<qsizetype>(size)).trimmed();
    if (outgoing) {
        const QByteArray verb = text.left(text.indexOf(' ')).toUpper();
        if (IsCommand(verb)) {
            dialogue->last.command = verb;
            dialogue->last.recipient.clear();
            const qsizetype open = text.indexOf('<');
            const qsizetype close = text.indexOf('>', open);
            if (verb == "RCPT" && open >= 0 && close > open)
                dialogue->last.recipient = text.mid(open + 1, close - open - 1);
        }
        dialogue->replyDone = true;
    } else {
        for (const QByteArray& raw : text.split('\n')) {
            const QByteArray line = raw.trimmed();
            if (line.size() < 3) continue;
            if (dialogue->replyDone) dialogue->last.reply = line.left(3);
            const QByteArray words = line.mid(4).trimmed();
            if (!words.isEmpty()) dialogue->last.reply += " " + words;
            dialogue->replyDone = line.size() == 3 || line.at(3) != '-';
            if (dialogue->replyDone && ReplyCode(dialogue->last.reply) >= 400 &&
                dialogue->refusal.reply.isEmpty())
                dialogue->refusal = dialogue->last;
        }
    }
}

QString Plain(const QByteArray& reply) {
    return QString::fromUtf8(reply).trimmed();
}

}  // namespace

struct SmtpSession::Connection {
    const MailModuleTable* module = nullptr;
    QString moduleError;  // why the module could not be opened
    void* transfer = nullptr;
    MailSettings settings;
    QString password;
    SmtpTimeouts timeouts;
    QString serverName;  // host:port, as the reasons name it
    Dialogue dialogue;

    QString Reason(const MailTransferOutcome& outcome, const MailMessage& message) const;
};

QString SmtpSession::Connection::Reason(const MailTransferOutcome& outcome,
                                        const MailMessage& message) const {
    const QString server = "The mail server " + serverName;
    const QString detail = QString::fromUtf8(outcome.detail).trimmed();
    const Refusal& refusal = dialogue.refusal;
    const int reply = ReplyCode(refusal.reply);
    if (outcome.failure == MailTransferFailure::LoginDenied || reply == 530 ||
        refusal.command == "AUTH")
        return server + " refused the log-in" +
               (settings.user.isEmpty() ? QString(" (no user name is set)")
                                        : " of user " + settings.user) +
               (refusal.reply.isEmpty() ? QString(".") : ": " + Plain(refusal.reply));
    if (refusal.command == "RCPT")
        return server + " refused the recipient " + QString::fromUtf8(refusal.recipient) + ": " +
               Plain(refusal.reply);
    if (refusal.command == "MAIL")
        return server + " refused the sender " + message.senderAddress + ": " +
               Plain(refusal.reply);
    if (refusal.command == "DATA")
        return server + " did not accept the message: " + Plain(refusal.reply);
    switch (outcome.failure) {
        case MailTransferFailure::HostNotFound:
            return server + " could not be found: there is no such host name.";
        case MailTransferFailure::CouldNotConnect:
            if (outcome.osError == ECONNREFUSED)
                return server +
                       " could not be reached: the connection was refused (no mail server "
                       "listens at that port).";
            return server + " could not be reached: " + detail;
        case MailTransferFailure::TimedOut: {
            const long seconds = std::max(1L, std::lround(outcome.seconds));
            return server + QString(" stopped answering: no reply came within %1 %2.")
                                .arg(seconds)
                                .arg(seconds == 1 ? "second" : "seconds");
        }
        case MailTransferFailure::NotTrusted:
            return server + " presented a certificate that is not trusted: " + detail;
        case MailTransferFailure::CertificateUnreadable:
            return "The certificate file " + settings.trustedCertificate +
                   " to trust could not be read.";
        case MailTransferFailure::SecureConnection:
            return "A secure connection to " + serverName + " could not be made: " + detail;
        case MailTransferFailure::NoStartTls:
            return server + " does not offer STARTTLS, so nothing was sent unencrypted.";
        case MailTransferFailure::ConnectionClosed:
            return server + " closed the connection before it took the message.";
        case MailTransferFailure::NotSmtp:
            return server + " gave a reply that is not SMTP" +
                   (dialogue.last.reply.isEmpty() ? QString(".")
                                                  : ": " + Plain(dialogue.last.reply));
        default:
            return server + ": " +
                   (detail.isEmpty() ? QString::fromUtf8(outcome.description) : detail);
    }
}

SmtpSession::SmtpSession(const MailSettings& settings, const QString& password,
                         SmtpTimeouts timeouts)
    : connection_(std::make_unique<Connection>()) {
    Connection& c = *connection_;
    c.settings = settings;
    c.password = password;
    c.timeouts = timeouts;
    const QString host = settings.server.trimmed();
    c.serverName =
        (host.contains(':') ? "[" + host + "]" : host) + ":" + QString::number(settings.port);
    c.module = MailModule(&c.moduleError);
    if (c.module) c.transfer = c.module->openTransfer();
}

SmtpSession::~SmtpSession() {
    if (connection_->transfer) connection_->module->closeTransfer(connection_->transfer);
}

SendOutcome SmtpSession::Send(const MailMessage& message, const QByteArray& composed) {
    Connection& c = *connection_;
    if (!c.module) return {false, c.moduleError + " No mail can be sent.", true};
    if (!c.transfer)
        return {false, "The mail transfer could not be started (out of memory).", true};
    if (c.settings.server.trimmed().isEmpty())
        return {false, "No mail server is set up (Preferences, Mail Settings).", true};
    if (!c.settings.trustedCertificate.isEmpty() &&
        !QFileInfo(c.settings.trustedCertificate).isReadable())
        return {false,
                "The certificate file " + c.settings.trustedCertificate +
                    " to trust could not be read.",
                true};
    for (const QString& address : QStringList{message.senderAddress} + message.to + message.bcc)
        if (!IsMailAddress(address.trimmed()))
            return {false, "\"" + address + "\" is not a mail address."};
    const QByteArray scheme = c.settings.security == MailSecurity::Tls ? "smtps://" : "smtp://";
    const QByteArray url = scheme + c.serverName.toUtf8();
    const QByteArray from = "<" + message.senderAddress.toUtf8() + ">";
    const QByteArray user = c.settings.user.toUtf8();
    const QByteArray password = c.password.toUtf8();
    const QByteArray certificate = c.settings.trustedCertificate.toUtf8();
    QByteArrayList recipients;
    for (const QString& to : message.to + message.bcc)
        recipients.append("<" + to.trimmed().toUtf8() + ">");
    std::vector<const char*> recipientTexts;
    for (const QByteArray& recipient : recipients) recipientTexts.push_back(recipient.constData());

    c.dialogue = {};
    MailTransferRequest request{};
    request.url = url.constData();
    request.startTls = c.settings.security == MailSecurity::StartTls;
    request.user = user.constData();
    request.password = password.constData();
    request.certificate = certificate.constData();
    request.from = from.constData();
    request.recipients = recipientTexts.data();
    request.recipientCount = recipientTexts.size();
    request.data = composed.constData();
    request.size = static_cast<size_t>(composed.size());
    request.connectMs = c.timeouts.connectMs;
    request.stallSeconds = Seconds(c.timeouts.stallMs);
    request.onExchange = OnExchange;
    request.context = &c.dialogue;
    MailTransferOutcome outcome{};
    c.module->send(c.transfer, &request, &outcome);
    if (outcome.failure == MailTransferFailure::None) return {true, {}};
    const Refusal& refusal = c.dialogue.refusal;
    const bool messageFault =
        outcome.failure != MailTransferFailure::LoginDenied && ReplyCode(refusal.reply) != 530 &&
        (refusal.command == "RCPT" || refusal.command == "MAIL" || refusal.command == "DATA");
    return {false, c.Reason(outcome, message), !messageFault};
}

SendOutcome SendTestMessage(const MailSettings& settings, const QString& password,
                            SmtpTimeouts timeouts) {
    MailMessage message;
    message.senderName = settings.senderName;
    message.senderAddress = settings.senderAddress;
    message.replyTo = settings.replyTo;
    message.to = {settings.senderAddress};
    message.subject = "Test message from Corvane";
    message.body = QString(
                       "This message was sent by Corvane to test the mail settings.\n\n"
                       "Server: %1, port %2, security: %3\nUser: %4\n")
                       .arg(settings.server)
                       .arg(settings.port)
                       .arg(SecurityName(settings.security))
                       .arg(settings.user.isEmpty() ? QString("(none)") : settings.user);
    const QByteArray composed = ComposeMessage(&message, QDateTime::currentDateTime());
    SmtpSession session(settings, password, timeouts);
    return session.Send(message, composed);
}
