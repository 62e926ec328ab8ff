#include "labels/label_layout.h"

#include <algorithm>

namespace labels {
namespace {

// A margin of the paper moved into the printable area, whose edge lies `strip` inside the paper.
int FromPrintableEdge(int margin, int strip) {
    return margin < strip ? 0 : margin - strip;
}

QString Refusal(const LabelRecord& stock, const char* reason) {
    return "Label Stock \"" + stock.Name.trimmed() + "\" cannot be printed: " + reason;
}

}  // namespace

int PointsToPixels(double points, int dpi) {
    return static_cast<int>(dpi * points / 72.0);
}

LabelLayout ComputeLayout(const LabelRecord& stock, const PageFacts& page) {
    LabelLayout l;
    l.top = FromPrintableEdge(PointsToPixels(stock.TopM, page.dpiY), page.offY);
    l.bottom = FromPrintableEdge(PointsToPixels(stock.BottomM, page.dpiY),
                                 page.physH - page.offY - page.pageH);
    l.left = FromPrintableEdge(PointsToPixels(stock.LeftM, page.dpiX), page.offX);
    l.right = FromPrintableEdge(PointsToPixels(stock.RightM, page.dpiX),
                                page.physW - page.offX - page.pageW);
    l.width = PointsToPixels(stock.Width, page.dpiX);
    l.height = PointsToPixels(stock.Height, page.dpiY);
    l.hGap = PointsToPixels(stock.HGap, page.dpiX);
    l.vGap = PointsToPixels(stock.VGap, page.dpiY);
    l.insetX = PointsToPixels(kLabelInsetPoints, page.dpiX);
    l.insetY = PointsToPixels(kLabelInsetPoints, page.dpiY);
    const int usable = page.pageH - l.top - (stock.Continuous ? 0 : l.bottom);
    const int pitch = l.height + l.vGap;
    if (pitch > 0 && usable > 0) {
        l.rowsPerPage = usable / pitch;
        if (usable >= pitch * l.rowsPerPage + l.height) ++l.rowsPerPage;
    }
    return l;
}

int FitLabelFont(int size, int smallest, int labelWidth, int labelHeight,
                 const std::function<TextMeasure(int size)>& measure) {
    while (size > smallest && labelWidth < 5 * measure(size).abcdeWidth) --size;
    while (size > smallest && labelHeight < 5 * measure(size).lineHeight) --size;
    return size;
}

QString StockProblem(const LabelRecord& stock, const PageFacts& page,
                     const TextMeasure& smallestFont) {
    if (stock.NAcross < 1) return Refusal(stock, "it has no labels across.");
    const LabelLayout l = ComputeLayout(stock, page);
    const long long across = stock.NAcross;
    // Measured on the paper: the labels begin at the left margin or the printable edge.
    const long long right = page.offX + l.left + across * l.width + (across - 1) * l.hGap;
    if (right > page.physW) return Refusal(stock, "its labels are wider than the paper.");
    if (l.height <= 0 || l.rowsPerPage < 1)
        return Refusal(stock, "its labels do not fit down the paper.");
    if (l.width < smallestFont.abcdeWidth || l.height < smallestFont.lineHeight)
        return Refusal(stock, "its labels are too small for one line of print.");
    return {};
}

RowPlace PlaceRow(int row, int rowsPerPage) {
    if (row > rowsPerPage) return {true, 1};
    return {false, row};
}

Point LabelOrigin(const LabelLayout& layout, int row, int column) {
    return {(column - 1) * (layout.width + layout.hGap) + layout.left,
            (row - 1) * (layout.height + layout.vGap) + layout.top};
}

}  // namespace labels
