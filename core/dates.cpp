#include "core/dates.h"

#include <QLocale>
#include <QStringList>
#include <QTime>
#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 kMsPerDay = 24 * 60 * 60 * 1000;
// Far beyond any date a table can hold, and well inside what QDate and an int64 can take.
constexpr double kMaxDays = 1e8;

QDate epoch() {
    return QDate(1899, 12, 30);
}

// A day number and a time fraction as one value: the fraction counts forward from midnight, so
// it is subtracted for days before the epoch.
double compose(qint64 days, double fraction) {
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

bool inCalendar(double value) {
    return std::isfinite(value) && std::fabs(value) < kMaxDays;
}

int windowYear(int year, int currentYear) {
    if (year < currentYear - 40) return year + 100;
    if (year >= currentYear + 60) return year - 100;
    return year;
}

// The one year of the window from (current - 40) to (current + 59) that ends in `twoDigits`.
int windowTwoDigitYear(int twoDigits, int currentYear) {
    const int first = currentYear - 40;
    return first + ((twoDigits - first) % 100 + 100) % 100;
}

// Day, month and year order of a locale date format, and its date separator.
struct DateLayout {
    QString order;  // "dMy", "Mdy", "ydM"...: the first of each letter, in order
    QChar separator = '/';
};

DateLayout layoutOf(const QString& localeFormat) {
    DateLayout layout;
    bool separatorFound = false;
    for (QChar c : localeFormat) {
        const QChar letter = c == 'M' ? c : c.toLower();
        if (letter == 'd' || letter == 'M' || letter == 'y') {
            if (!layout.order.contains(letter)) layout.order += letter;
        } else if (!separatorFound && !layout.order.isEmpty() && !c.isLetter() && !c.isSpace() &&
                   c != '\'') {
            layout.separator = c;
            separatorFound = true;
        }
    }
    for (QChar letter : {QChar('M'), QChar('d'), QChar('y')})
        if (!layout.order.contains(letter)) layout.order += letter;
    return layout;
}

bool allDigits(const QString& s) {
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) { return c.isDigit(); });
}

}  // namespace

double DateValue(const QDate& date) {
    return static_cast<double>(epoch().daysTo(date));
}

double DateValue(const QDateTime& dateTime) {
    const double fraction = static_cast<double>(dateTime.time().msecsSinceStartOfDay()) /
                            static_cast<double>(kMsPerDay);
    return compose(epoch().daysTo(dateTime.date()), fraction);
}

QDate QDateOf(double value) {
    if (!inCalendar(value)) return {};
    return epoch().addDays(static_cast<qint64>(std::trunc(value)));
}

