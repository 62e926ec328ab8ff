#include "report/print_target.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPrinter>

#include "db/program_state.h"
#include "report/page_length.h"
#include "report/report_painter.h"

namespace reports {
namespace {

const QFont* givenFont = nullptr;
QPrinter* givenPrinter = nullptr;
QPrinter* ownPrinter = nullptr;

void FreeOwnPrinter() {
    delete ownPrinter;
    ownPrinter = nullptr;
}

}  // namespace

void UseReportOutput(const QFont* font, QPrinter* printer) {
    givenFont = font;
    givenPrinter = printer;
    InstallPrinterPageProbe();
}

QFont CurrentReportFont() {
    if (givenFont) return *givenFont;
    QFont font = QGuiApplication::font();
    const QString name = SettingsRecord.FontName.trimmed();
    if (!name.isEmpty()) font.setFamily(name);
    if (SettingsRecord.FontSize > 0) font.setPointSize(SettingsRecord.FontSize);
    return font;
}

QPrinter& CurrentReportPrinter() {
    if (givenPrinter) return *givenPrinter;
    if (!ownPrinter) {
        ownPrinter = new QPrinter(QPrinter::HighResolution);
        qAddPostRoutine(FreeOwnPrinter);
    }
    return *ownPrinter;
}

bool PrinterInstalled() {
    const QPrinter& printer = CurrentReportPrinter();
    return printer.outputFormat() == QPrinter::NativeFormat && !printer.printerName().isEmpty();
}

PaperMeasure CurrentPaperMeasure(int rptWidth) {
    // A document may run a line past its page length (the line that closes the totals box).
    const int pageLines = CurrentPageLength() + 1;
    if (PrinterInstalled())
        return MeasurePaper(CurrentReportPrinter(), CurrentReportFont(), rptWidth, pageLines);
    return MeasurePdfPaper(CurrentReportFont(), rptWidth, pageLines);
}

void InstallPrinterPageProbe() {
    SetPrinterPageProbe([]() -> std::optional<PrinterPage> {
        if (!PrinterInstalled()) return std::nullopt;
        QPrinter& printer = CurrentReportPrinter();
        return PrinterPage{printer.height(), QFontMetrics(CurrentReportFont(), &printer).height()};
    });
}

}  // namespace reports
