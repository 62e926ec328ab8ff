#include "core/convert.h"

#include <QLocale>
#include <QMetaType>
#include <QRegularExpression>
#include <QSequentialIterable>
#include <algorithm>
#include <cmath>

QString PadNum(int n, int width) {
    return QString::number(n).rightJustified(width, ' ');
}

QString KeyText(const QString& text) {
    return text.left(60);
}

double RoundCents(double x) {
    const double cents = std::fabs(x) * 100.0;
    const double whole = std::floor(cents + 0.5 + cents * 1e-12);
    if (whole == 0.0) return 0.0;
    return std::copysign(whole / 100.0, x);
}

QString Blanks(int n) {
    return n > 0 ? QString(n, ' ') : QString();
}

QString DecimalPoint() {
    thread_local QLocale locale;
    thread_local QString point = locale.decimalPoint();
    const QLocale current;
    if (current != locale) {
        locale = current;
        point = current.decimalPoint();
    }
    return point;
}

QString NumText(double x, int width, int decimals) {
    QString text = QString::asprintf("%*.*f", width, decimals, x);
    const bool showsZero =
        std::none_of(text.begin(), text.end(), [](QChar c) { return c.isDigit() && c != '0'; });
    if (showsZero && text.contains('-')) text = QString::asprintf("%*.*f", width, decimals, 0.0);
    const QString point = DecimalPoint();
    if (point != ".") text.replace('.', point);
    return text;
}

int LastPos(const QString& part, const QString& text) {
    if (part.isEmpty()) return 0;
    return static_cast<int>(text.lastIndexOf(part)) + 1;
}

int IndexOfValue(const QVariant& list, int n) {
    const int type = list.typeId();
    if (type == QMetaType::QString || type == QMetaType::QByteArray ||
        !list.canConvert<QSequentialIterable>())
        return -1;
    const QVariant wanted(n);
    int index = 0;
    for (const QVariant& element : list.value<QSequentialIterable>()) {
        if (element == wanted) return index;
        ++index;
    }
    return -1;
}

std::optional<NumberFormat> ParseNumberFormat(const QString& format) {
    static const QRegularExpression pattern("^%([1-9][0-9]?)\\.([1-9])f$");
    const QRegularExpressionMatch match = pattern.match(format);
    if (!match.hasMatch()) return std::nullopt;
    NumberFormat result{match.captured(1).toInt(), match.captured(2).toInt()};
    if (result.width <= result.decimals + 1) return std::nullopt;
    return result;
}

std::optional<double> ReadNumber(const QString& text) {
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(text, &ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value + 0.0;  // no negative zero
}

std::optional<QString> FormatNumberText(const QString& text, NumberFormat format) {
    const QString digits = QString(text).remove(' ');
    const std::optional<double> value = ReadNumber(digits);
    if (!value) return std::nullopt;
    QString result = NumText(*value, format.width, format.decimals).trimmed();
    if (digits.startsWith('-') && !(*value < 0)) result.prepend('-');
    return result.rightJustified(std::max<qsizetype>(text.size(), format.width));
}

QString NotANumberMessage(const QString& text) {
    return QString("'%1' is not a valid floating point value").arg(text);
}
