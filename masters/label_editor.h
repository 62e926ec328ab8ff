// The label stock editor: creates, changes or deletes the stock of LABELS named by CurLabRec (0
// for a new one): its name, the page margins, the label size, the gaps between labels, the labels
// across and whether the stock is continuous. The measures are kept in printer points (1/72
// inch) and may be shown and typed in millimetres or inches (Units); a ready stock fills them
// all. LABELS must be open. After a save CurLabRec holds the stock's record; Delete marks it
// deleted and sets PackPending, for the Label Forms action to pack LABELS.
#pragma once

#include <array>

#include "ui/form_parts.h"

class DigitBox;
class NumberBox;
class QCheckBox;
class QComboBox;
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
    void BtnDeleteClick();
    void ComboBox1Change(int index);  // a ready stock chosen
    void ComboBox2Change(int index);  // another unit chosen
    // Shows the eight measures, given in points, in the chosen unit.
    void ShowMeasures(const std::array<double, 8>& points);
    // The measure of box i in points: the value shown for it when its text is unchanged, so that
    // showing a measure in another unit never changes it; else the typed value converted. False
    // when the box holds no number (the user has been told).
    bool MeasureInPoints(int i, double* points);

    QLineEdit* Edit1 = nullptr;  // stock name
    // MaskEdit1 to MaskEdit8: top, left, bottom and right margin, width, height, horizontal and
    // vertical gap.
    std::array<NumberBox*, 8> MaskEdit{};
    DigitBox* MaskEdit9 = nullptr;   // labels across
    QCheckBox* CheckBox1 = nullptr;  // continuous pin feed
    QComboBox* ComboBox1 = nullptr;  // ready stocks
    QComboBox* ComboBox2 = nullptr;  // units: points, millimetres, inches
    int unit_ = 0;  // the index in ComboBox2
    std::array<QString, 8> shownText_;
    std::array<double, 8> shownPoints_{};
};
