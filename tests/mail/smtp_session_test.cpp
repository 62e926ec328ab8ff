// Sending against a real mail server started by the test on 127.0.0.1: what arrives (envelope,
// headers, body and attachment as a standard parser decodes them), TLS with and without the
// server's certificate trusted, the log-in, and each way a server fails, told in plain words
// within the short timeouts.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>

#include "mail/smtp_session.h"
#include "tests/support/mail_server.h"

namespace {

constexpr SmtpTimeouts kShort{3000, 2000};

// A port of 127.0.0.1 that nothing listens at: taken from the system, then given up.
int FreePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound = bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    close(s);
    return bound ? ntohs(address.sin_port) : 0;
}

class SmtpSessionTest : public ::testing::Test {
protected:
    // Starts the server; the settings then point at it.
    void Serve(const MailTestServer::Options& options) {
        ASSERT_TRUE(server_.Start(options)) << server_.error().toStdString();
        settings_.server = "127.0.0.1";
        settings_.port = server_.port();
        settings_.security =
            options.security == MailTestServer::Security::StartTls ? MailSecurity::StartTls
            : options.security == MailTestServer::Security::Tls    ? MailSecurity::Tls
                                                                   : MailSecurity::None;
        settings_.user = options.user;
        settings_.senderAddress = "accounts@baker.example";
    }

    static MailMessage Letter(const QString& to) {
        MailMessage m;
        m.senderName = "Bäcker & Söhne";
        m.senderAddress = "accounts@baker.example";
        m.replyTo = "office@baker.example";
        m.to = {to};
        m.subject = "Rechnung 12 – fällig am 31.03.";
        m.body = "Guten Tag Abel,\n\nanbei die Rechnung über 1.234,50 €.\n" + QString(120, 'x') +
                 "\n.\nEnde mit Leerzeichen \n";
        return m;
    }

    SendOutcome SendOne(const MailMessage& message, const QString& password = {}) {
        MailMessage m = message;
        const QByteArray composed = ComposeMessage(&m, QDateTime::currentDateTime());
        SmtpSession session(settings_, password, kShort);
        return session.Send(m, composed);
    }

    MailTestServer server_;
    MailSettings settings_;
};

TEST_F(SmtpSessionTest, MessagesArriveWithTheirEnvelopeHeadersBodyAndAttachmentOverOneSession) {
    Serve({});
    QByteArray pdf;
    for (int i = 0; i < 5000; ++i) pdf += static_cast<char>(i % 256);
    MailMessage first = Letter("abel@customer.example");
    first.bcc = {"accounts@baker.example"};
    first.attachments.push_back({"Rechnung 12.pdf", "application/pdf", pdf});
    MailMessage second = Letter("baker@customer.example");
    second.attachments.push_back({"Ünterlagen.pdf", "application/pdf", "%PDF-1.4\n"});
    SmtpSession session(settings_, {}, kShort);
    for (MailMessage* m : {&first, &second}) {
        const SendOutcome outcome =
            session.Send(*m, ComposeMessage(m, QDateTime::currentDateTime()));
        ASSERT_TRUE(outcome.sent) << outcome.reason.toStdString();
    }

    const std::vector<ReceivedMail> received = server_.Received();
    ASSERT_EQ(received.size(), 2u);
    const ReceivedMail& mail = received[0];
    EXPECT_EQ(mail.from, "accounts@baker.example");
    EXPECT_EQ(mail.recipients, QStringList({"abel@customer.example", "accounts@baker.example"}));
    EXPECT_EQ(mail.defects, QStringList());
    EXPECT_EQ(mail.subject, first.subject);
    EXPECT_EQ(mail.sender, "Bäcker & Söhne <accounts@baker.example>");
    EXPECT_EQ(mail.to, "abel@customer.example");
    EXPECT_EQ(mail.replyTo, "office@baker.example");
    EXPECT_EQ(mail.bcc, "");
    EXPECT_EQ(mail.messageId, "<" + QString::fromUtf8(first.messageId) + ">");
    EXPECT_EQ(mail.body, first.body);
    ASSERT_EQ(mail.attachments.size(), 1u);
    EXPECT_EQ(mail.attachments[0].name, "Rechnung 12.pdf");
    EXPECT_EQ(mail.attachments[0].type, "application/pdf");
    EXPECT_EQ(mail.attachments[0].data, pdf);
    EXPECT_EQ(received[1].recipients, QStringList({"baker@customer.example"}));
    ASSERT_EQ(received[1].attachments.size(), 1u);
    EXPECT_EQ(received[1].attachments[0].name, "Ünterlagen.pdf");
}

