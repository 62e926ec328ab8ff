// Where reports go: the one report font used by the report preview and printing, and the
// printer chosen for the run. Start-up sets the font from the settings; the Preferences tab
// changes both. The printer choice is not stored: each run starts with the system's default.
#pragma once

#include <QFont>
#include <QString>

class QPrinter;

extern QFont ReportFont;

// The font with the settings' name and size applied: a blank name keeps the font's family, a
// size of 0 or less keeps its size.
QFont FontFromSettings(const QFont& base, const QString& fontName, int fontSize);
// The font as the Preferences tab shows it: family, "@", size in points.
QString FontText(const QFont& font);

// The printer of the run, made on first use with the system's default printer; freed when the
// application object goes away.
QPrinter& ReportPrinter();
// The printer's name followed by "-Landscape" or "-Portrait"; empty when no printer is selected
// (none installed, or output to a file).
QString PrinterText(const QPrinter& printer);
