// The labels command of corvane-admin: a label run of any of the five kinds on a stock named in
// LABELS (or, when LABELS has none of that name, a ready stock of masters/ready_stocks.h), with
// its selection given as options instead of dialogs, printed by the label printer's own code
// into a PDF file.
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>
#include <optional>

#include "labels/label_selection.h"

namespace labels {

struct LabelRequest {
    QString stock;  // the stock's name as LABELS holds it, trimmed
    LabelSelection selection;
    int column = 1;
    int row = 1;
    QString pdfFile;  // absolute
};

// The command's usage lines, indented to follow the first line of corvane-admin's usage.
QString LabelUsage();

// Reads the arguments that follow "labels": --stock NAME, one selection (--customers N,N... |
// --groups N,N... | --invoices-dated FROM TO | --past-due FROM TO | --balance-due FROM TO, dates
// as YYYY-MM-DD), optionally --row R and --column C (both 1 or more), and --pdf FILE, relative
// to `base` (reports::kStandardOutput, "-", stays as it is). Nothing, with `why` naming the
// option at fault and what is wrong with it, when they are not valid.
std::optional<LabelRequest> ParseLabelArgs(const QStringList& args, const QDir& base,
                                           QString* why);

// Runs the request on the data directory (the current directory; DbContext created, a
// QGuiApplication running): re-creates missing index files and reads the settings as start-up
// does, finds the stock (the last of that name in name order, as the print dialog preselects
// it), takes the column as the dialog does (1 to the labels across), selects the labels and
// prints them into the PDF file in the command line's report font. Everything the program would
// tell the user goes through the prompt layer, also when there is nothing to print. 0 when the
// file was written, else 1.
int RunLabelCommand(const LabelRequest& request);

}  // namespace labels
