#include "mail/mail_settings.h"

#include <QRegularExpression>

#include "db/mail_settings_table.h"

namespace {

struct Placeholder {
    const char* name;
    const char* meaning;
    QString MailFields::*field;
};

const Placeholder kPlaceholders[] = {
    {"{company}", "your company's name, as on the letterhead", &MailFields::company},
    {"{customer}", "the customer's name", &MailFields::customer},
    {"{number}", "the invoice number (invoices and bills)", &MailFields::number},
    {"{amount}", "the amount due", &MailFields::amountDue},
    {"{due}", "the date payment is due", &MailFields::dueDate},
};

}  // namespace

int UsualPort(MailSecurity security) {
    switch (security) {
        case MailSecurity::None:
            return 25;
        case MailSecurity::StartTls:
            return 587;
        case MailSecurity::Tls:
            return 465;
    }
    return 587;
}

QString SecurityName(MailSecurity security) {
    switch (security) {
        case MailSecurity::None:
            return "none";
        case MailSecurity::StartTls:
            return "starttls";
        case MailSecurity::Tls:
            return "tls";
    }
    return "starttls";
}

bool ReadSecurityName(const QString& text, MailSecurity* security) {
    for (MailSecurity s : {MailSecurity::None, MailSecurity::StartTls, MailSecurity::Tls}) {
        if (text.trimmed().compare(SecurityName(s), Qt::CaseInsensitive) == 0) {
            *security = s;
            return true;
        }
    }
    return false;
}

std::array<MailTemplate, kMailDocuments> MailSettings::ReadyMailTemplates() {
    return {{
        {"Invoice {number} from {company}",
         "Dear {customer},\n\nPlease find attached our invoice {number}. The amount of {amount} "
         "is due on {due}.\n\nThank you for your business.\n\n{company}"},
        {"Invoice {number}: {amount} due",
         "Dear {customer},\n\nPlease find attached our bill for invoice {number}, with {amount} "
         "still due on {due}. If you have paid in the meantime, please disregard this "
         "message.\n\n{company}"},
        {"Statement of your account with {company}",
         "Dear {customer},\n\nPlease find attached the statement of your account. The balance due "
         "is {amount}.\n\nThank you for your business.\n\n{company}"},
        {"Payment reminder from {company}",
         "Dear {customer},\n\nPlease find attached a letter about invoices of yours that are past "
         "due, {amount} in all. If you have paid in the meantime, please accept our thanks and "
         "disregard this message.\n\n{company}"},
    }};
}

const MailTemplate& MailSettings::TemplateFor(MailDocument document) const {
    return templates[static_cast<size_t>(document)];
}

MailTemplate& MailSettings::TemplateFor(MailDocument document) {
    return templates[static_cast<size_t>(document)];
}

bool LoadMailSettings(MailSettings* settings, QString* error) {
    *settings = {};
    MailSettingsRecord record;
    bool stored = false;
    if (!ReadMailSettingsRecord(&record, &stored, error)) return false;
    if (!stored) return true;
    settings->server = record.server;
    if (!ReadSecurityName(record.security, &settings->security))
        settings->security = MailSecurity::StartTls;
    settings->port =
        record.port > 0 && record.port <= 65535 ? record.port : UsualPort(settings->security);
    settings->user = record.user;
    settings->senderName = record.senderName;
    settings->senderAddress = record.senderAddress;
    settings->replyTo = record.replyTo;
    settings->copyToSender = record.copyToSender;
    settings->trustedCertificate = record.certificate;
    // A kind whose texts were left blank keeps the ready ones.
    for (int kind = 0; kind < kMailDocuments; ++kind) {
        if (!record.subjects[kind].isEmpty())
            settings->templates[kind].subject = record.subjects[kind];
        if (!record.bodies[kind].isEmpty()) settings->templates[kind].body = record.bodies[kind];
    }
    return true;
}

bool StoreMailSettings(const MailSettings& settings, QString* error) {
    MailSettingsRecord record;
    record.server = settings.server.trimmed();
    record.port = settings.port;
    record.security = SecurityName(settings.security);
    record.user = settings.user.trimmed();
    record.senderName = settings.senderName.trimmed();
    record.senderAddress = settings.senderAddress.trimmed();
    record.replyTo = settings.replyTo.trimmed();
    record.copyToSender = settings.copyToSender;
    record.certificate = settings.trustedCertificate.trimmed();
    for (int kind = 0; kind < kMailDocuments; ++kind) {
        record.subjects[kind] = settings.templates[kind].subject;
        record.bodies[kind] = settings.templates[kind].body;
    }
    return WriteMailSettingsRecord(record, error);
}

QStringList MailPlaceholders() {
    QStringList lines;
    for (const Placeholder& p : kPlaceholders)
        lines << QString("%1  %2").arg(QString::fromLatin1(p.name), QString::fromLatin1(p.meaning));
    return lines;
}

QString FillMailTemplate(const QString& text, const MailFields& fields) {
    static const QRegularExpression placeholder("\\{[a-z]+\\}");
    QString filled;
    qsizetype from = 0;
    for (auto it = placeholder.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        filled += text.mid(from, match.capturedStart() - from);
        QString value = match.captured();
        for (const Placeholder& p : kPlaceholders)
            if (match.captured() == QLatin1String(p.name)) value = fields.*(p.field);
        filled += value;
        from = match.capturedEnd();
    }
    return filled + text.mid(from);
}
