// The label devices of production: QPainter on the chosen printer, or, with no printer, on a PDF
// file of the locale's paper (Letter where the locale measures in inches, A4 elsewhere) with no
// margins, so that a stock's margins are measured from the sheet's edge as on paper. The PDF file
// replaces an earlier one of that name only when it is complete.
#pragma once

#include <QBuffer>
#include <QFont>
#include <QPainter>
#include <QString>
#include <memory>

#include "labels/label_run.h"

class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;

namespace labels {

// Draws on a paged device in `font` (sized by the run).
class PaintedLabelDevice : public LabelDevice {
public:
    PageFacts Facts() override;
    int FontSize() override;
    TextMeasure Measure(int size) override;
    bool Begin(int size) override;
    bool NewPage() override;
    void Text(int x, int y, const QString& text) override;
    bool End() override;

protected:
    PaintedLabelDevice(QPagedPaintDevice& device, const QFont& font);

private:
    QFont Sized(int size) const;

    QPagedPaintDevice& device_;
    QFont font_;
    QPainter painter_;
};

class PrinterLabelDevice : public PaintedLabelDevice {
public:
    PrinterLabelDevice(QPrinter& printer, const QFont& font);
    QString FailureMessage() override;

private:
    QPrinter& printer_;
};

// The PDF drawn into memory until the job ends; made before the painting device that uses it.
struct PdfParts {
    PdfParts();
    ~PdfParts();
    QBuffer buffer;
    std::unique_ptr<QPdfWriter> writer;
};

class PdfLabelDevice : private PdfParts, public PaintedLabelDevice {
public:
    PdfLabelDevice(const QString& fileName, const QFont& font);
    // Ends the drawing and writes the file whole, or to the standard output for
    // reports::kStandardOutput.
    bool End() override;
    // "Unable to save to: ", the file name and, when the system gave one, its reason.
    QString FailureMessage() override;

private:
    QString fileName_;
    QString failure_;
};

}  // namespace labels
