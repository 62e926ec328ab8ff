#include "report/command_options.h"

#include <QDate>
#include <QGuiApplication>
#include <QRegularExpression>

#include "core/dates.h"
#include "report/print_target.h"

namespace reports {

std::function<void()> MakePaintingApplication;

std::optional<QList<int>> NumberList(const QString& text) {
    QList<int> numbers;
    for (const QString& part : text.split(u',')) {
        bool ok = false;
        const int n = part.trimmed().toInt(&ok);
        if (!ok || n < 1 || n > 999999) return std::nullopt;
        numbers << n;
    }
    return numbers;
}

std::optional<double> IsoDay(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    if (!form.match(text).hasMatch()) return std::nullopt;
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid()) return std::nullopt;
    return DateValue(date);
}

QFont CommandLineReportFont() {
    if (MakePaintingApplication) MakePaintingApplication();
    QFont base(QStringLiteral("monospace"), 10);
    base.setStyleHint(QFont::TypeWriter);
    QGuiApplication::setFont(base);
    return CurrentReportFont();
}

}  // namespace reports
