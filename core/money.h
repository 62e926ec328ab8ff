// Money as a whole number of cents, so that sums and products of two-decimal amounts are exact:
// 0.10 three times is 0.30, and 2.01 x 0.50 = 1.005 rounds to 1.01 as its decimal figures say.
// Amounts come from texts and doubles holding two-decimal values and go back as doubles.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string_view>

using Cents = int64_t;

// The nearest whole number of cents (hundredths) of a double holding a two-decimal amount.
Cents ToCents(double amount);
double FromCents(Cents cents);
// The cents of a plain amount, read digit by digit without asking the locale: digits with at most
// two after the decimal point `point` (the stored text of a numeric field has '.', a text the
// user typed the locale's) and perhaps a minus in front ("-12.5", "300", ".5"), blanks anywhere
// passed over. Nothing for any other text, for one without a digit (empty or blank) and for one
// with more than 13 digits before the point.
std::optional<Cents> PlainCents(std::string_view text, char point);
// The amount of a number text in the locale's notation (blanks ignored) in hundredths; nothing
// when the text is not a number or too large to count.
std::optional<Cents> TextToCents(const QString& text);
// TextToCents, with 0 for a text that is not a number (an empty box).
Cents TextCentsOr0(const QString& text);

// Divides by a power of ten, halves away from zero.
Cents DivideRounded(int64_t value, int64_t divisor);

// "%*.2f" of an amount of `cents` hundredths at least `width` characters wide, as
// QString::asprintf writes it.
QString FixedCentsText(Cents cents, int width);
