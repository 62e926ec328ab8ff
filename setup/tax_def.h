// The sales tax setup: the label and percentage of the two computed lines of an invoice, whether
// the second is charged on the first, and how computed amounts are rounded, kept in the settings
// record. Save writes the whole record at once; when the write fails the user is told and the
// dialog stays open with the values as typed.
#pragma once

#include "ui/form_parts.h"

class NumberBox;
class QButtonGroup;
class QLineEdit;

class TTaxDef : public EditorForm {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 630;
    explicit TTaxDef(QWidget* parent = nullptr);

protected:
    void FormShow() override;

private:
    void BtnSaveClick() override;

    QLineEdit* Edit1 = nullptr;           // label of computed line 1
    QLineEdit* Edit2 = nullptr;           // label of computed line 2
    NumberBox* MaskEdit1 = nullptr;       // percentage of line 1
    NumberBox* MaskEdit2 = nullptr;       // percentage of line 2
    QButtonGroup* RadioGroup1 = nullptr;  // tax 2 on tax 1: No, Yes, When Tax on Items
    QButtonGroup* RadioGroup2 = nullptr;  // rounding: Normal, Up, Down
};
