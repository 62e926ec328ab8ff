#include "report/page_geometry.h"

#include <cmath>

namespace reports {

ColumnGrid CentredGrid(int areaWidth, int rptWidth, int charWidth) {
    ColumnGrid grid;
    grid.charWidth = charWidth;
    grid.leftEdge = static_cast<int>(std::trunc(areaWidth / 2.0 - rptWidth * charWidth / 2.0));
    grid.rightEdge = rptWidth * charWidth + grid.leftEdge;
    return grid;
}

int TextX(QChar letter, int columnX, int textWidth) {
    if (letter == u'L') return columnX;
    if (letter == u'C') return columnX - textWidth / 2;
    if (letter == u'R') return columnX - textWidth;
    return 0;
}

int PictureX(QChar align, int columnX, int pictureWidth) {
    return TextX(align, columnX, pictureWidth);
}

ScreenGeometry ComputeScreenGeometry(int clientWidth, int clientHeight, int scrollBarWidth,
                                     int scrollBarTop, int charWidth, int lineHeight,
                                     int rptWidth) {
    ScreenGeometry g;
    g.usableWidth = clientWidth - scrollBarWidth;
    g.grid = CentredGrid(g.usableWidth, rptWidth, charWidth);
    g.lineHeight = lineHeight;
    g.visibleLines = lineHeight > 0 ? (clientHeight - scrollBarTop) / lineHeight : 0;
    return g;
}

ScrollSettings ScrollFor(int lineCount, int visibleLines) {
    ScrollSettings s;
    if (visibleLines >= lineCount) return s;
    s.enabled = true;
    s.maximum = lineCount - visibleLines;
    s.largeChange = visibleLines - 1;
    s.smallChange = 1;
    return s;
}

PrinterGeometry ComputePrinterGeometry(int pageWidth, int charWidth, int lineHeight, int dpiX,
                                       int dpiY, int rptWidth) {
    PrinterGeometry g;
    g.grid = CentredGrid(pageWidth, rptWidth, charWidth);
    g.lineHeight = lineHeight;
    g.topMargin = 3 * lineHeight;
    g.dpiX = dpiX;
    g.dpiY = dpiY;
    return g;
}

int FitScreenFontSize(int pointSize, int usableWidth, int rptWidth, const CharWidthAt& width) {
    while (usableWidth < rptWidth * width(pointSize) && pointSize > 8) --pointSize;
    return pointSize;
}

int FitPrinterFontSize(int pointSize, int pageWidth, int rptWidth, const CharWidthAt& width) {
    while (rptWidth * width(pointSize) > pageWidth && pointSize > 1) --pointSize;
    return pointSize;
}

}  // namespace reports
