// The mail settings of a data directory: the mail server, its port and security, the user name
// for logging in, who the messages come from, and the subject and body texts per kind of
// document with their placeholders. They are kept in a table of the data directory (so the
// program and corvane-admin send alike, and a backup carries them); the password never is (see
// mail_password.h).
#pragma once

#include <QString>
#include <QStringList>
#include <array>

enum class MailSecurity { None, StartTls, Tls };
enum class MailDocument { Invoice, Bill, Statement, Reminder };
inline constexpr int kMailDocuments = 4;

// The port a server usually listens on for the security: 25, 587 and 465.
int UsualPort(MailSecurity security);

// The security's name as typed on the command line and stored ("none", "starttls", "tls"), and
// the reading of one (false when the text names none).
QString SecurityName(MailSecurity security);
bool ReadSecurityName(const QString& text, MailSecurity* security);

struct MailTemplate {
    QString subject;
    QString body;
};

struct MailSettings {
    QString server;  // host name or address; empty when mail is not set up
    int port = 587;
    MailSecurity security = MailSecurity::StartTls;
    QString user;  // empty to send without logging in
    QString senderName;
    QString senderAddress;
    QString replyTo;             // empty for none
    bool copyToSender = false;   // a blind copy of every message to the sender's address
    QString trustedCertificate;  // a PEM file to trust instead of the system's authorities
    std::array<MailTemplate, kMailDocuments> templates = ReadyMailTemplates();

    const MailTemplate& TemplateFor(MailDocument document) const;
    MailTemplate& TemplateFor(MailDocument document);

    // The ready subject and body texts of each kind, in MailDocument order.
    static std::array<MailTemplate, kMailDocuments> ReadyMailTemplates();
};

// Reads the settings of the open data directory into *settings (the ready ones when none are
// stored). False with the reason in *error when the table could not be read.
bool LoadMailSettings(MailSettings* settings, QString* error);
// Stores them in place of those stored; false with the reason in *error (the table keeps what it
// had).
bool StoreMailSettings(const MailSettings& settings, QString* error);

// What a template's placeholders stand for in one message.
struct MailFields {
    QString company;
    QString customer;
    QString number;     // the invoice or bill number; empty for statements
    QString amountDue;  // as printed, e.g. "1,234.50"
    QString dueDate;    // as printed
};

// The placeholders with what each stands for, one line each ("{customer}  the customer's name"),
// as the settings dialog lists them.
QStringList MailPlaceholders();

// The template with each placeholder ({company}, {customer}, {number}, {amount}, {due}) put in;
// a brace that starts no placeholder stays as typed.
QString FillMailTemplate(const QString& text, const MailFields& fields);
