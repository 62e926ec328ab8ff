// What to draw for the report document, in pixels: the lines visible in the preview window, or
// every printed page. The plan interprets the layout codes and style cells; the window and the
// printing code only measure texts and pictures and carry out the drawing operations.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

#include "report/page_geometry.h"
#include "report/report_document.h"

namespace reports {

// A text whose top-left corner is at (x, y), in bold or normal weight.
struct TextOp {
    int x = 0;
    int y = 0;
    QString text;
    bool bold = false;
};

// A solid or dotted line from (x1, y1) to (x2, y2).
struct RuleOp {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    bool dotted = false;
};

// A picture file drawn into the target rectangle (stretched when printing). When the file
// cannot be read at drawing time, nothing is drawn.
struct PictureOp {
    QString fileName;
    QRect target;
};

using DrawOp = std::variant<TextOp, RuleOp, PictureOp>;
using DrawList = std::vector<DrawOp>;

// Width of a text in pixels in the report font, bold or normal.
using TextWidth = std::function<int(const QString& text, bool bold)>;

// Natural size of a picture file in screen pixels; nothing when it cannot be read.
using PictureSizeOf = std::function<std::optional<QSize>(const QString& fileName)>;

// The visible lines of the preview, from topLine on, the first at y = 0. A page break shows as
// a dotted line across the usable width. A picture whose line gives its printed size appears at
// that size in the screen's inches (as the letterhead keeps room for it), any other at its
// natural size; one that cannot be read is left out.
DrawList PlanScreen(const ReportDocument& document, const ScreenGeometry& geometry, int topLine,
                    const TextWidth& textWidth, const PictureSizeOf& pictureSize);

// Every printed page of the document. Pages break only at EJECT cells, which take no room: the
// line after one is printed at the top margin of the new page. A picture is stretched to the
// size in inches given by its line's style cell and left out when that size is missing.
std::vector<DrawList> PlanPrint(const ReportDocument& document, const PrinterGeometry& geometry,
                                const TextWidth& textWidth);

}  // namespace reports
