// Composing a message and filling the templates, as plain functions: what a receiving program
// decodes is checked against a real parser in the sending tests; here the rules of the bytes
// themselves, which a parser forgives.
#include <gtest/gtest.h>

#include <QTimeZone>

#include "mail/mail_message.h"
#include "mail/mail_settings.h"

namespace {

MailMessage Letter() {
    MailMessage m;
    m.senderName = "Baker, Sons & Co.";
    m.senderAddress = "accounts@baker.example";
    m.to = {"abel@customer.example"};
    m.bcc = {"accounts@baker.example"};
    m.subject = "Invoice 12";
    m.body = "Dear Abel,\n\n" + QString(200, 'x') + " \n.\nThanks";
    return m;
}

TEST(ComposeMessageTest, EveryLineEndsInCrLfAndStaysWithinTheLimitsAndNoHeaderNamesTheBcc) {
    MailMessage m = Letter();
    m.subject = QString::fromUtf8("Rechnung für März – ") + QString(60, QChar(0x00e4));
    m.attachments.push_back({"Invoice 12.pdf", "application/pdf", QByteArray(3000, '\xff')});
    const QByteArray composed =
        ComposeMessage(&m, QDateTime(QDate(2026, 3, 1), QTime(9, 5), QTimeZone(3600)));
    EXPECT_FALSE(composed.contains("\n\n"));
    EXPECT_EQ(composed.count('\n'), composed.count("\r\n"));
    for (const QByteArray& line : composed.split('\n')) {
        EXPECT_LE(line.size(), 78) << line.constData();
        EXPECT_FALSE(line.startsWith(".")) << "a dot at a line's start would be taken by SMTP";
        EXPECT_FALSE(line.endsWith(" \r")) << "trailing white space is lost on the way";
    }
    EXPECT_TRUE(composed.startsWith("Date: Sun, 01 Mar 2026 09:05:00 +0100\r\n"));
    EXPECT_TRUE(composed.contains("From: \"Baker, Sons & Co.\" <accounts@baker.example>\r\n"));
    EXPECT_FALSE(composed.contains("accounts@baker.example>\r\nTo: accounts"));
    EXPECT_FALSE(composed.toLower().contains("\nbcc:"));
    EXPECT_FALSE(m.messageId.isEmpty());
    EXPECT_TRUE(m.messageId.endsWith("@baker.example"));
    EXPECT_TRUE(composed.contains("Message-ID: <" + m.messageId + ">\r\n"));
}

TEST(ComposeMessageTest, ALineBreakInTheSubjectOrANameMakesNoHeaderOfItsOwn) {
    MailMessage m = Letter();
    m.subject = "Invoice 12\r\nBcc: victim@elsewhere.example";
    m.senderName =
        QString::fromUtf8("Bäckerei Süßwaren und Feinkost Müller-Lüdenscheidt\nX-Injected: yes");
    const QByteArray composed = ComposeMessage(&m, QDateTime::currentDateTime());
    for (const QByteArray& line : composed.split('\n'))
        EXPECT_LE(line.size(), 78) << line.constData();
    EXPECT_FALSE(composed.contains("\nBcc:"));
    EXPECT_FALSE(composed.contains("\nX-Injected:"));
    EXPECT_TRUE(composed.contains("Subject: Invoice 12 Bcc: victim@elsewhere.example\r\n"));
}

TEST(ComposeMessageTest, AGivenMessageIdIsKeptAndTwoMadeOnesDiffer) {
    MailMessage a = Letter();
    MailMessage b = Letter();
    const QDateTime now = QDateTime::currentDateTime();
    ComposeMessage(&a, now);
    ComposeMessage(&b, now);
    EXPECT_NE(a.messageId, b.messageId);
    MailMessage c = Letter();
    c.messageId = "given.1@baker.example";
    EXPECT_TRUE(ComposeMessage(&c, now).contains("Message-ID: <given.1@baker.example>"));
    EXPECT_EQ(c.messageId, "given.1@baker.example");
}

TEST(MailAddressTest, OnlyAPlainAddressWithADomainIsAnAddress) {
    for (const char* good : {"abel@customer.example", "a.b+c@mail.sub-domain.example", "x@y.io"})
        EXPECT_TRUE(IsMailAddress(good)) << good;
    for (const char* bad : {"", "abel", "abel@", "@customer.example", "abel@localhost",
                            "Abel <abel@customer.example>", "a b@customer.example",
                            "abel@customer..example", "abel@-customer.example",
                            "abél@customer.example", "a@b.example,c@d.example", ".abel@c.example"})
        EXPECT_FALSE(IsMailAddress(QString::fromUtf8(bad))) << bad;
}

TEST(MailTemplateTest, PlaceholdersArePutInOnceAndOtherBracesStay) {
    MailFields fields{"Baker & Sons", "Abel {due}", "12", "1,234.50", "03/31/2026"};
    EXPECT_EQ(FillMailTemplate("{customer}: invoice {number} of {company}, {amount} by {due}. "
                               "{unknown} {Customer} {} {",
                               fields),
              "Abel {due}: invoice 12 of Baker & Sons, 1,234.50 by 03/31/2026. "
              "{unknown} {Customer} {} {");
    EXPECT_EQ(MailPlaceholders().size(), 5);
    for (const MailTemplate& ready : MailSettings::ReadyMailTemplates()) {
        const QString filled = FillMailTemplate(ready.subject + ready.body, fields);
        EXPECT_FALSE(filled.contains("{company}") || filled.contains("{customer}") ||
                     filled.contains("{amount}"))
            << filled.toStdString();
    }
}

}  // namespace
