#include "masters/label_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/prompt.h"
#include "db/current_records.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "masters/ready_stocks.h"
#include "ui/digit_box.h"
#include "ui/number_box.h"
#include "ui/number_entry.h"

namespace {

constexpr const char* kDimensionCaptions[] = {"Top Margin",     "Left Margin", "Bottom Margin",
                                              "Right Margin",   "Width",       "Height",
                                              "Horizontal Gap", "Vertical Gap"};

// The units a measure is shown and typed in, with the points in one of each.
struct Unit {
    const char* name;
    double points;
};
constexpr Unit kUnits[] = {{"Points", 1.0}, {"Millimetres", 72.0 / 25.4}, {"Inches", 72.0}};

// The eight measures of a label stock, in the order of the boxes.
std::array<double*, 8> Dimensions(LabelRecord& l) {
    return {&l.TopM, &l.LeftM, &l.BottomM, &l.RightM, &l.Width, &l.Height, &l.HGap, &l.VGap};
}

std::array<double, 8> Measures(LabelRecord l) {
    std::array<double, 8> values{};
    const std::array<double*, 8> fields = Dimensions(l);
    for (int i = 0; i < 8; ++i) values[i] = *fields[i];
    return values;
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

    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName("ComboBox2");
    for (const Unit& unit : kUnits) ComboBox2->addItem(unit.name);
    auto* unitLabel = NamedLabel(this, "Label12", "Units");
    unitLabel->setBuddy(ComboBox2);
    grid->addWidget(unitLabel, 6, 0);
    grid->addWidget(ComboBox2, 6, 1);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->addItem(QString());
    for (const LabelRecord& stock : ReadyStocks()) ComboBox1->addItem(stock.Name);
    auto* readyLabel = NamedLabel(this, "Label13", "Ready Stock");
    readyLabel->setBuddy(ComboBox1);
    grid->addWidget(readyLabel, 7, 0);
    grid->addWidget(ComboBox1, 7, 1, 1, 3);
    auto* points = NamedLabel(this, "Label11",
                              "Measures are kept in printer points, 1/72 of an inch; choose "
                              "Millimetres or Inches to see and type them so. A ready stock "
                              "fills in every measure.");
    points->setWordWrap(true);
    grid->addWidget(points, 8, 0, 1, 4);

    AddFormButtons(grid, [this] { BtnDeleteClick(); });

    QList<QWidget*> order{Edit1};
    for (NumberBox* box : MaskEdit) order << box;
    order << MaskEdit9 << CheckBox1 << ComboBox2 << ComboBox1 << BtnSave << BtnDelete
          << BtnCancel;
    SetTabOrder(order);

    connect(ComboBox1, &QComboBox::activated, this, &TLabelDef::ComboBox1Change);
    connect(ComboBox2, &QComboBox::activated, this, &TLabelDef::ComboBox2Change);
}

void TLabelDef::ShowMeasures(const std::array<double, 8>& points) {
    for (int i = 0; i < 8; ++i) {
        MaskEdit[i]->setValue(points[i] / kUnits[unit_].points);
        shownText_[i] = MaskEdit[i]->entryText();
        shownPoints_[i] = points[i];
    }
}

bool TLabelDef::MeasureInPoints(int i, double* points) {
    if (MaskEdit[i]->entryText() == shownText_[i]) {
        *points = shownPoints_[i];
        return true;
    }
    double typed = 0;
    if (!TakeNumber(MaskEdit[i], &typed)) return false;
    *points = typed * kUnits[unit_].points;
    return true;
}

void TLabelDef::ComboBox1Change(int index) {
    const std::vector<LabelRecord> ready = ReadyStocks();
    if (index < 1 || index > static_cast<int>(ready.size())) return;
    const LabelRecord& stock = ready[static_cast<size_t>(index - 1)];
    if (Edit1->text().trimmed().isEmpty()) Edit1->setText(stock.Name);
    ShowMeasures(Measures(stock));
    MaskEdit9->setValue(stock.NAcross);
    CheckBox1->setChecked(stock.Continuous);
}

void TLabelDef::ComboBox2Change(int index) {
    std::array<double, 8> points{};
    for (int i = 0; i < 8; ++i) {
        if (!MeasureInPoints(i, &points[i])) {
            ComboBox2->setCurrentIndex(unit_);
            return;
        }
    }
    unit_ = index;
    ShowMeasures(points);
}

void TLabelDef::FormShow() {
    if (CurLabRec <= 0) {
        LabBuf = {};
        LabBuf.NAcross = 1;
    } else {
        LabTbl->go(static_cast<uint32_t>(CurLabRec));
        ReadLabel();
    }
    BtnDelete->setEnabled(CurLabRec > 0);
    Edit1->setText(LabBuf.Name.trimmed());
    ComboBox1->setCurrentIndex(0);
    ShowMeasures(Measures(LabBuf));
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
        if (!MeasureInPoints(i, &taken[i])) return;

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

void TLabelDef::BtnDeleteClick() {
    const bool deleted = WriteAsOneChange("The label stock could not be deleted.", [] {
        if (LabTbl->go(static_cast<uint32_t>(CurLabRec)) != xbase::kFound) return false;
        LabTbl->deleteRecord();
        return true;
    });
    LabTbl->go(static_cast<uint32_t>(CurLabRec));
    if (!deleted) return;
    PackPending = true;
    accept();
}
