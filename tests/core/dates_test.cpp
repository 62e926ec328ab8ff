#include <gtest/gtest.h>

#include <cmath>

#include "core/dates.h"
#include "tests/support/default_locale.h"

namespace {

double day(int y, int m, int d) {
    return DateValue(QDate(y, m, d));
}

}  // namespace

TEST(DateValue, CountsDaysFromTheEpochWithTheTimeAsFraction) {
    EXPECT_EQ(day(1899, 12, 30), 0.0);
    EXPECT_EQ(day(1900, 1, 1), 2.0);
    EXPECT_EQ(DateValue(QDateTime(QDate(1900, 1, 1), QTime(18, 0))), 2.75);
    EXPECT_EQ(QDateTimeOf(2.75), QDateTime(QDate(1900, 1, 1), QTime(18, 0)));
    // Before the epoch the fraction still counts forward from midnight.
    EXPECT_EQ(DateValue(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
    EXPECT_EQ(QDateTimeOf(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    EXPECT_EQ(QDateOf(-1.25), QDate(1899, 12, 29));
}

TEST(DateValue, RoundTripsThroughQDateTimeToTheMillisecond) {
    const QDateTime when(QDate(2026, 12, 7), QTime(23, 59, 59, 999));
    EXPECT_EQ(QDateTimeOf(DateValue(when)), when);
    // A time a hair before midnight stays on its day.
    EXPECT_EQ(QDateTimeOf(day(2026, 12, 7) + 0.99999999999).date(), QDate(2026, 12, 7));
}

TEST(DateValue, WhatIsNoDateGivesAnInvalidDate) {
    EXPECT_FALSE(QDateOf(std::nan("")).isValid());
    EXPECT_FALSE(QDateTimeOf(INFINITY).isValid());
    EXPECT_FALSE(QDateOf(1e300).isValid());
    EXPECT_EQ(DateToText(std::nan("")), "");
}

TEST(FixCentury, MovesYearsIntoTheWindowAtBothEdges) {
    EXPECT_EQ(FixCentury(day(1986, 5, 17), 2026), day(1986, 5, 17));
    EXPECT_EQ(FixCentury(day(1985, 5, 17), 2026), day(2085, 5, 17));
    EXPECT_EQ(FixCentury(day(2085, 5, 17), 2026), day(2085, 5, 17));
    EXPECT_EQ(FixCentury(day(2086, 5, 17), 2026), day(1986, 5, 17));
    EXPECT_EQ(FixCentury(day(1926, 12, 7) + 0.5, 2026), day(2026, 12, 7) + 0.5);
}

TEST(FixCentury, ALeapDayMovedIntoAYearWithoutOneBecomesTheTwentyEighth) {
    EXPECT_EQ(FixCentury(day(2000, 2, 29), 2041), day(2100, 2, 28));
    EXPECT_EQ(FixCentury(day(2000, 2, 29), 1940), day(1900, 2, 28));
    EXPECT_EQ(FixCentury(day(1904, 2, 29), 2026), day(2004, 2, 29));
}

TEST(DateText, WritesYyyymmddAndReadsItBack) {
    const double firstOfMarch = day(2026, 3, 1);
    EXPECT_EQ(DateToText(firstOfMarch + 0.4), "20260301");
    EXPECT_EQ(TryTextToDate("20260301"), firstOfMarch);
    EXPECT_EQ(TryTextToDate(" 20260301 "), firstOfMarch);
    for (double d : {day(2000, 2, 29), day(1987, 12, 31), day(2065, 1, 1)})
        EXPECT_EQ(TextToDate(DateToText(d)), d);
}

TEST(DateText, BlankReadsAsNowAndWhatIsNoDateIsReported) {
    const double before = NowValue();
    const std::optional<double> blank = TryTextToDate("        ");
    ASSERT_TRUE(blank);
    EXPECT_GE(*blank, before);
    EXPECT_LE(*blank, NowValue());
    for (const char* bad : {"20260231", "2026-3-1", "abcdefgh", "2026", "00000101", "20261301"})
        EXPECT_EQ(TryTextToDate(bad), std::nullopt) << bad;
    // The convenience form reads a bad text as a blank one, never as the epoch.
    EXPECT_GE(TextToDate("20260231"), before);
}

TEST(ShortDateFormat, TwoDigitsForEachPartInTheLocaleOrder) {
    EXPECT_EQ(ShortDateFormat("M/d/yy"), "MM/dd/yy");
    EXPECT_EQ(ShortDateFormat("yyyy-MM-dd"), "yy-MM-dd");
    EXPECT_EQ(ShortDateFormat("dd.MM.yyyy"), "dd.MM.yy");
    EXPECT_EQ(ShortDateFormat("d.MM.yy 'r'."), "dd.MM.yy");
    EXPECT_EQ(ShortDateFormat(), "MM/dd/yy");  // the tests run in en_US
}

TEST(ShortDateText, WritesAndReadsTheScreenForm) {
    EXPECT_EQ(DateToShortText(day(2026, 3, 1) + 0.9), "03/01/26");
    EXPECT_EQ(ShortTextToDate("03/01/26", 2026), day(2026, 3, 1));
    EXPECT_EQ(ShortTextToDate("3 /1 /26", 2026), day(2026, 3, 1));
    EXPECT_EQ(ShortTextToDate("3/1/2026", 2026), day(2026, 3, 1));
    EXPECT_EQ(ShortTextToDate("12/31/1899", 2026), day(1899, 12, 31));
}

TEST(ShortDateText, TwoDigitYearsFallIntoTheWindow) {
    EXPECT_EQ(ShortTextToDate("03/01/86", 2026), day(1986, 3, 1));
    EXPECT_EQ(ShortTextToDate("03/01/85", 2026), day(2085, 3, 1));
    EXPECT_EQ(ShortTextToDate("02/29/00", 2026), day(2000, 2, 29));  // not 1900, which has none
    EXPECT_EQ(ShortTextToDate("03/01/50", 2100), day(2150, 3, 1));
}

TEST(ShortDateText, RejectsWhatIsNoDate) {
    for (const char* bad : {"13/01/26", "02/30/26", "  /  /  ", "3/1", "3/1/26/4", "a3/01/26",
                            "03/01/  ", "03/01/202", "003/01/26", "03-01-26"})
        EXPECT_EQ(ShortTextToDate(bad, 2026), std::nullopt) << bad;
}

TEST(PaddedDateFormat, CapitalsWithEverySinglePartDoubled) {
    EXPECT_EQ(PaddedDateFormat("d/M/yy"), "DD/MM/YY");
    EXPECT_EQ(PaddedDateFormat("yyyy-MM-dd"), "YYYY-MM-DD");
    EXPECT_EQ(PaddedDateFormat("dd.MM.y"), "DD.MM.YY");
    EXPECT_EQ(PaddedDateFormat(), "MM/DD/YY");
}

TEST(ReportDate, ThePaddedFormatKeepsTheLocalesYearAndItsOwnLiterals) {
    EXPECT_EQ(ReportDateFormat("M/d/yy"), "MM/dd/yy");
    EXPECT_EQ(ReportDateFormat("yyyy-MM-dd"), "yyyy-MM-dd");
    EXPECT_EQ(ReportDateFormat("yyyy. M. d."), "yyyy. MM. dd.");
    EXPECT_EQ(ReportDateFormat("d.MM.yy '\u0433'."), "dd.MM.yy '\u0433'.");
    EXPECT_EQ(ReportDateFormat("d MMM yyyy"), "dd/MM/yyyy");
    // In the tests' locale a report writes a date as the date boxes do.
    EXPECT_EQ(DateToReportText(day(2026, 3, 1) + 0.9), "03/01/26");
}

// The order of the day, month and year letters in a date format.
static QString PartOrder(const QString& format) {
    QString order;
    for (QChar c : format) {
        const QChar letter = c.toLower();
        if ((letter == 'd' || letter == 'm' || letter == 'y') && !order.contains(letter))
            order += letter;
    }
    return order;
}

TEST(ShortDatePattern, NamesTheBoxFormatAndReportDatesKeepItsOrder) {
    const struct {
        QLocale locale;
        const char* pattern;
    } cases[] = {{QLocale(QLocale::English, QLocale::UnitedStates), "MM/DD/YY"},
                 {QLocale(QLocale::English, QLocale::UnitedKingdom), "DD/MM/YY"},
                 {QLocale(QLocale::German, QLocale::Germany), "DD.MM.YY"},
                 {QLocale(QLocale::Japanese, QLocale::Japan), "YY/MM/DD"},
                 {QLocale(QLocale::Hungarian, QLocale::Hungary), "YY.MM.DD"},
                 {QLocale::c(), "DD/MM/YY"}};
    for (const auto& c : cases) {
        ScopedDefaultLocale locale(c.locale);
        SCOPED_TRACE(c.locale.name().toStdString());
        EXPECT_EQ(ShortDatePattern(), c.pattern);
        EXPECT_EQ(PartOrder(ReportDateFormat()), PartOrder(ShortDateFormat()));
    }
}
