// Where report lines land on the screen and on paper. The report is centred horizontally; the
// x of column c is c character widths from its left edge. These functions take the measures of
// the font in use (character width, line height) and give positions in pixels, so the preview
// window and the printing code only measure fonts and draw.
#pragma once

#include <QChar>
#include <functional>

namespace reports {

// Horizontal placement of a report of rptWidth columns centred in a width of areaWidth pixels.
struct ColumnGrid {
    int charWidth = 0;
    int leftEdge = 0;
    int rightEdge = 0;

    int ColumnX(int column) const { return column * charWidth + leftEdge; }
};

ColumnGrid CentredGrid(int areaWidth, int rptWidth, int charWidth);

// x of a text cell whose column lies at columnX and whose text is textWidth pixels wide: the
// column itself (L), less half the text (C), less the whole text (R); 0 for any other letter.
int TextX(QChar letter, int columnX, int textWidth);

// x of a picture, by its alignment letter, in the same way as a text.
int PictureX(QChar align, int columnX, int pictureWidth);

// Geometry of the preview window.
struct ScreenGeometry {
    ColumnGrid grid;
    int usableWidth = 0;
    int lineHeight = 0;
    int visibleLines = 0;
    // The screen's pixels per inch; 0 when not known.
    int dpiX = 0;
    int dpiY = 0;
};

// clientWidth/Height: the window's client area; scrollBarWidth and scrollBarTop: the vertical
// scroll bar along its right edge; charWidth: width of "B", lineHeight: height of "A".
ScreenGeometry ComputeScreenGeometry(int clientWidth, int clientHeight, int scrollBarWidth,
                                     int scrollBarTop, int charWidth, int lineHeight, int rptWidth);

// Settings of the preview's scroll bar for a document of lineCount lines.
struct ScrollSettings {
    bool enabled = false;
    int maximum = 0;
    int largeChange = 0;
    int smallChange = 0;
};

ScrollSettings ScrollFor(int lineCount, int visibleLines);

// Geometry of a printed page. Each page starts three line heights down.
struct PrinterGeometry {
    ColumnGrid grid;
    int lineHeight = 0;
    int topMargin = 0;
    int dpiX = 0;
    int dpiY = 0;
};

PrinterGeometry ComputePrinterGeometry(int pageWidth, int charWidth, int lineHeight, int dpiX,
                                       int dpiY, int rptWidth);

// Width of one character at a given font size in points.
using CharWidthAt = std::function<int(int pointSize)>;

// The screen font size: reduced one point at a time while the report is wider than the usable
// width, but never below 8 points (a report still too wide runs past the edge).
int FitScreenFontSize(int pointSize, int usableWidth, int rptWidth, const CharWidthAt& width);

// The printer font size: reduced one point at a time while the report is wider than the page,
// down to 1 point at the least.
int FitPrinterFontSize(int pointSize, int pageWidth, int rptWidth, const CharWidthAt& width);

}  // namespace reports
