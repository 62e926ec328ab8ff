// The font and the printer reports are drawn with. The main window owns both (the report font of
// the Preferences tab, the printer chosen in Printer Setup) and hands them over with
// UseReportOutput at start-up. Until it does, reports use the settings' font name and size on
// the application font, and a printer of their own on the system's default.
#pragma once

#include "report/paper_measure.h"

class QFont;
class QPrinter;

namespace reports {

// Both must outlive every report; a null pointer puts back the default for that one.
void UseReportOutput(const QFont* font, QPrinter* printer);

QFont CurrentReportFont();
QPrinter& CurrentReportPrinter();

// True when the current printer is a real printer, not output to a file or no printer at all.
bool PrinterInstalled();

// How a document of rptWidth columns will fall on the paper: measured on the current printer in
// the report font, or without a printer on the PDF file that printing then writes.
PaperMeasure CurrentPaperMeasure(int rptWidth);

// Makes the report document measure its pages on the current printer with the report font (60
// lines a page without a printer). Reports call it before they start.
void InstallPrinterPageProbe();

}  // namespace reports
