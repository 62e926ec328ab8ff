#include "report/report_painter.h"

#include <QBuffer>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

#include "report/layout_code.h"
#include "report/page_geometry.h"

namespace reports {
namespace {

QFont Sized(QFont font, int points) {
    font.setPointSize(points);
    return font;
}

QFont Bold(QFont font) {
    font.setBold(true);
    return font;
}

QPageSize LocalePaper() {
    return QPageSize(QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                                : QPageSize::A4);
}

// The page PrintToPdf prints on: the locale's paper with half-inch margins.
void SetPdfPage(QPdfWriter& writer) {
    writer.setPageLayout(QPageLayout(LocalePaper(), QPageLayout::Portrait,
                                     QMarginsF(0.5, 0.5, 0.5, 0.5), QPageLayout::Inch));
}

}  // namespace

void DrawPlan(QPainter& painter, const DrawList& plan, const QFont& font, int ruleWidth) {
    const QFont bold = Bold(font);
    for (const DrawOp& op : plan) {
        if (const auto* text = std::get_if<TextOp>(&op)) {
            painter.setFont(text->bold ? bold : font);
            painter.drawText(QPoint(text->x, text->y + painter.fontMetrics().ascent()), text->text);
        } else if (const auto* rule = std::get_if<RuleOp>(&op)) {
            painter.setPen(QPen(Qt::black, ruleWidth, rule->dotted ? Qt::DotLine : Qt::SolidLine));
            painter.drawLine(rule->x1, rule->y1, rule->x2, rule->y2);
        } else if (const auto* picture = std::get_if<PictureOp>(&op)) {
            const QImage image(picture->fileName);
            if (!image.isNull()) painter.drawImage(picture->target, image);
        }
    }
}

QFont PrintFont(const ReportDocument& doc, QPaintDevice& device, const QFont& font) {
    // The top margin is three lines.
    return FitPrintFont(device, font, doc.RptWidth, LongestPageLines(doc) + 3);
}

QFont FitPrintFont(QPaintDevice& device, const QFont& font, int rptWidth, int rows) {
    const auto charWidthAt = [&](int points) {
        return QFontMetrics(Sized(font, points), &device).horizontalAdvance(u'B');
    };
    int points = FitPrinterFontSize(PointSizeOf(font), device.width(), rptWidth, charWidthAt);
    while (points > 1 &&
           rows * QFontMetrics(Sized(font, points), &device).height() > device.height())
        --points;
    return Sized(font, points);
}

PaperMeasure MeasurePaper(QPaintDevice& device, const QFont& font, int rptWidth, int pageLines) {
    const QFontMetrics metrics(FitPrintFont(device, font, rptWidth, pageLines + 3), &device);
    return PaperMeasure(device.logicalDpiY(), metrics.height(), metrics.horizontalAdvance(u'B'),
                        [metrics](const QString& text) { return metrics.horizontalAdvance(text); });
}

PaperMeasure MeasurePdfPaper(const QFont& font, int rptWidth, int pageLines) {
    QBuffer nowhere;
    nowhere.open(QIODevice::WriteOnly);
    QPdfWriter writer(&nowhere);
    SetPdfPage(writer);
    return MeasurePaper(writer, font, rptWidth, pageLines);
}

int PointSizeOf(const QFont& font) {
    if (font.pointSize() > 0) return font.pointSize();
    return std::max(1, QFontInfo(font).pointSize());
}

int LongestPageLines(const ReportDocument& doc) {
    int longest = 0;
    int lines = 0;
    for (const ReportLine& line : doc.Lines) {
        const bool eject = std::any_of(line.begin(), line.end() - 1, [](const QString& cell) {
            return ParseCell(cell).kind == CellKind::Eject;
        });
        lines = eject ? 0 : lines + 1;
        longest = std::max(longest, lines);
    }
    return longest;
}

bool PrintDocument(const ReportDocument& doc, QPagedPaintDevice& device, const QFont& reportFont) {
    const QFont font = PrintFont(doc, device, reportFont);
    const QFontMetrics metrics(font, &device);
    const QFontMetrics boldMetrics(Bold(font), &device);
    const PrinterGeometry geometry =
        ComputePrinterGeometry(device.width(), metrics.horizontalAdvance(u'B'), metrics.height(),
                               device.logicalDpiX(), device.logicalDpiY(), doc.RptWidth);
    const std::vector<DrawList> pages =
        PlanPrint(doc, geometry, [&](const QString& text, bool bold) {
            return (bold ? boldMetrics : metrics).horizontalAdvance(text);
        });
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const int ruleWidth = std::max(1, device.logicalDpiX() / 150);
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0 && !device.newPage()) return false;
        DrawPlan(painter, pages[i], font, ruleWidth);
    }
    return painter.end();
}

std::optional<QByteArray> PdfOf(const ReportDocument& doc, const QFont& font) {
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setCreator(QStringLiteral("Corvane"));
        writer.setTitle(doc.Titles.value(0));
        SetPdfPage(writer);
        if (!PrintDocument(doc, writer, font)) return std::nullopt;
    }
    return pdf.data();
}

ExportResult PrintToPdf(const ReportDocument& doc, const QString& fileName, const QFont& font) {
    const std::optional<QByteArray> pdf = PdfOf(doc, font);
    if (!pdf) return {false, QStringLiteral("Unable to save to: ") + fileName};
    return WriteExportFile(fileName, *pdf);
}

}  // namespace reports
