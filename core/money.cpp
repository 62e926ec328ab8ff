#include "core/money.h"

#include <cmath>

#include "core/convert.h"

namespace {

// Beyond this many cents a double no longer holds every cent exactly.
constexpr double kMaxCents = 9.0e15;

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
