// A label run on a printer: the address blocks of the selected customers placed label by label,
// row by row, on a label stock from any starting row and column, through a LabelDevice. The
// device is the one seam to the printer: production draws with QPainter on the chosen printer
// or into a PDF file (label_device.h), tests record what is drawn.
#pragma once

#include <QString>
#include <array>
#include <vector>

#include "db/records.h"
#include "labels/label_layout.h"

namespace labels {

// The five lines of one label, as the customer address block gives them.
using AddressBlock = std::array<QString, 5>;

class LabelDevice {
public:
    virtual ~LabelDevice() = default;
    // The paper and resolution, known before the job starts.
    virtual PageFacts Facts() = 0;
    // The size in points of the font labels are printed in, before any reduction.
    virtual int FontSize() = 0;
    // That font at `size` points, measured on the device.
    virtual TextMeasure Measure(int size) = 0;
    // Starts the job, printing in the font at `size` points; false when it cannot start.
    virtual bool Begin(int size) = 0;
    virtual bool NewPage() = 0;
    // Draws a text whose line begins at (x, y), its top edge, in device pixels of the printable
    // area.
    virtual void Text(int x, int y, const QString& text) = 0;
    // Ends the job; false when its output could not be written.
    virtual bool End() = 0;
    // Said when Begin, NewPage or End failed.
    virtual QString FailureMessage() = 0;
};

// Why the stock cannot be printed on the device's paper (StockProblem in the device's smallest
// label font); empty when it can.
QString CheckStock(const LabelRecord& stock, LabelDevice& device);

struct RunResult {
    bool ok = true;   // false when the stock was refused or the device failed
    QString message;  // then: what to tell the user
    int pages = 0;    // pages printed; 0 when no job was started
};

// Prints the labels in order, starting at `startColumn` (clamped to 1 to the labels across) of
// row `startRow` (1 or more). Labels fill a row across; a full row is printed and the next label
// begins the next row at column 1. The job starts with the first row printed, so no labels means
// no job; a stock the paper cannot take is refused before anything is printed.
RunResult PrintLabelRun(const LabelRecord& stock, int startColumn, int startRow,
                        const std::vector<AddressBlock>& labels, LabelDevice& device);

}  // namespace labels
