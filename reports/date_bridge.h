// The few date and number conversions the report document needs from the entry conventions:
// the day number of a date, the report date text and the blank-padded number. Kept in one
// place so the report code has a single point of contact with the shared conversions.
#pragma once

#include <QDate>
#include <QString>

namespace reports {

// Whole days since 30 December 1899, the program's in-memory date value.
double DayNumber(const QDate& date);

// A date as reports print it: the locale's short date format with every field two digits wide
// at least (day, month and year never shrink to one digit).
QString ReportDateText(const QDate& date);

// Decimal text of n, blank-padded at the left to at least width characters.
QString PadNumText(int n, int width);

}  // namespace reports
