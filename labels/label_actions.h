// The label and mailing actions of the main window: a label run of one of the five kinds (print
// options, then the selection the kind asks for, then the labels on the chosen printer, or with
// none into a PDF file the user names), and the mail-merge file of the customers of chosen
// groups.
#pragma once

#include "labels/label_selection.h"

class QWidget;

namespace labels {

void RunLabels(QWidget* parent, LabelKind kind);

void RunMailMerge(QWidget* parent);

}  // namespace labels
