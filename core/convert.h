// Value conversions shared by the editors, reports and tables: number keys, money rounding,
// fixed-point number texts in the locale's notation, and small text helpers. The date
// conversions are in dates.h, included here so that one include gives them all.
#pragma once

#include <QString>
#include <QVariant>
#include <optional>

#include "core/dates.h"

// Decimal text of n with blanks in front up to `width` characters; never cut.
QString PadNum(int n, int width);
// The text as a seek key: its first 60 characters.
QString KeyText(const QString& text);
// Rounds to cents, halves away from zero. Amounts such as 2.675 or 1.005 are held as binary
// values a hair below the half (2.67499999...); a value within one part in 10^12 of a half cent
// counts as that half, so they round up as their decimal figures do. Zero results are +0.0.
double RoundCents(double x);
// The default locale's decimal separator, looked up again only when the default locale changes:
// asking the system locale costs more than reading the number it separates.
QString DecimalPoint();
// A text of n blanks (none for n <= 0).
QString Blanks(int n);
// Fixed-point text of x with `decimals` places and the locale's decimal separator, right-aligned
// in at least `width` characters. A value that shows as zero is written without a minus sign.
QString NumText(double x, int width, int decimals);
// 1-based position of the last occurrence of `part` in `text`; 0 if none or `part` is empty.
int LastPos(const QString& part, const QString& text);
// Index of the first element of a list value (a QVariantList, or any sequence other than a
// string) that equals n; -1 when there is none or `list` is not a list.
int IndexOfValue(const QVariant& list, int n);

// A printf-style fixed-point format "%W.Df" (W the total width, D >= 1 decimals, W > D + 1).
struct NumberFormat {
    int width = 0;
    int decimals = 0;
};
// Nothing when the text is not such a format.
std::optional<NumberFormat> ParseNumberFormat(const QString& format);

// Reads a number in the locale's notation, without group separators; nothing when the text is
// not a finite number.
std::optional<double> ReadNumber(const QString& text);

// Reformats the text of a number box: blanks removed, read with ReadNumber, written with the
// format; a text that began with "-" on a value that is not negative (a minus typed before a
// zero) keeps its "-" directly before the number. The result is right-aligned in the width of
// the format, or of the text when that is wider. Nothing when what is left after removing the
// blanks is not a number.
std::optional<QString> FormatNumberText(const QString& text, NumberFormat format);
// The message for a text that is not a number: "'<text>' is not a valid floating point value".
QString NotANumberMessage(const QString& text);
