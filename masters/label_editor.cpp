#include "masters/label_editor.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/prompt.h"
#include "db/current_records.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "ui/digit_box.h"
#include "ui/number_box.h"
#include "ui/number_entry.h"

namespace {

constexpr const char* kDimensionCaptions[] = {"Top Margin",     "Left Margin", "Bottom Margin",
                                              "Right Margin",   "Width",       "Height",
                                              "Horizontal Gap", "Vertical Gap"};

// The eight measures of a label stock, in the order of the boxes.
std::array<double*, 8> Dimensions(LabelRecord& l) {
    return {&l.TopM, &l.LeftM, &l.BottomM, &l.RightM, &l.Width, &l.Height, &l.HGap, &l.VGap};
}

}  // namespace

TLabelDef::TLabelDef(QWidget* parent)
    : EditorForm("TLabelDef", "Label Definition", kHelpTopic, parent) {
    Edit1 = NamedEdit(this, "Edit1", 40);
    auto* grid = new QGridLayout;
    grid->addWidget(NamedLabel(this, "Label1", "Label Name"), 0, 0);
    grid->addWidget(Edit1, 0, 1, 1, 3);
    for (int i = 0; i < 8; ++i) {
        const QString name = "MaskEdit" + QString::number(i + 1);
        MaskEdit[i] = new NumberBox("%8.3f", NumberBox::RedNegative::Never, this);
        MaskEdit[i]->setObjectName(name);
        const int row = 1 + i / 2;
        const int col = (i % 2) * 2;
        auto* label = new QLabel(kDimensionCaptions[i], this);
        label->setBuddy(MaskEdit[i]);
        grid->addWidget(label, row, col);
        grid->addWidget(MaskEdit[i], row, col + 1);
    }
    MaskEdit9 = new DigitBox(this);
    MaskEdit9->setObjectName("MaskEdit9");
    grid->addWidget(NamedLabel(this, "Label10", "No. Labels Across"), 5, 0);
    grid->addWidget(MaskEdit9, 5, 1);
    CheckBox1 = new QCheckBox("Continuous Pin Feed", this);
    CheckBox1->setObjectName("CheckBox1");
    grid->addWidget(CheckBox1, 5, 2, 1, 2);
    auto* points = NamedLabel(this, "Label11",
                              "Label Dimensions are defined in printer points where each printer "
                              "point is 1/72 of an inch.");
    points->setWordWrap(true);
    grid->addWidget(points, 6, 0, 1, 4);

    AddFormButtons(grid);

    QList<QWidget*> order{Edit1};
    for (NumberBox* box : MaskEdit) order << box;
    order << MaskEdit9 << CheckBox1 << BtnSave << BtnCancel;
    SetTabOrder(order);
}

void TLabelDef::FormShow() {
    if (CurLabRec <= 0) {
        LabBuf = {};
        LabBuf.NAcross = 1;
    } else {
        LabTbl->go(static_cast<uint32_t>(CurLabRec));
        ReadLabel();
    }
    Edit1->setText(LabBuf.Name.trimmed());
    const std::array<double*, 8> values = Dimensions(LabBuf);
    for (int i = 0; i < 8; ++i) MaskEdit[i]->setValue(*values[i]);
    MaskEdit9->setValue(LabBuf.NAcross);
    CheckBox1->setChecked(LabBuf.Continuous);
    Edit1->setFocus();
}

void TLabelDef::BtnSaveClick() {
    const QString name = Edit1->text().trimmed();
    if (name.isEmpty()) {
        prompt::information(this, "Please fill in label name.");
        return;
    }
    std::array<double, 8> taken{};
    for (int i = 0; i < 8; ++i)
        if (!TakeNumber(MaskEdit[i], &taken[i])) return;

    LabBuf.Name = name;
    const std::array<double*, 8> values = Dimensions(LabBuf);
    for (int i = 0; i < 8; ++i) *values[i] = taken[i];
    LabBuf.NAcross = MaskEdit9->value();
    LabBuf.Continuous = CheckBox1->isChecked();

    // A stock handed in as none is new as well: it must not overwrite whatever record is current.
    const bool adding = CurLabRec <= 0;
    const bool saved = WriteAsOneChange("The label stock could not be saved.", [&] {
        if (adding) {
            if (LabTbl->appendBlank() < 0) return false;
            CurLabRec = static_cast<int32_t>(LabTbl->recNo());
        } else if (LabTbl->go(static_cast<uint32_t>(CurLabRec)) != xbase::kFound) {
            return false;
        }
        WriteLabel();
        return true;
    });
    if (!saved) {
        if (adding)
            CurLabRec = -1;
        else
            LabTbl->go(static_cast<uint32_t>(CurLabRec));
        return;
    }
    accept();
}
