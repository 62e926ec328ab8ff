// A mail server for tests that send: mail_server.py run by /usr/bin/python3 on 127.0.0.1 at a free
// port, plain or with STARTTLS or TLS under a certificate made for the test (openssl req -x509,
// for localhost and 127.0.0.1), with or without a log-in, refusing one recipient or misbehaving
// as asked. What it accepted is read back message by message. The server ends with the fixture.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <vector>

struct ReceivedMail {
    QString from;            // the envelope sender
    QStringList recipients;  // the envelope recipients, in the order given
    QByteArray data;         // the message as received
    // The message as Python's e-mail parser reads it: headers decoded (empty when missing),
    // the plain-text body (its lines ended by LF), the attachments, and the names of the defects
    // the parser found.
    QString subject, sender, to, replyTo, messageId, date, bcc;
    QString body;
    struct File {
        QString name;
        QString type;
        QByteArray data;
    };
    std::vector<File> attachments;
    QStringList defects;
};

class MailTestServer {
public:
    enum class Security { None, StartTls, Tls };
    enum class Behaviour { Answer, Silent, CloseInData };
    struct Options {
        Security security = Security::None;
        QString user{};  // with a password, a log-in is required
        QString password{};
        QString refuse{};  // a recipient answered with 550
        Behaviour behaviour = Behaviour::Answer;
    };

    MailTestServer() = default;
    ~MailTestServer();
    MailTestServer(const MailTestServer&) = delete;
    MailTestServer& operator=(const MailTestServer&) = delete;

    // Starts the server (making the certificate first when it is to speak TLS) and waits until
    // it listens; false with the reason in error() when it could not.
    bool Start(const Options& options);
    const QString& error() const { return error_; }
    int port() const { return port_; }
    // The server's certificate (PEM), to trust; empty when it speaks no TLS.
    QString certificateFile() const { return certificate_; }

    // The messages accepted so far, first first.
    std::vector<ReceivedMail> Received() const;

private:
    bool MakeCertificate();

    QTemporaryDir folder_;
    QProcess process_;
    QString certificate_;
    QString error_;
    int port_ = 0;
};
