// The reports write amounts from whole cents with their own formatter; it must write exactly
// what NumText writes for the same amount, in any width and with the locale's decimal sign.
#include <gtest/gtest.h>

#include <QLocale>

#include "core/convert.h"
#include "reports/invoice_pass.h"

namespace {

TEST(MoneyTextTest, WritesWhatNumTextWritesForEveryKindOfAmount) {
    const Cents amounts[] = {0,       1,        -1,        5,          -5,          99,
                             100,     -100,     1001,      -1177,      2230,        123456789,
                             -987654, 10000000, 100000000, 9999999999, -99999999999};
    for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::German, QLocale::Germany)}) {
        QLocale::setDefault(locale);
        for (const Cents amount : amounts) {
            for (const int width : {0, 8, 10, 12}) {
                EXPECT_EQ(reports::MoneyText(amount, width).toStdString(),
                          NumText(FromCents(amount), width, 2).toStdString())
                    << amount << " in " << width;
            }
        }
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(reports::MoneyCell("R63", -1177, 10), "R63    -11.77");
}

}  // namespace
