#include "core/money.h"

#include <cmath>

#include "core/convert.h"

namespace {

// Beyond this many cents a double no longer holds every cent exactly.
constexpr double kMaxCents = 9.0e15;

// The cents of a plain amount, digits with at most two after the locale's decimal point and
// perhaps a minus in front ("-12.5", "300"), blanks anywhere passed over; nothing for any other
// text. Read digit by digit: the locale need not be asked for the amounts the program wrote.
std::optional<Cents> PlainTextCents(const QString& text) {
    const QString point = DecimalPoint();
    if (point.size() != 1) return std::nullopt;
    Cents whole = 0;
    Cents fraction = 0;
    int wholeDigits = 0;
    int fractionDigits = -1;  // -1 before the point
    bool negative = false;
    bool started = false;
    for (const QChar ch : text) {
        if (ch == u' ') continue;
        if (ch == u'-' && !started) {
            negative = started = true;
        } else if (ch >= u'0' && ch <= u'9') {
            started = true;
            const int digit = ch.unicode() - u'0';
            if (fractionDigits < 0) {
                if (++wholeDigits > 13) return std::nullopt;
                whole = whole * 10 + digit;
            } else {
                if (++fractionDigits > 2) return std::nullopt;
                fraction = fraction * 10 + digit;
            }
        } else if (ch == point[0] && fractionDigits < 0 && wholeDigits > 0) {
            fractionDigits = 0;
        } else {
            return std::nullopt;
        }
    }
    if (wholeDigits == 0 || fractionDigits == 0) return std::nullopt;
    const Cents cents = whole * 100 + (fractionDigits == 1 ? fraction * 10 : fraction);
    return negative ? -cents : cents;
}

}  // namespace

Cents ToCents(double amount) {
    const double cents = amount * 100.0;
    if (!std::isfinite(cents) || std::fabs(cents) > kMaxCents) return 0;
    return std::llround(cents);
}

double FromCents(Cents cents) {
    return static_cast<double>(cents) / 100.0 + 0.0;
}

std::optional<Cents> TextToCents(const QString& text) {
    if (const std::optional<Cents> plain = PlainTextCents(text)) return plain;
    const std::optional<double> value = ReadNumber(QString(text).remove(' '));
    if (!value || std::fabs(*value * 100.0) > kMaxCents) return std::nullopt;
    return std::llround(*value * 100.0);
}

Cents TextCentsOr0(const QString& text) {
    return TextToCents(text).value_or(0);
}

Cents DivideRounded(int64_t value, int64_t divisor) {
    const int64_t magnitude = (value < 0 ? -value : value) + divisor / 2;
    const int64_t whole = magnitude / divisor;
    return value < 0 ? -whole : whole;
}
