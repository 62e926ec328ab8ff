// Carrying out the report document's drawing plans with a QPainter: the visible lines of the
// preview, and every page on a printer or into a PDF file. Printing fits the report font to the
// page first: one point smaller at a time while the report is wider than the page, and also
// while its longest page (with the top margin of three lines) is taller than the paper, so that
// no line is ever cut off at the bottom.
#pragma once

#include <QFont>
#include <QByteArray>
#include <QString>
#include <optional>

#include "report/draw_plan.h"
#include "report/paper_measure.h"
#include "report/report_document.h"
#include "report/report_export.h"

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

namespace reports {

// Draws the operations of a plan in the font (bold where an operation asks for it); rules are
// ruleWidth device pixels wide.
void DrawPlan(QPainter& painter, const DrawList& plan, const QFont& font, int ruleWidth);

// The report font at the largest size, no larger than its own, at which the report fits the
// device's page across and its longest page, with the top margin, fits down.
QFont PrintFont(const ReportDocument& doc, QPaintDevice& device, const QFont& font);

// The report font at the largest size, no larger than its own, at which rptWidth columns fit the
// device's page across and `rows` lines fit down.
QFont FitPrintFont(QPaintDevice& device, const QFont& font, int rptWidth, int rows);

// How the lines of a document of rptWidth columns and pages of up to pageLines lines will fall
// on the device's pages when printed in the font: the paper measure the letterhead and memo
// wrapping are built with.
PaperMeasure MeasurePaper(QPaintDevice& device, const QFont& font, int rptWidth, int pageLines);

// MeasurePaper for the PDF file PrintToPdf writes.
PaperMeasure MeasurePdfPaper(const QFont& font, int rptWidth, int pageLines);

// The font size in whole points, also for a font sized in pixels.
int PointSizeOf(const QFont& font);

// Lines on the longest printed page: lines between page breaks, the break itself taking no room.
int LongestPageLines(const ReportDocument& doc);

// Prints every page of the document on the device, starting a new device page at each page
// break. False when the device cannot be painted on.
bool PrintDocument(const ReportDocument& doc, QPagedPaintDevice& device, const QFont& font);

// Prints the document into a PDF file on the locale's paper (Letter where the locale measures
// in inches, A4 elsewhere) with half-inch margins, through the same printing code. The file
// replaces an earlier one of that name only when complete; on failure the message is
// "Unable to save to: " and the file name.
ExportResult PrintToPdf(const ReportDocument& doc, const QString& fileName, const QFont& font);

// The PDF file PrintToPdf writes, as bytes; nothing when the document could not be printed.
std::optional<QByteArray> PdfOf(const ReportDocument& doc, const QFont& font);

}  // namespace reports
