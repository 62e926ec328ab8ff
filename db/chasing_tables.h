// The tables of chasing payment: payment terms (Terms), reminder levels (RemLevel) and the record
// of reminder runs (Reminded). None has an index; the first two are read and written whole, and
// an empty table stands for the defaults (db/added_tables.h makes a missing one).
//
// Terms: how many days after its date an invoice is due. The business has terms of its own
// ("Terms (days)", 30 unless set, or none) and a customer may have terms of its own that take
// their place: one record for the business (customer number 0, Days blank for none) and one per
// customer with its own.
//
// Reminder levels: up to three, each sent once an invoice is its days past due, with its letter
// text and a fee; with no level stored the three ready ones apply (1, 30 and 60 days past due,
// polite texts, no fee). The record of the runs holds, per invoice reminded, the level sent and
// the day; the last level sent to an invoice is the highest.
#pragma once

#include <QHash>
#include <QString>
#include <optional>
#include <vector>

#include "core/money.h"

// The terms a new business starts with, and the most days terms can be.
inline constexpr int kDefaultTermsDays = 30;
inline constexpr int kMaxTermsDays = 999;

struct PaymentTerms {
    // The business's terms; nothing when it sets none.
    std::optional<int> business = kDefaultTermsDays;
    // Customers' own terms by customer number.
    QHash<int, int> customers;

    // The terms of customer `cuno`: its own, else the business's.
    std::optional<int> DaysFor(int cuno) const;
};

// The terms as last read or written; read at start-up with the settings (LoadSettings).
extern PaymentTerms TermsRecord;

// The most levels there are, and the most days past due a level can wait for.
inline constexpr int kMaxReminderLevels = 3;
inline constexpr int kMaxReminderDays = 9999;

struct ReminderLevel {
    int days = 0;    // days past due from which the level is sent
    Cents fee = 0;   // charged with each letter of the level; 0 for none
    QString letter;  // with {name}, {overdue} and {terms} put in when printed
};

// The three levels a business starts with.
std::vector<ReminderLevel> ReadyReminderLevels();

// Each reads its table; false when it could not be opened or read (the user has been told and the
// program is ending). The terms (the defaults when none are stored); the levels, first level first
// (the ready ones when none is stored); the last reminder sent to each invoice reminded.
struct LastReminder {
    int level = 0;
    double day = 0;
};
bool ReadPaymentTerms(PaymentTerms* terms);
bool ReadReminderLevels(std::vector<ReminderLevel>* levels);
bool ReadLastReminders(QHash<int, LastReminder>* lastOfInvoice);

// Stores the terms and the levels (at most kMaxReminderLevels; none leaves the ready ones) as one
// change in place of those stored, and makes the terms TermsRecord. False with the reason in
// *error when they could not be stored (the tables keep what they had; *error is empty when a
// table could not be opened and the program is ending).
bool WriteChasingSettings(const PaymentTerms& terms, const std::vector<ReminderLevel>& levels,
                          QString* error);

// Opens Reminded alone, for a run that appends to it inside its own change; false after
// OpenFailed. AppendReminder writes one record (false when it could not be added).
bool OpenReminded();
bool AppendReminder(int ivNo, int level, double day);
void CloseReminded();
