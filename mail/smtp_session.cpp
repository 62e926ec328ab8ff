#include "mail/smtp_session.h"

#include <curl/curl.h>

#include <QDateTime>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <mutex>

namespace {

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

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

int OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* user) {
    auto* dialogue = static_cast<Dialogue*>(user);
    const QByteArray text = QByteArray(data, static_cast<qsizetype>(size)).trimmed();
    if (type == CURLINFO_HEADER_OUT) {
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
    } else if (type == CURLINFO_HEADER_IN) {
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
    return 0;
}

struct Upload {
    const QByteArray* data;
    qsizetype offset = 0;
};

size_t OnRead(char* buffer, size_t size, size_t count, void* user) {
    auto* upload = static_cast<Upload*>(user);
    const qsizetype left = upload->data->size() - upload->offset;
    const qsizetype n = std::min<qsizetype>(left, static_cast<qsizetype>(size * count));
    std::copy_n(upload->data->constData() + upload->offset, n, buffer);
    upload->offset += n;
    return static_cast<size_t>(n);
}

QString Plain(const QByteArray& reply) {
    return QString::fromUtf8(reply).trimmed();
}

}  // namespace

struct SmtpSession::Connection {
    CURL* curl = nullptr;
    MailSettings settings;
    QString password;
    SmtpTimeouts timeouts;
    QString serverName;  // host:port, as the reasons name it
    char errorText[CURL_ERROR_SIZE] = {};
    Dialogue dialogue;

    QString Reason(CURLcode code, const MailMessage& message) const;
};

QString SmtpSession::Connection::Reason(CURLcode code, const MailMessage& message) const {
    const QString server = "The mail server " + serverName;
    const QString detail = QString::fromUtf8(errorText).trimmed();
    const Refusal& refusal = dialogue.refusal;
    const int reply = ReplyCode(refusal.reply);
    if (code == CURLE_LOGIN_DENIED || reply == 530 || refusal.command == "AUTH")
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
    switch (code) {
        case CURLE_COULDNT_RESOLVE_HOST:
            return server + " could not be found: there is no such host name.";
        case CURLE_COULDNT_CONNECT: {
            long osError = 0;
            curl_easy_getinfo(curl, CURLINFO_OS_ERRNO, &osError);
            if (osError == ECONNREFUSED)
                return server +
                       " could not be reached: the connection was refused (no mail server "
                       "listens at that port).";
            return server + " could not be reached: " + detail;
        }
        case CURLE_OPERATION_TIMEDOUT: {
            double waited = 0;
            curl_easy_getinfo(curl, CURLINFO_TOTAL_TIME, &waited);
            const long seconds = std::max(1L, std::lround(waited));
            return server + QString(" stopped answering: no reply came within %1 %2.")
                                .arg(seconds)
                                .arg(seconds == 1 ? "second" : "seconds");
        }
        case CURLE_PEER_FAILED_VERIFICATION:
            return server + " presented a certificate that is not trusted: " + detail;
        case CURLE_SSL_CACERT_BADFILE:
            return "The certificate file " + settings.trustedCertificate +
                   " to trust could not be read.";
        case CURLE_SSL_CONNECT_ERROR:
            return "A secure connection to " + serverName + " could not be made: " + detail;
        case CURLE_USE_SSL_FAILED:
            return server + " does not offer STARTTLS, so nothing was sent unencrypted.";
        case CURLE_GOT_NOTHING:
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_PARTIAL_FILE:
            return server + " closed the connection before it took the message.";
        case CURLE_WEIRD_SERVER_REPLY:
            return server + " gave a reply that is not SMTP" +
                   (dialogue.last.reply.isEmpty() ? QString(".")
                                                  : ": " + Plain(dialogue.last.reply));
        default:
            return server + ": " + (detail.isEmpty() ? QString(curl_easy_strerror(code)) : detail);
    }
}

SmtpSession::SmtpSession(const MailSettings& settings, const QString& password,
                         SmtpTimeouts timeouts)
    : connection_(std::make_unique<Connection>()) {
    InitCurlOnce();
    Connection& c = *connection_;
    c.settings = settings;
    c.password = password;
    c.timeouts = timeouts;
    const QString host = settings.server.trimmed();
    c.serverName =
        (host.contains(':') ? "[" + host + "]" : host) + ":" + QString::number(settings.port);
    c.curl = curl_easy_init();
}

SmtpSession::~SmtpSession() {
    if (connection_->curl) curl_easy_cleanup(connection_->curl);
}

SendOutcome SmtpSession::Send(const MailMessage& message, const QByteArray& composed) {
    Connection& c = *connection_;
    if (!c.curl) return {false, "The mail transfer could not be started (out of memory).", true};
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
    CURL* curl = c.curl;
    const QByteArray scheme = c.settings.security == MailSecurity::Tls ? "smtps://" : "smtp://";
    const QByteArray url = scheme + c.serverName.toUtf8();
    const QByteArray from = "<" + message.senderAddress.toUtf8() + ">";
    const QByteArray user = c.settings.user.toUtf8();
    const QByteArray password = c.password.toUtf8();
    const QByteArray certificate = c.settings.trustedCertificate.toUtf8();
    curl_slist* recipients = nullptr;
    for (const QString& to : message.to + message.bcc)
        recipients = curl_slist_append(recipients, ("<" + to.trimmed().toUtf8() + ">").constData());

    Upload upload{&composed};
    c.dialogue = {};
    c.errorText[0] = '\0';
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USE_SSL,
                     c.settings.security == MailSecurity::StartTls
                         ? static_cast<long>(CURLUSESSL_ALL)
                         : static_cast<long>(CURLUSESSL_NONE));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!certificate.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, certificate.constData());
        curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr);
    }
    if (!user.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    }
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, OnRead);
    curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(composed.size()));
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(c.timeouts.connectMs));
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, Seconds(c.timeouts.stallMs));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, Seconds(c.timeouts.stallMs));
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, c.errorText);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, OnDebug);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &c.dialogue);

    const CURLcode code = curl_easy_perform(curl);
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, nullptr);
    curl_slist_free_all(recipients);
    if (code == CURLE_OK) return {true, {}};
    const Refusal& refusal = c.dialogue.refusal;
    const bool messageFault = code != CURLE_LOGIN_DENIED && ReplyCode(refusal.reply) != 530 &&
                              (refusal.command == "RCPT" || refusal.command == "MAIL" ||
                               refusal.command == "DATA");
    return {false, c.Reason(code, message), !messageFault};
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