QDateTime QDateTimeOf(double value) {
    if (!inCalendar(value)) return {};
    const double fraction = std::fabs(value - std::trunc(value));
    const qint64 ms = std::min(std::llround(fraction * kMsPerDay), kMsPerDay - 1);
    return QDateTime(QDateOf(value), QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

double NowValue() {
    return DateValue(QDateTime::currentDateTime());
}

double FixCentury(double date) {
    return FixCentury(date, QDate::currentDate().year());
}

double FixCentury(double date, int currentYear) {
    const QDate day = QDateOf(date);
    if (!day.isValid()) return date;
    const int year = windowYear(day.year(), currentYear);
    if (year == day.year()) return date;
    const QDate first(year, day.month(), 1);
    const QDate moved(year, day.month(), std::min(day.day(), first.daysInMonth()));
    return compose(epoch().daysTo(moved), std::fabs(date - std::trunc(date)));
}

QString DateToText(double date) {
    const QDate day = QDateOf(FixCentury(date));
    if (!day.isValid() || day.year() < 1 || day.year() > 9999) return {};
    return QString::asprintf("%04d%02d%02d", day.year(), day.month(), day.day());
}

std::optional<double> TryTextToDate(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return NowValue();
    bool yearOk = false, monthOk = false, dayOk = false;
    const int year = t.mid(0, 4).toInt(&yearOk);
    const int month = t.mid(4, 2).toInt(&monthOk);
    const int day = t.mid(6, 2).toInt(&dayOk);
    const QDate date(year, month, day);
    if (!yearOk || !monthOk || !dayOk || !date.isValid()) return std::nullopt;
    return DateValue(date);
}

double TextToDate(const QString& text) {
    if (const std::optional<double> date = TryTextToDate(text)) return *date;
    return NowValue();
}

QString ShortDateFormat() {
    return ShortDateFormat(QLocale().dateFormat(QLocale::ShortFormat));
}

QString ShortDateFormat(const QString& localeFormat) {
    const DateLayout layout = layoutOf(localeFormat);
    QStringList parts;
    for (QChar letter : layout.order) parts << QString(2, letter);
    return parts.join(layout.separator);
}

QString ShortDatePattern() {
    return ShortDateFormat().toUpper();
}

QString DateToShortText(double date) {
    return QDateOf(date).toString(ShortDateFormat());
}

std::optional<double> ShortTextToDate(const QString& text) {
    return ShortTextToDate(text, QDate::currentDate().year());
}

std::optional<double> ShortTextToDate(const QString& text, int currentYear) {
    const DateLayout layout = layoutOf(QLocale().dateFormat(QLocale::ShortFormat));
    const QStringList parts = text.split(layout.separator);
    if (parts.size() != 3) return std::nullopt;
    int year = 0, month = 0, day = 0;
    for (int i = 0; i < 3; ++i) {
        const QString part = QString(parts[i]).remove(' ');
        const QChar letter = layout.order[i];
        const bool isYear = letter == 'y';
        if (!allDigits(part) || part.size() > (isYear ? 4 : 2) || (isYear && part.size() == 3))
            return std::nullopt;
        const int n = part.toInt();
        if (isYear)
            year = part.size() <= 2 ? windowTwoDigitYear(n, currentYear) : n;
        else if (letter == 'M')
            month = n;
        else
            day = n;
    }
    const QDate date(year, month, day);
    if (!date.isValid()) return std::nullopt;
    return DateValue(date);
}

QString PaddedDateFormat() {
    return PaddedDateFormat(QLocale().dateFormat(QLocale::ShortFormat));
}

QString PaddedDateFormat(const QString& localeFormat) {
    QString format = localeFormat.toUpper();
    for (QChar letter : {QChar('M'), QChar('D'), QChar('Y')}) {
        const qsizetype at = format.indexOf(letter);
        if (at >= 0 && (at + 1 >= format.size() || format[at + 1] != letter))
            format.insert(at, letter);
    }
    return format;
}

QString ReportDateFormat() {
    // Worked out again only when the default locale changes: a report writes dates by the
    // hundred thousand, and asking the system locale for its format costs more than writing one.
    thread_local QLocale locale;
    thread_local QString format = ReportDateFormat(locale.dateFormat(QLocale::ShortFormat));
    const QLocale current;
    if (current != locale) {
        locale = current;
        format = ReportDateFormat(current.dateFormat(QLocale::ShortFormat));
    }
    return format;
}

QString ReportDateFormat(const QString& localeFormat) {
    const QString padded = PaddedDateFormat(localeFormat);
    // A month written as a name would not fit the reports' date columns: such a locale's dates
    // are written as its date boxes write them, with the year as wide as the locale has it.
    if (padded.contains(QLatin1String("MMM"))) {
        QString numeric = ShortDateFormat(localeFormat);
        if (padded.contains(QLatin1String("YYYY"))) numeric.replace(QLatin1String("yy"), "yyyy");
        return numeric;
    }
    // Split at the quotes, the odd parts are literal text: those are taken from the locale's format
    // as it writes them, not in capitals.
    const QStringList literals = localeFormat.split(u'\'');
    QStringList parts = padded.split(u'\'');
    for (qsizetype i = 0; i < parts.size(); ++i)
        parts[i] = i % 2 ? literals[i] : parts[i].replace(u'D', u'd').replace(u'Y', u'y');
    return parts.join(u'\'');
}

QString DateToReportText(double date) {
    return QDateOf(date).toString(ReportDateFormat());
}
