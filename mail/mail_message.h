// A message as it goes out: who sends it, to whom, its subject, its plain-text body and its
// attached files, and the composing of it into the bytes of an Internet message (RFC 5322 with
// MIME: CRLF line ends, headers with non-ASCII text as encoded words, the body quoted-printable,
// attachments in base64). The program composes the message itself rather than leaving it to the
// transfer library's MIME builder, so that the very bytes sent over SMTP are the ones a dry run
// writes to an .eml file: a dry run shows exactly what would go out.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

struct Attachment {
    QString fileName;     // as the recipient sees it, e.g. "Invoice 1234.pdf"
    QByteArray mimeType;  // e.g. "application/pdf"
    QByteArray data;
};

struct MailMessage {
    QString senderName;  // may be empty
    QString senderAddress;
    QString replyTo;  // empty for none
    QStringList to;   // the visible recipients
    QStringList bcc;  // envelope recipients that no header names
    QString subject;
    QString body;  // plain text; lines may end in LF or CRLF
    std::vector<Attachment> attachments;
    QByteArray messageId;  // without the angle brackets; made when empty
};

// True when `address` is a plain mail address (local@domain, no spaces, no angle brackets, no
// display name): what a customer's e-mail field must hold for a message to go to it.
bool IsMailAddress(const QString& address);

// The message as sent: headers (Date from `date`, From, Reply-To, To, Subject, Message-ID,
// MIME-Version; no Bcc), then the body alone or, with attachments, a multipart/mixed of the body
// and the files. Makes a Message-ID from the time, a random part and the sender's domain when
// `message->messageId` is empty, and leaves it there for the caller to record.
QByteArray ComposeMessage(MailMessage* message, const QDateTime& date);
