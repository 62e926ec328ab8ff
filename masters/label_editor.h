// The label stock editor: creates or changes the stock of LABELS named by CurLabRec (0 for a new
// one): its name, the page margins, the label size, the gaps between labels, the labels across
// and whether the stock is continuous, all measures in printer points. LABELS must be open.
// After a save CurLabRec holds the stock's record. Stocks are never deleted.
#pragma once

#include <array>

#include "ui/form_parts.h"

class DigitBox;
class NumberBox;
class QCheckBox;
class QLineEdit;

class TLabelDef : public EditorForm {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 620;
    explicit TLabelDef(QWidget* parent = nullptr);

protected:
    void FormShow() override;

private:
    void BtnSaveClick() override;

    QLineEdit* Edit1 = nullptr;  // stock name
    // MaskEdit1 to MaskEdit8: top, left, bottom and right margin, width, height, horizontal and
    // vertical gap.
    std::array<NumberBox*, 8> MaskEdit{};
    DigitBox* MaskEdit9 = nullptr;   // labels across
    QCheckBox* CheckBox1 = nullptr;  // continuous pin feed
};
