#include "core/money.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/convert.h"

namespace {

// Beyond this many cents a double no longer holds every cent exactly.
constexpr double kMaxCents = 9.0e15;
// The most digits before the point that keep an amount's cents below kMaxCents.
constexpr int kMostWholeDigits = 13;

// The longest text TextToCents reads digit by digit; a longer one goes to the locale.
constexpr qsizetype kPlainLength = 40;

}  // namespace

Cents ToCents(double amount) {
    const double cents = amount * 100.0;
    if (!std::isfinite(cents) || std::fabs(cents) > kMaxCents) return 0;
    return std::llround(cents);
}

double FromCents(Cents cents) {
    return static_cast<double>(cents) / 100.0 + 0.0;
}

std::optional<Cents> PlainCents(std::string_view text, char point) {
    // Stored fields are right-aligned: the leading blanks and then the whole digits are read by
    // loops of their own, the rest (a point, decimals, blanks further on) char by char.
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && text[i] == ' ') ++i;
    const bool negative = i < n && text[i] == '-';
    if (negative) ++i;
    Cents whole = 0;
    int wholeDigits = 0;
    const auto digitAt = [&text](size_t at) { return text[at] >= '0' && text[at] <= '9'; };
    for (; i < n && wholeDigits <= kMostWholeDigits && digitAt(i); ++i, ++wholeDigits)
        whole = whole * 10 + (text[i] - '0');
    Cents fraction = 0;
    int fractionDigits = -1;  // -1 before the point
    for (; i < n; ++i) {
        const char ch = text[i];
        if (ch == ' ') continue;
        if (ch >= '0' && ch <= '9') {
            const int digit = ch - '0';
            if (fractionDigits < 0) {
                ++wholeDigits;
                whole = whole * 10 + digit;
                if (wholeDigits > kMostWholeDigits) return std::nullopt;
            } else {
                if (++fractionDigits > 2) return std::nullopt;
                fraction = fraction * 10 + digit;
            }
        } else if (ch == point && fractionDigits < 0) {
            fractionDigits = 0;
        } else {
            return std::nullopt;
        }
    }
    if (wholeDigits > kMostWholeDigits || wholeDigits + std::max(fractionDigits, 0) == 0)
        return std::nullopt;
    const Cents cents = whole * 100 + (fractionDigits == 1 ? fraction * 10 : fraction);
    return negative ? -cents : cents;
}

std::optional<Cents> TextToCents(const QString& text) {
    // The locale need not be asked for the amounts the program wrote: their characters are
    // ASCII and go to PlainCents as bytes.
    const QString point = DecimalPoint();
    if (point.size() == 1 && point[0].unicode() < 0x80 && text.size() <= kPlainLength) {
        std::array<char, kPlainLength> bytes;
        qsizetype n = 0;
        for (const QChar ch : text) {
            if (ch.unicode() >= 0x80) break;
            bytes[static_cast<size_t>(n++)] = static_cast<char>(ch.unicode());
        }
        if (n == text.size()) {
            const std::string_view plain(bytes.data(), static_cast<size_t>(n));
            if (const std::optional<Cents> cents = PlainCents(plain, point[0].toLatin1()))
                return cents;
        }
    }
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

QString FixedCentsText(Cents cents, int width) {
    char reversed[32];
    int n = 0;
    uint64_t magnitude = cents < 0 ? 0 - static_cast<uint64_t>(cents) : uint64_t(cents);
    reversed[n++] = static_cast<char>('0' + magnitude % 10);
    reversed[n++] = static_cast<char>('0' + magnitude / 10 % 10);
    reversed[n++] = '.';
    magnitude /= 100;
    do {
        reversed[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (cents < 0) reversed[n++] = '-';
    QString text(std::max(width, n), u' ');
    for (int i = 0; i < n; ++i) text[text.size() - 1 - i] = QLatin1Char(reversed[i]);
    return text;
}
