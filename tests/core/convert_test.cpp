#include <gtest/gtest.h>

#include <cmath>

#include <QLocale>

#include "core/convert.h"
#include "core/money.h"

TEST(PadNum, PadsToTheWidthButNeverCuts) {
    EXPECT_EQ(PadNum(42, 6), "    42");
    EXPECT_EQ(PadNum(1234567, 6), "1234567");
}

TEST(RoundCents, HalfCentsHeldJustBelowTheHalfStillRoundUp) {
    // Each of these is stored as a binary value a hair below (or above) the half cent.
    EXPECT_EQ(RoundCents(1.005), 1.01);
    EXPECT_EQ(RoundCents(1.015), 1.02);
    EXPECT_EQ(RoundCents(2.675), 2.68);
    EXPECT_EQ(RoundCents(0.285), 0.29);
    EXPECT_EQ(RoundCents(2.345), 2.35);
    EXPECT_EQ(RoundCents(1.1 * 0.95), 1.05);         // a half cent reached by arithmetic
    EXPECT_EQ(RoundCents(1234567.845), 1234567.85);  // and at a large amount
}

TEST(RoundCents, HalvesGoAwayFromZeroAndTheRestToTheNearestCent) {
    EXPECT_EQ(RoundCents(2.346), 2.35);
    EXPECT_EQ(RoundCents(2.344), 2.34);
    EXPECT_EQ(RoundCents(2.3449999), 2.34);
    EXPECT_EQ(RoundCents(-2.346), -2.35);
    EXPECT_EQ(RoundCents(-2.675), -2.68);
    EXPECT_EQ(RoundCents(-1.005), -1.01);
    EXPECT_EQ(RoundCents(-2.344), -2.34);
    EXPECT_EQ(RoundCents(0.0), 0.0);
}

TEST(RoundCents, AZeroResultIsNeverNegativeZero) {
    EXPECT_FALSE(std::signbit(RoundCents(-0.004)));
    EXPECT_FALSE(std::signbit(RoundCents(-0.0)));
    EXPECT_EQ(NumText(RoundCents(-0.004), 8, 2), "    0.00");
}

TEST(NumText, RightAlignsAndWritesNoMinusOnAZero) {
    EXPECT_EQ(NumText(-3.5, 8, 2), "   -3.50");
    EXPECT_EQ(NumText(1234567.891, 5, 2), "1234567.89");
    EXPECT_EQ(NumText(-1e-13, 10, 2), "      0.00");  // a balance left over by arithmetic
    EXPECT_EQ(NumText(-0.0004, 8, 3), "   0.000");
    EXPECT_EQ(NumText(-0.0005, 8, 3), "  -0.001");
}

TEST(TextToCents, ReadsAmountsInTheDefaultLocalesNotationWhicheverWayItReadsThem) {
    EXPECT_EQ(TextToCents("  -12.5"), -1250);
    EXPECT_EQ(TextToCents("1 2.05"), 1205);
    EXPECT_EQ(TextToCents("0.29"), 29);
    EXPECT_EQ(TextToCents("-0.00"), 0);
    EXPECT_EQ(TextToCents("12."), 1200);
    EXPECT_EQ(TextToCents("1.235"), 124);
    EXPECT_EQ(TextToCents("99999999999999.99"), std::nullopt);  // beyond every cent held
    EXPECT_EQ(TextToCents("1-2"), std::nullopt);
    EXPECT_EQ(TextToCents(""), std::nullopt);
    EXPECT_EQ(DecimalPoint(), ".");

    // The default locale changed: its point is the one read, the other one is none.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(DecimalPoint(), ",");
    EXPECT_EQ(TextToCents("-7,5"), -750);
    EXPECT_EQ(TextToCents("7.50"), std::nullopt);
    EXPECT_EQ(NumText(-3.5, 8, 2), "   -3,50");
    QLocale::setDefault(before);
    EXPECT_EQ(TextToCents("7.50"), 750);
}

TEST(FormatNumberText, KeepsATypedMinusBeforeAZero) {
    const NumberFormat f{10, 2};
    EXPECT_EQ(FormatNumberText("-0     .  ", f), "     -0.00");
    EXPECT_EQ(FormatNumberText("-      .  ", f), std::nullopt);
    EXPECT_EQ(FormatNumberText("-7     .5 ", f), "     -7.50");
    EXPECT_EQ(FormatNumberText("-0", f), "     -0.00");  // never narrower than the format
}

TEST(FormatNumberText, RightAlignsWhatWasTypedAndRejectsWhatIsNoNumber) {
    const NumberFormat f{8, 2};
    EXPECT_EQ(FormatNumberText("12   .  ", f), "   12.00");
    EXPECT_EQ(FormatNumberText(" 1 2 .5 ", f), "   12.50");
    EXPECT_EQ(FormatNumberText("+3   .  ", f), "    3.00");
    EXPECT_EQ(FormatNumberText("     .  ", f), std::nullopt);
    EXPECT_EQ(FormatNumberText("1,234.00", f), std::nullopt);  // no group separators
    EXPECT_EQ(FormatNumberText("1-2  .  ", f), std::nullopt);
    EXPECT_EQ(NotANumberMessage("."), "'.' is not a valid floating point value");
}

TEST(ParseNumberFormat, TakesOnlyFixedPointFormatsWithRoomForTheSeparator) {
    const std::optional<NumberFormat> f = ParseNumberFormat("%12.2f");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->width, 12);
    EXPECT_EQ(f->decimals, 2);
    EXPECT_FALSE(ParseNumberFormat("%8.2d"));
    EXPECT_FALSE(ParseNumberFormat("%3.2f"));
    EXPECT_FALSE(ParseNumberFormat("%8f"));
}

TEST(TextHelpers, LastPosIsOneBasedAndKeyTextCutsAtSixty) {
    EXPECT_EQ(LastPos("\\", "C:\\data\\logo.bmp"), 8);
    EXPECT_EQ(LastPos("x", "abc"), 0);
    EXPECT_EQ(LastPos("", "abc"), 0);
    EXPECT_EQ(KeyText(QString(70, 'k')).size(), 60);
}

TEST(IndexOfValue, FindsTheFirstEqualElementOfAListAndNothingInWhatIsNoList) {
    EXPECT_EQ(IndexOfValue(QVariantList{5, 7, 7}, 7), 1);
    EXPECT_EQ(IndexOfValue(QVariantList{5.0, 7.5}, 5), 0);
    EXPECT_EQ(IndexOfValue(QVariant::fromValue(QList<int>{1, 2, 3}), 3), 2);
    EXPECT_EQ(IndexOfValue(QVariantList{5, 7}, 6), -1);
    EXPECT_EQ(IndexOfValue(QVariant(7), 7), -1);
    EXPECT_EQ(IndexOfValue(QVariant(QString("777")), 7), -1);
}
