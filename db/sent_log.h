// The log of documents sent by e-mail (SentLog): one record per message a mail server was given,
// with the day and time, the customer, the document's kind and number, the address, the
// message's id and the result: "sent" when the server accepted it, otherwise "refused: " and the
// server's reason. A document counts as sent when a record of its kind and number says "sent";
// a refused message never does. The table has no index; it is read whole.
#pragma once

#include <QString>
#include <vector>

// The result a message the server accepted is recorded with, and the start of a refused one's.
inline constexpr char kSentResult[] = "sent";
inline constexpr char kRefusedResult[] = "refused: ";

struct SentEntry {
    double day = 0;  // day number
    QString time;    // hh:mm:ss
    int customer = 0;
    QString kind;  // invoice, bill, statement, reminder
    QString number;
    QString address;
    QString messageId;
    QString result;

    bool Sent() const { return result == QLatin1String(kSentResult); }
};

// Appends one record as a change of its own. False with *error saying why when it could not be
// stored (nothing is then added; *error is empty when the table could not be opened and the user
// has been told).
bool AppendSentEntry(const SentEntry& entry, QString* error);

// Every record in the order written; false when the table could not be opened or read (the user
// has been told).
bool ReadSentLog(std::vector<SentEntry>* entries);
