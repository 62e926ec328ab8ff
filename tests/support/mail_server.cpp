#include "tests/support/mail_server.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

namespace {

constexpr int kStartPatienceMs = 10000;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

MailTestServer::~MailTestServer() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }
}

bool MailTestServer::MakeCertificate() {
    certificate_ = folder_.filePath("server.pem");
    QProcess openssl;
    openssl.start("openssl",
                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                   "/CN=localhost", "-addext", "subjectAltName=DNS:localhost,IP:127.0.0.1",
                   "-keyout", folder_.filePath("server.key"), "-out", certificate_});
    if (!openssl.waitForFinished(30000) || openssl.exitStatus() != QProcess::NormalExit ||
        openssl.exitCode() != 0) {
        error_ = "openssl could not make the certificate: " + openssl.readAllStandardError();
        return false;
    }
    return true;
}

bool MailTestServer::Start(const Options& options) {
    if (!folder_.isValid()) {
        error_ = "no temporary folder";
        return false;
    }
    QStringList arguments{CORVANE_MAIL_SERVER_SCRIPT, folder_.path()};
    if (options.security != Security::None) {
        if (!MakeCertificate()) return false;
        arguments << (options.security == Security::StartTls ? "--starttls" : "--tls")
                  << certificate_ << folder_.filePath("server.key");
    }
    if (!options.user.isEmpty()) arguments << "--auth" << options.user << options.password;
    if (!options.refuse.isEmpty()) arguments << "--refuse" << options.refuse;
    if (options.behaviour == Behaviour::Silent)
        arguments << "--behave"
                  << "silent";
    else if (options.behaviour == Behaviour::CloseInData)
        arguments << "--behave"
                  << "close-in-data";
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start("/usr/bin/python3", arguments);
    if (!process_.waitForStarted(kStartPatienceMs)) {
        error_ = "the mail server did not start: " + process_.errorString();
        return false;
    }
    QElapsedTimer waited;
    waited.start();
    const QString portFile = folder_.filePath("port");
    while (!QFile::exists(portFile)) {
        if (process_.state() == QProcess::NotRunning || waited.elapsed() > kStartPatienceMs) {
            error_ = "the mail server did not come to listen";
            return false;
        }
        QThread::msleep(20);
    }
    port_ = ReadAll(portFile).trimmed().toInt();
    return port_ > 0;
}

std::vector<ReceivedMail> MailTestServer::Received() const {
    std::vector<ReceivedMail> received;
    for (int number = 1; QFile::exists(folder_.filePath(QString("%1.env").arg(number))); ++number) {
        const QString stem = folder_.filePath(QString::number(number));
        ReceivedMail mail;
        for (const QByteArray& line : ReadAll(stem + ".env").split('\n')) {
            if (line.startsWith("from "))
                mail.from = QString::fromUtf8(line.mid(5));
            else if (line.startsWith("to "))
                mail.recipients << QString::fromUtf8(line.mid(3));
        }
        mail.data = ReadAll(stem + ".eml");
        const QJsonObject parsed = QJsonDocument::fromJson(ReadAll(stem + ".json")).object();
        mail.subject = parsed["subject"].toString();
        mail.sender = parsed["from"].toString();
        mail.to = parsed["to"].toString();
        mail.replyTo = parsed["reply-to"].toString();
        mail.messageId = parsed["message-id"].toString();
        mail.date = parsed["date"].toString();
        mail.bcc = parsed["bcc"].toString();
        mail.body = parsed["body"].toString();
        for (const QJsonValue& value : parsed["attachments"].toArray()) {
            const QJsonObject file = value.toObject();
            mail.attachments.push_back({file["name"].toString(), file["type"].toString(),
                                        ReadAll(folder_.filePath(file["file"].toString()))});
        }
        for (const QJsonValue& value : parsed["defects"].toArray())
            mail.defects << value.toString();
        received.push_back(mail);
    }
    return received;
}
