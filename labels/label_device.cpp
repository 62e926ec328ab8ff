#include "labels/label_device.h"

#include <QFontMetrics>
#include <QLocale>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>
#include <algorithm>

#include "report/report_export.h"

namespace labels {
namespace {

constexpr int kPdfResolution = 600;

}  // namespace

PdfParts::PdfParts() {
    buffer.open(QIODevice::WriteOnly);
    writer = std::make_unique<QPdfWriter>(&buffer);
    writer->setCreator(QStringLiteral("Corvane"));
    writer->setTitle(QStringLiteral("Labels"));
    writer->setResolution(kPdfResolution);
    const QPageSize paper(QLocale().measurementSystem() == QLocale::ImperialUSSystem
                              ? QPageSize::Letter
                              : QPageSize::A4);
    writer->setPageLayout(QPageLayout(paper, QPageLayout::Portrait, QMarginsF()));
}

PdfParts::~PdfParts() = default;

PaintedLabelDevice::PaintedLabelDevice(QPagedPaintDevice& device, const QFont& font)
    : device_(device), font_(font) {}

PageFacts PaintedLabelDevice::Facts() {
    const QPageLayout layout = device_.pageLayout();
    const int dpi = device_.logicalDpiX();
    const QRect paper = layout.fullRectPixels(dpi);
    const QRect printable = layout.paintRectPixels(dpi);
    PageFacts f;
    f.dpiX = device_.logicalDpiX();
    f.dpiY = device_.logicalDpiY();
    f.physW = paper.width();
    f.physH = paper.height();
    f.offX = printable.left() - paper.left();
    f.offY = printable.top() - paper.top();
    f.pageW = printable.width();
    f.pageH = printable.height();
    return f;
}

int PaintedLabelDevice::FontSize() {
    if (font_.pointSize() > 0) return font_.pointSize();
    return std::max(1, QFontInfo(font_).pointSize());
}

QFont PaintedLabelDevice::Sized(int size) const {
    QFont sized = font_;
    sized.setPointSize(std::max(1, size));
    return sized;
}

TextMeasure PaintedLabelDevice::Measure(int size) {
    const QFontMetrics metrics(Sized(size), &device_);
    return {metrics.horizontalAdvance(QStringLiteral("Abcde")), metrics.height()};
}

bool PaintedLabelDevice::Begin(int size) {
    if (!painter_.begin(&device_)) return false;
    painter_.setFont(Sized(size));
    return true;
}

bool PaintedLabelDevice::NewPage() {
    return device_.newPage();
}

void PaintedLabelDevice::Text(int x, int y, const QString& text) {
    painter_.drawText(QPoint(x, y + painter_.fontMetrics().ascent()), text);
}

bool PaintedLabelDevice::End() {
    return painter_.end();
}

PrinterLabelDevice::PrinterLabelDevice(QPrinter& printer, const QFont& font)
    : PaintedLabelDevice(printer, font), printer_(printer) {}

QString PrinterLabelDevice::FailureMessage() {
    return "Unable to print on " + printer_.printerName();
}

PdfLabelDevice::PdfLabelDevice(const QString& fileName, const QFont& font)
    : PaintedLabelDevice(*writer, font), fileName_(fileName) {}

bool PdfLabelDevice::End() {
    if (!PaintedLabelDevice::End()) return false;
    const reports::ExportResult written = reports::WriteExportFile(fileName_, buffer.data());
    failure_ = written.message;
    return written.saved;
}

QString PdfLabelDevice::FailureMessage() {
    return failure_.isEmpty() ? QStringLiteral("Unable to save to: ") + fileName_ : failure_;
}

}  // namespace labels
