#include "reports/date_bridge.h"

#include <QLocale>

namespace reports {
namespace {

// Doubles the first lone d, M and y of a Qt date format ("M/d/yy" becomes "MM/dd/yy").
QString PaddedQtFormat(QString format) {
    for (const QChar letter : {u'd', u'M', u'y'}) {
        for (qsizetype i = 0; i < format.size(); ++i) {
            if (format.at(i) != letter) continue;
            const bool paired = (i + 1 < format.size() && format.at(i + 1) == letter);
            if (!paired) format.insert(i, letter);
            break;
        }
    }
    return format;
}

}  // namespace

double DayNumber(const QDate& date) {
    return QDate(1899, 12, 30).daysTo(date);
}

QString ReportDateText(const QDate& date) {
    return QLocale().toString(date, PaddedQtFormat(QLocale().dateFormat(QLocale::ShortFormat)));
}

QString PadNumText(int n, int width) {
    return QString::number(n).rightJustified(width, u' ');
}

}  // namespace reports