TEST_F(SmtpSessionTest, StartTlsWithTheTrustedCertificateLogsInAndWithoutItIsRefused) {
    Serve({MailTestServer::Security::StartTls, "abel", "right-one"});
    const SendOutcome untrusted = SendOne(Letter("abel@customer.example"), "right-one");
    EXPECT_FALSE(untrusted.sent);
    EXPECT_TRUE(untrusted.reason.contains("certificate that is not trusted"))
        << untrusted.reason.toStdString();

    settings_.trustedCertificate = server_.certificateFile();
    const SendOutcome wrong = SendOne(Letter("abel@customer.example"), "wrong-one");
    EXPECT_FALSE(wrong.sent);
    EXPECT_TRUE(wrong.serverFault);
    EXPECT_TRUE(
        wrong.reason.startsWith("The mail server 127.0.0.1:" + QString::number(server_.port()) +
                                " refused the log-in of user abel"))
        << wrong.reason.toStdString();
    EXPECT_FALSE(wrong.reason.contains("wrong-one"));

    const SendOutcome sent = SendOne(Letter("abel@customer.example"), "right-one");
    EXPECT_TRUE(sent.sent) << sent.reason.toStdString();
    EXPECT_EQ(server_.Received().size(), 1u);
}

TEST_F(SmtpSessionTest, ImplicitTlsSendsWithTheTrustedCertificate) {
    Serve({MailTestServer::Security::Tls});
    settings_.trustedCertificate = server_.certificateFile();
    const SendOutcome outcome = SendTestMessage(settings_, {}, kShort);
    ASSERT_TRUE(outcome.sent) << outcome.reason.toStdString();
    const std::vector<ReceivedMail> received = server_.Received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].recipients, QStringList{"accounts@baker.example"});
    EXPECT_EQ(received[0].subject, "Test message from Corvane");
}

TEST_F(SmtpSessionTest, ARefusedRecipientGivesTheServersReplyAndNothingIsSent) {
    Serve({.refuse = "nobody@customer.example"});
    MailMessage m = Letter("abel@customer.example");
    m.bcc = {"nobody@customer.example"};
    const SendOutcome outcome = SendOne(m);
    EXPECT_FALSE(outcome.serverFault);
    EXPECT_FALSE(outcome.sent);
    EXPECT_TRUE(outcome.reason.contains("refused the recipient nobody@customer.example: 550 5.1.1"))
        << outcome.reason.toStdString();
    EXPECT_TRUE(outcome.reason.contains("Recipient address rejected"));
    EXPECT_TRUE(server_.Received().empty());
}

TEST_F(SmtpSessionTest, AServerThatFailsIsToldByNameAndNothingWaitsLongerThanTheTimeouts) {
    {
        Serve({.behaviour = MailTestServer::Behaviour::Silent});
        QElapsedTimer clock;
        clock.start();
        const SendOutcome silent = SendOne(Letter("abel@customer.example"));
        EXPECT_FALSE(silent.sent);
        EXPECT_LT(clock.elapsed(), 6000);
        EXPECT_TRUE(silent.reason.contains("stopped answering")) << silent.reason.toStdString();
    }
    MailTestServer closing;
    ASSERT_TRUE(closing.Start({.behaviour = MailTestServer::Behaviour::CloseInData}))
        << closing.error().toStdString();
    settings_.port = closing.port();
    const SendOutcome closed = SendOne(Letter("abel@customer.example"));
    EXPECT_FALSE(closed.sent);
    EXPECT_TRUE(closed.reason.contains("closed the connection")) << closed.reason.toStdString();

    // STARTTLS chosen and a server that does not offer it: nothing goes out unencrypted.
    MailTestServer plain;
    ASSERT_TRUE(plain.Start({})) << plain.error().toStdString();
    settings_.port = plain.port();
    settings_.security = MailSecurity::StartTls;
    const SendOutcome unencrypted = SendOne(Letter("abel@customer.example"));
    EXPECT_FALSE(unencrypted.sent);
    EXPECT_TRUE(unencrypted.reason.contains("does not offer STARTTLS"))
        << unencrypted.reason.toStdString();
    EXPECT_TRUE(plain.Received().empty());

    settings_.port = FreePort();
    ASSERT_GT(settings_.port, 0);
    const SendOutcome refused = SendOne(Letter("abel@customer.example"));
    EXPECT_FALSE(refused.sent);
    EXPECT_EQ(refused.reason, "The mail server 127.0.0.1:" + QString::number(settings_.port) +
                                  " could not be reached: the connection was refused (no mail "
                                  "server listens at that port).");
}

}  // namespace
