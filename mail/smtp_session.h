// Sending composed messages to the mail server over SMTP, through the mail module
// (mail_module.h), opened when the first session starts. A session keeps one connection for a
// run of messages and says for each whether the server took it, and when not, why, in plain
// words naming the server: it could not be reached, its certificate is not trusted, it refused
// the log-in, it refused a recipient (with its own reply), it closed the connection or stopped
// answering; without the module nothing is sent and the reason names its file. Certificates are
// checked against the system's authorities, or against the one certificate the settings trust;
// with STARTTLS chosen the session will not go on unencrypted. Every wait is bounded by the
// connect and stall timeouts, so nothing hangs.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

#include "mail/mail_message.h"
#include "mail/mail_settings.h"

struct SendOutcome {
    bool sent = false;
    QString reason;  // why not, when not sent
    // The failure lies with the server or the settings (it cannot be reached or trusted, refuses
    // the log-in, stops answering or drops the connection), not with this message: the next
    // message would fail alike.
    bool serverFault = false;
};

struct SmtpTimeouts {
    int connectMs = 20000;  // to reach the server and finish the handshakes
    int stallMs = 30000;    // the longest the server may stay silent
};

class SmtpSession {
public:
    SmtpSession(const MailSettings& settings, const QString& password, SmtpTimeouts timeouts = {});
    ~SmtpSession();
    SmtpSession(const SmtpSession&) = delete;
    SmtpSession& operator=(const SmtpSession&) = delete;

    // Sends `composed` (ComposeMessage of `message`) from the message's sender to its to and bcc
    // recipients. A message any recipient of which is refused is not sent at all.
    SendOutcome Send(const MailMessage& message, const QByteArray& composed);

private:
    struct Connection;
    std::unique_ptr<Connection> connection_;
};

// Sends a short message from the settings' sender to the sender's own address.
SendOutcome SendTestMessage(const MailSettings& settings, const QString& password,
                            SmtpTimeouts timeouts = {});
