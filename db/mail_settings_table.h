// The mail settings table (MailSet): one record with the mail server, port, security, user name,
// sender, reply-to address, blind copy to the sender, certificate file to trust, and a subject
// and a body per kind of document. An empty table (or a data directory that has none yet) stands
// for the ready settings. The password is never stored here.
#pragma once

#include <QString>
#include <array>

// The kinds of document, in the order of their subject and body in the record.
inline constexpr int kMailTextKinds = 4;

// The most characters the record keeps: of the server, user name and addresses; of the sender's
// name; of the certificate file's path; of a subject.
inline constexpr int kMailAddressWidth = 80;
inline constexpr int kMailNameWidth = 60;
inline constexpr int kMailPathWidth = 254;
inline constexpr int kMailSubjectWidth = 120;

struct MailSettingsRecord {
    QString server;
    int port = 0;
    QString security;  // "none", "starttls" or "tls"
    QString user;
    QString senderName;
    QString senderAddress;
    QString replyTo;
    bool copyToSender = false;
    QString certificate;
    std::array<QString, kMailTextKinds> subjects;
    std::array<QString, kMailTextKinds> bodies;
};

// Reads the record into *record. True with *stored false when there is none (nothing is set up
// yet); false with the reason in *error when the table could not be read.
bool ReadMailSettingsRecord(MailSettingsRecord* record, bool* stored, QString* error);

// Writes the record in place of the stored one, as one change, making the table when the data
// directory lacks it. False with the reason in *error (the table keeps what it had); a text the
// tables' code page cannot hold, or longer than its field, is refused with a message saying so.
bool WriteMailSettingsRecord(const MailSettingsRecord& record, QString* error);
