#include "report/draw_plan.h"

#include <algorithm>
#include <cmath>

#include "report/layout_code.h"

namespace reports {
namespace {

// Adds the operation of a text or rule cell; false for any other cell.
bool PlanCommonCell(const LayoutCell& cell, const ColumnGrid& grid, int y, int lineHeight,
                    bool bold, const TextWidth& textWidth, DrawList& out) {
    switch (cell.kind) {
        case CellKind::Left:
        case CellKind::Right:
        case CellKind::Centre: {
            const int x = TextX(cell.align, grid.ColumnX(cell.column), textWidth(cell.text, bold));
            out.push_back(TextOp{x, y, cell.text, bold});
            return true;
        }
        case CellKind::VRule: {
            const int x = grid.ColumnX(cell.column);
            out.push_back(RuleOp{x, y, x, y + lineHeight});
            return true;
        }
        case CellKind::HRule:
            out.push_back(RuleOp{grid.ColumnX(cell.column), y, grid.ColumnX(cell.toColumn), y});
            return true;
        default:
            return false;
    }
}

void PlanUnderline(const LineStyle& style, const ColumnGrid& grid, int y, DrawList& out) {
    if (style.underline) out.push_back(RuleOp{grid.leftEdge, y, grid.rightEdge, y});
}

}  // namespace

DrawList PlanScreen(const ReportDocument& document, const ScreenGeometry& geometry, int topLine,
                    const TextWidth& textWidth, const PictureSizeOf& pictureSize) {
    DrawList out;
    const int first = std::max(topLine, 0);
    const int end = std::min<qsizetype>(first + geometry.visibleLines, document.Lines.size());
    int y = 0;
    for (int i = first; i < end; ++i) {
        const ReportLine& line = document.Lines.at(i);
        const LineStyle style = ParseStyle(line.last());
        for (qsizetype c = 0; c + 1 < line.size(); ++c) {
            const LayoutCell cell = ParseCell(line.at(c));
            if (PlanCommonCell(cell, geometry.grid, y, geometry.lineHeight, style.bold, textWidth,
                               out))
                continue;
            if (cell.kind == CellKind::Eject) {
                const int mid = y + geometry.lineHeight / 2;
                out.push_back(RuleOp{0, mid, geometry.usableWidth, mid, true});
            } else if (cell.kind == CellKind::Picture) {
                std::optional<QSize> size = pictureSize(cell.text);
                if (!size) continue;
                if (style.picture && geometry.dpiX > 0 && geometry.dpiY > 0)
                    size = QSize(static_cast<int>(std::trunc(geometry.dpiX * style.picture->width)),
                                 static_cast<int>(std::trunc(geometry.dpiY * style.picture->height)));
                const int x =
                    PictureX(cell.align, geometry.grid.ColumnX(cell.column), size->width());
                out.push_back(PictureOp{cell.text, QRect(QPoint(x, y), *size)});
            }
        }
        y += geometry.lineHeight;
        PlanUnderline(style, geometry.grid, y, out);
    }
    return out;
}

std::vector<DrawList> PlanPrint(const ReportDocument& document, const PrinterGeometry& geometry,
                                const TextWidth& textWidth) {
    std::vector<DrawList> pages(1);
    int y = geometry.topMargin;
    for (const ReportLine& line : document.Lines) {
        const LineStyle style = ParseStyle(line.last());
        for (qsizetype c = 0; c + 1 < line.size(); ++c) {
            const LayoutCell cell = ParseCell(line.at(c));
            if (PlanCommonCell(cell, geometry.grid, y, geometry.lineHeight, style.bold, textWidth,
                               pages.back()))
                continue;
            if (cell.kind == CellKind::Eject) {
                pages.emplace_back();
                y = geometry.topMargin - geometry.lineHeight;
            } else if (cell.kind == CellKind::Picture && style.picture) {
                const int width =
                    static_cast<int>(std::trunc(geometry.dpiX * style.picture->width));
                const int height =
                    static_cast<int>(std::trunc(geometry.dpiY * style.picture->height));
                const int x = PictureX(cell.align, geometry.grid.ColumnX(cell.column), width);
                pages.back().push_back(PictureOp{cell.text, QRect(x, y, width, height)});
            }
        }
        y += geometry.lineHeight;
        PlanUnderline(style, geometry.grid, y, pages.back());
    }
    return pages;
}

}  // namespace reports
