#include <gtest/gtest.h>

#include "report/layout_code.h"

using namespace reports;

TEST(LayoutCode, TextCellsCarryLetterColumnAndText) {
    const LayoutCell right = ParseCell("R60Invoice No:");
    EXPECT_EQ(right.kind, CellKind::Right);
    EXPECT_EQ(right.align, u'R');
    EXPECT_EQ(right.column, 60);
    EXPECT_EQ(right.text, "Invoice No:");

    const LayoutCell left = ParseCell("L00To:");
    EXPECT_EQ(left.kind, CellKind::Left);
    EXPECT_EQ(left.column, 0);
    EXPECT_EQ(left.text, "To:");

    // Titles write a blank-padded column below 10.
    const LayoutCell centre = ParseCell("C 4Title");
    EXPECT_EQ(centre.kind, CellKind::Centre);
    EXPECT_EQ(centre.column, 4);
    EXPECT_EQ(centre.text, "Title");

    const LayoutCell bare = ParseCell("L00");
    EXPECT_EQ(bare.kind, CellKind::Left);
    EXPECT_TRUE(bare.text.isEmpty());
}

TEST(LayoutCode, RulesPicturesAndPageBreaks) {
    const LayoutCell h = ParseCell("H2059");
    EXPECT_EQ(h.kind, CellKind::HRule);
    EXPECT_EQ(h.column, 20);
    EXPECT_EQ(h.toColumn, 59);

    const LayoutCell v = ParseCell("V08");
    EXPECT_EQ(v.kind, CellKind::VRule);
    EXPECT_EQ(v.column, 8);

    const LayoutCell pic = ParseCell("IC35  logo.bmp  ");
    EXPECT_EQ(pic.kind, CellKind::Picture);
    EXPECT_EQ(pic.align, u'C');
    EXPECT_EQ(pic.column, 35);
    EXPECT_EQ(pic.text, "logo.bmp");

    // The file name is the rest of the cell, as long as the path the settings hold.
    const QString longName = "/srv/shared/" + QString(200, u'x') + ".png";
    EXPECT_EQ(ParseCell("IL00" + longName).text, longName);

    EXPECT_EQ(ParseCell("EJECT").kind, CellKind::Eject);
    EXPECT_EQ(ParseCell("E").kind, CellKind::Eject);
}

TEST(LayoutCode, EmptyUnknownAndMalformedCellsDrawNothing) {
    for (const char* text :
         {"", "X10abc", "l00lower", "R6", "Rx0abc", "R-1abc", "H20", "V", "IZ10f", "IL1", "B"}) {
        EXPECT_EQ(ParseCell(text).kind, CellKind::None) << text;
    }
    EXPECT_FALSE(IsTextCell(ParseCell("V08")));
    EXPECT_TRUE(IsTextCell(ParseCell("C10x")));
}

TEST(LayoutCode, StyleCellLetters) {
    EXPECT_TRUE(ParseStyle("B").bold);
    EXPECT_FALSE(ParseStyle("B").underline);
    const LineStyle both = ParseStyle("UB");
    EXPECT_TRUE(both.bold);
    EXPECT_TRUE(both.underline);
    EXPECT_FALSE(ParseStyle("").bold);
    EXPECT_FALSE(ParseStyle("U").picture.has_value());
}

TEST(LayoutCode, PictureSizeIsWrittenAndReadInFiveCharacterFields) {
    const QString style = PictureStyle(1.5, 2.25);
    EXPECT_EQ(style, "S 1.50 2.25");
    const auto size = ParseStyle(style).picture;
    ASSERT_TRUE(size.has_value());
    EXPECT_DOUBLE_EQ(size->height, 1.5);
    EXPECT_DOUBLE_EQ(size->width, 2.25);

    EXPECT_EQ(PictureStyle(10.0, 0.5), "S10.00 0.50");
    EXPECT_FALSE(ParseStyle("S 1.50").picture.has_value());
    EXPECT_FALSE(ParseStyle("S abcd 2.00").picture.has_value());
}

TEST(LayoutCode, BuiltCodesReadBack) {
    EXPECT_EQ(ColumnCode(u'V', 8), "V08");
    EXPECT_EQ(ColumnCode(u'R', 71), "R71");
    EXPECT_EQ(RuleCode(60, 73), "H6073");
    EXPECT_EQ(RuleCode(2, 9), "H0209");
    const LayoutCell pic = ParseCell(PictureCode(u'R', 7, "c:/logos/firm.bmp"));
    EXPECT_EQ(pic.kind, CellKind::Picture);
    EXPECT_EQ(pic.align, u'R');
    EXPECT_EQ(pic.column, 7);
    EXPECT_EQ(pic.text, "c:/logos/firm.bmp");
}
