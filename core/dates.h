// Date values and date texts. In memory a date is a double: whole days since 30 December 1899,
// with the time of day as the fraction (for days before that, the fraction still counts forward
// from midnight: -1.25 is 29 December 1899, 06:00). Tables hold dates as "yyyymmdd" text; the
// screen shows them in the program's short date format, the locale's day, month and year order
// and separator with two digits for each part, as the date boxes hold them; reports write them in
// the padded date format, which keeps the locale's four-digit year where it has one.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

// Day number (no time) of a date, and day number with time fraction of a date and time.
double DateValue(const QDate& date);
double DateValue(const QDateTime& dateTime);
// The date, or the local date and time, a value stands for; an invalid QDate/QDateTime when the
// value is not a finite number within the calendar. The time is rounded to the millisecond.
QDate QDateOf(double value);
QDateTime QDateTimeOf(double value);
// The current date and time as a value.
double NowValue();

// Moves the year into the window from 40 years before to 59 years after the current year: a year
// below (current - 40) gets 100 added, a year at or above (current + 60) gets 100 subtracted.
// Month, day and time stay, except that 29 February becomes 28 February when the new year has
// no leap day. A value that is not a date comes back unchanged.
double FixCentury(double date);
double FixCentury(double date, int currentYear);

// "yyyymmdd" of FixCentury(date); empty for a value that is not a date of the years 1 to 9999.
QString DateToText(double date);
// Reads table text: trimmed, year from characters 1-4, month 5-6, day 7-8 (anything after is
// ignored). Empty text gives the current date and time; text that is not a date gives nothing.
std::optional<double> TryTextToDate(const QString& text);
// TryTextToDate for readers of table fields, which the program only ever writes through
// DateToText: text that is not a date is read like a blank date, as the current date and time.
double TextToDate(const QString& text);

// The short date format of a QLocale date format (the default locale's when not given): its day,
// month and year in their order, each written with two digits ("dd", "MM", "yy"), joined by its
// date separator. "M/d/yy" gives "MM/dd/yy"; "yyyy-MM-dd" gives "yy-MM-dd".
QString ShortDateFormat();
QString ShortDateFormat(const QString& localeFormat);
// The short date format as a user reads it: "DD/MM/YY", "MM/DD/YY", "YY-MM-DD" ...
QString ShortDatePattern();
// The date part of a value in the short date format.
QString DateToShortText(double date);
// Reads a date in the short date format: three parts split by the separator, blanks ignored, day
// and month of one or two digits, the year of one, two or four digits. A year of up to two digits
// is put into the FixCentury window of the current year. Nothing when it is not a date.
std::optional<double> ShortTextToDate(const QString& text);
std::optional<double> ShortTextToDate(const QString& text, int currentYear);

// The locale's short date format (QLocale ShortFormat) in capitals, with the first single "M",
// "D" and "Y" doubled: "d/M/yy" gives "DD/MM/YY", "yyyy-MM-dd" gives "YYYY-MM-DD".
QString PaddedDateFormat();
QString PaddedDateFormat(const QString& localeFormat);
// The padded date format of a QLocale date format (the default locale's when not given) written
// as a QDate format: "DD" is "dd", "YY" "yy" and "YYYY" "yyyy", and quoted text is the locale's
// own. "d/M/yy" gives "dd/MM/yy", "yyyy-MM-dd" gives "yyyy-MM-dd". A locale that names the
// month ("d MMM yyyy") gets its short date format with the year as wide as it has it
// ("dd/MM/yyyy"), so that report dates keep to their columns.
QString ReportDateFormat();
QString ReportDateFormat(const QString& localeFormat);
// The date part of a value in the report date format: how every report writes a date.
QString DateToReportText(double date);
