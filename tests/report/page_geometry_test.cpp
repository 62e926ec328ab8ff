#include <gtest/gtest.h>

#include "report/page_geometry.h"
#include "report/page_length.h"

using namespace reports;

TEST(PageGeometry, ReportIsCentredAndColumnsStepByCharacterWidth) {
    const ColumnGrid grid = CentredGrid(800, 71, 7);  // 400 - 248.5
    EXPECT_EQ(grid.leftEdge, 151);
    EXPECT_EQ(grid.rightEdge, 71 * 7 + 151);
    EXPECT_EQ(grid.ColumnX(0), 151);
    EXPECT_EQ(grid.ColumnX(10), 221);
    // Wider than the area: the left edge goes negative, truncated toward zero.
    EXPECT_EQ(CentredGrid(101, 80, 3).leftEdge, -69);
}

TEST(PageGeometry, TextsAndPicturesAlignOnTheirColumn) {
    EXPECT_EQ(TextX(u'L', 100, 41), 100);
    EXPECT_EQ(TextX(u'C', 100, 41), 80);
    EXPECT_EQ(TextX(u'R', 100, 41), 59);
    EXPECT_EQ(TextX(u'X', 100, 41), 0);
    EXPECT_EQ(PictureX(u'C', 300, 120), 240);
    EXPECT_EQ(PictureX(u'R', 300, 120), 180);
}

TEST(PageGeometry, ScreenLeavesRoomForTheScrollBar) {
    const ScreenGeometry g = ComputeScreenGeometry(1000, 700, 16, 2, 8, 15, 85);
    EXPECT_EQ(g.usableWidth, 984);
    EXPECT_EQ(g.grid.leftEdge, 492 - 340);
    EXPECT_EQ(g.lineHeight, 15);
    EXPECT_EQ(g.visibleLines, 698 / 15);
}

TEST(PageGeometry, ScrollBarOnlyWhenTheDocumentIsLongerThanTheWindow) {
    EXPECT_FALSE(ScrollFor(46, 46).enabled);
    EXPECT_FALSE(ScrollFor(0, 46).enabled);
    const ScrollSettings s = ScrollFor(100, 46);
    EXPECT_TRUE(s.enabled);
    EXPECT_EQ(s.maximum, 54);
    EXPECT_EQ(s.largeChange, 45);
    EXPECT_EQ(s.smallChange, 1);
}

TEST(PageGeometry, FontsShrinkUntilTheReportFits) {
    const CharWidthAt oneToOne = [](int size) { return size; };
    EXPECT_EQ(FitScreenFontSize(12, 900, 85, oneToOne), 10);
    EXPECT_EQ(FitScreenFontSize(12, 500, 85, oneToOne), 8);  // never below 8 on screen
    EXPECT_EQ(FitScreenFontSize(6, 100, 85, oneToOne), 6);
    EXPECT_EQ(FitScreenFontSize(12, 2000, 85, oneToOne), 12);

    const CharWidthAt printer = [](int size) { return 3 * size; };
    EXPECT_EQ(FitPrinterFontSize(12, 2400, 85, printer), 9);
    EXPECT_EQ(FitPrinterFontSize(12, 10, 85, printer), 1);  // stops rather than going to zero
}

TEST(PageLength, SixLinesLessThanFitOnThePrinterPage) {
    EXPECT_EQ(PageLengthFor(PrinterPage{3300, 50}), 60);
    EXPECT_EQ(PageLengthFor(PrinterPage{3299, 50}), 59);
    EXPECT_EQ(PageLengthFor(std::nullopt), 60);
    EXPECT_EQ(PageLengthFor(PrinterPage{3300, 0}), 60);
}
