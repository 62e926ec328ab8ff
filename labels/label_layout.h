// The arithmetic of a label run, with no printer in it: a label stock's measures (printer points,
// 1/72 inch, margins from the paper's edge) turned into device pixels of the printable area, the
// label font fitted inside a label's inner margin, the rows that fit a page, whether a stock can
// be printed on the paper at all, and where each row and label goes. The label printer and the
// tests call it alike.
#pragma once

#include <QString>
#include <functional>

#include "db/records.h"

namespace labels {

// What a printer tells of its paper before a job starts, in device pixels: its resolution, the
// whole paper, the unprintable strips at the left and top, and the printable area.
struct PageFacts {
    int dpiX = 0;
    int dpiY = 0;
    int physW = 0;
    int physH = 0;
    int offX = 0;
    int offY = 0;
    int pageW = 0;
    int pageH = 0;
};

// A stock on a printer, in device pixels; margins measured from the printable area. The inset is
// the inner margin a label's text keeps from the label's left and top edges (and, in fitting the
// font, from its right and bottom edges).
struct LabelLayout {
    int top = 0;
    int bottom = 0;
    int left = 0;
    int right = 0;
    int width = 0;
    int height = 0;
    int hGap = 0;
    int vGap = 0;
    int insetX = 0;
    int insetY = 0;
    int rowsPerPage = 0;
};

// The label font at one size: the width of "Abcde" and the height of "A", in device pixels.
struct TextMeasure {
    int abcdeWidth = 0;
    int lineHeight = 0;
};

// The size in points below which the label font is never reduced.
constexpr int kSmallestLabelFont = 4;
// The inner margin of a label's text, in points.
constexpr double kLabelInsetPoints = 4;

// dpi x points / 72, truncated.
int PointsToPixels(double points, int dpi);

// The stock's measures on the printer, its margins moved from the paper's edge into the printable
// area (0 where a margin lies inside the unprintable strip), and the rows of labels that fit a
// page, the last row needing no gap below it: on a sheet between the top and bottom margins, on
// continuous stock (which has no bottom margin) from the top margin to the end of the printable
// area.
LabelLayout ComputeLayout(const LabelRecord& stock, const PageFacts& page);

// The label font size, from `size` down: one point less while five "Abcde" are wider than the
// label, then one less while five lines are taller than it; never below `smallest`.
int FitLabelFont(int size, int smallest, int labelWidth, int labelHeight,
                 const std::function<TextMeasure(int size)>& measure);

// Why the stock cannot be printed on this paper, as the message that names it; empty when it
// can. It cannot when it has no labels across, when its labels across with the left margin and
// the gaps are wider than the paper, when not one row fits down a page (see ComputeLayout), or
// when a label is too small for one line of the label font at its smallest (`smallestFont`):
// narrower than "Abcde" or lower than a line.
QString StockProblem(const LabelRecord& stock, const PageFacts& page,
                     const TextMeasure& smallestFont);

// Where a row of labels about to be printed at row number `row` (1 on) goes: a row beyond the
// page starts a new page and is then the first row of it. Continuous stock does so as well: a
// row placed below the printable area would be lost, so the run goes on, on the next page.
struct RowPlace {
    bool newPage = false;
    int row = 1;
};
RowPlace PlaceRow(int row, int rowsPerPage);

// The top-left corner of the label in `column` of row `row` (both 1 on) in device pixels of the
// printable area; its text begins the layout's inset inside it.
struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};
Point LabelOrigin(const LabelLayout& layout, int row, int column);

}  // namespace labels
