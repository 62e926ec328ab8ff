#include <gtest/gtest.h>

#include <QString>

#include "core/money.h"

TEST(PlainCents, ReadsOnlyPlainAmountsOfAtMostTwoDecimalsInEitherPoint) {
    // Stored field texts, right-aligned with blanks.
    EXPECT_EQ(PlainCents("   -11.77", '.'), -1177);
    EXPECT_EQ(PlainCents("    300", '.'), 30000);
    EXPECT_EQ(PlainCents("  12.5", '.'), 1250);
    EXPECT_EQ(PlainCents(".5", '.'), 50);
    EXPECT_EQ(PlainCents("12.", '.'), 1200);
    EXPECT_EQ(PlainCents("-0.00", '.'), 0);
    EXPECT_EQ(PlainCents("1 2.05 ", '.'), 1205);  // blanks anywhere
    EXPECT_EQ(PlainCents("9999999999999.99", '.'), 999999999999999);

    // No digit at all: empty, blank, a lone sign or point.
    for (const char* text : {"", "     ", "-", ".", " - . "})
        EXPECT_EQ(PlainCents(text, '.'), std::nullopt) << '"' << text << '"';
    // Too many decimals or digits, a sign out of place, garbage: left to the locale's reading.
    for (const char* text : {"1.235", "99999999999999.99", "1-2", "5-", "--5", "+5", "1.2.3", "12a",
                             "1,50", "1e5", "0x10"})
        EXPECT_EQ(PlainCents(text, '.'), std::nullopt) << '"' << text << '"';

    // The point is the caller's: with ',' a '.' is garbage.
    EXPECT_EQ(PlainCents("  -7,5", ','), -750);
    EXPECT_EQ(PlainCents("7.50", ','), std::nullopt);
}

TEST(FixedCentsText, WritesWhatAsprintfWrites) {
    for (const int64_t cents : {0LL, 5LL, -5LL, 99LL, 100LL, -250LL, 123456789LL, -100000000000LL})
        for (const int width : {0, 4, 9, 13})
            EXPECT_EQ(FixedCentsText(cents, width),
                      QString::asprintf("%*.2f", width, static_cast<double>(cents) / 100.0))
                << cents << " in " << width;
}
