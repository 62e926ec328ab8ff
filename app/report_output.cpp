#include "app/report_output.h"

#include <QCoreApplication>
#include <QPageLayout>
#include <QPrinter>

QFont ReportFont;

namespace {

QPrinter* printer = nullptr;

void FreePrinter() {
    delete printer;
    printer = nullptr;
}

}  // namespace

QFont FontFromSettings(const QFont& base, const QString& fontName, int fontSize) {
    QFont font = base;
    if (!fontName.trimmed().isEmpty()) font.setFamily(fontName.trimmed());
    if (fontSize > 0) font.setPointSize(fontSize);
    return font;
}

QString FontText(const QFont& font) {
    return font.family() + "@" + QString::number(font.pointSize());
}

QPrinter& ReportPrinter() {
    if (!printer) {
        printer = new QPrinter(QPrinter::HighResolution);
        qAddPostRoutine(FreePrinter);
    }
    return *printer;
}

QString PrinterText(const QPrinter& printer) {
    if (printer.outputFormat() != QPrinter::NativeFormat || printer.printerName().isEmpty())
        return {};
    const bool landscape = printer.pageLayout().orientation() == QPageLayout::Landscape;
    return printer.printerName() + (landscape ? "-Landscape" : "-Portrait");
}
