#include "setup/tax_def.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/prompt.h"
#include "db/program_state.h"
#include "db/settings.h"
#include "ui/number_box.h"
#include "ui/number_entry.h"

namespace {

// A framed group of radio buttons, numbered 0 up in the button group.
QButtonGroup* RadioGroup(QWidget* form, const char* name, const QString& caption,
                         const QStringList& items, QGroupBox** frame) {
    *frame = new QGroupBox(caption, form);
    (*frame)->setObjectName(name);
    auto* group = new QButtonGroup(*frame);
    auto* column = new QVBoxLayout(*frame);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], *frame);
        button->setObjectName(QString(name) + "Item" + QString::number(i + 1));
        group->addButton(button, i);
        column->addWidget(button);
    }
    return group;
}

// Checks the item of a stored choice (1 up); any other value leaves every item unchecked.
void ShowChoice(QButtonGroup* group, int stored) {
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons()) button->setChecked(false);
    group->setExclusive(true);
    if (QAbstractButton* button = group->button(stored - 1)) button->setChecked(true);
}

// The stored value of a choice: the checked item (1 up), or `unchanged` when none is checked.
int TakeChoice(const QButtonGroup* group, int unchanged) {
    const int checked = group->checkedId();
    return checked < 0 ? unchanged : checked + 1;
}

}  // namespace

TTaxDef::TTaxDef(QWidget* parent) : EditorForm("TTaxDef", "Tax Definition", kHelpTopic, parent) {
    using Red = NumberBox::RedNegative;
    Edit1 = NamedEdit(this, "Edit1", 59);
    Edit2 = NamedEdit(this, "Edit2", 59);
    MaskEdit1 = new NumberBox("%5.2f", Red::OnEveryKey, this);
    MaskEdit1->setObjectName("MaskEdit1");
    MaskEdit2 = new NumberBox("%5.2f", Red::OnEveryKey, this);
    MaskEdit2->setObjectName("MaskEdit2");
    QGroupBox* frame1 = nullptr;
    QGroupBox* frame2 = nullptr;
    RadioGroup1 = RadioGroup(this, "RadioGroup1", "Tax 2 charged on Tax 1",
                             {"No", "Yes", "When Tax on Items"}, &frame1);
    RadioGroup2 =
        RadioGroup(this, "RadioGroup2", " Round Computed Tax ", {"Normal", "Up", "Down"}, &frame2);

    auto* grid = new QGridLayout;
    grid->addWidget(NamedLabel(this, "Label1", "Line Label"), 0, 1);
    grid->addWidget(NamedLabel(this, "Label2", "Percentage"), 0, 2);
    grid->addWidget(NamedLabel(this, "Label3", "Computed 1"), 1, 0);
    grid->addWidget(Edit1, 1, 1);
    grid->addWidget(MaskEdit1, 1, 2);
    grid->addWidget(NamedLabel(this, "Label4", "Computed 2"), 2, 0);
    grid->addWidget(Edit2, 2, 1);
    grid->addWidget(MaskEdit2, 2, 2);
    grid->addWidget(frame1, 3, 0, 1, 2);
    grid->addWidget(frame2, 3, 2);
    AddFormButtons(grid);

    QList<QWidget*> order = {Edit1, MaskEdit1, Edit2, MaskEdit2};
    for (QAbstractButton* b : RadioGroup1->buttons()) order << b;
    for (QAbstractButton* b : RadioGroup2->buttons()) order << b;
    order << BtnSave << BtnCancel;
    SetTabOrder(order);
}

void TTaxDef::FormShow() {
    const SettingsValues& s = SettingsRecord;
    Edit1->setText(s.ShipLine.trimmed());
    Edit2->setText(s.TaxLine.trimmed());
    MaskEdit1->setValue(s.TaxRate1);
    MaskEdit2->setValue(s.TaxRate2);
    ShowChoice(RadioGroup1, s.ShipTax);
    ShowChoice(RadioGroup2, s.TaxRound);
    Edit1->setFocus();
}

void TTaxDef::BtnSaveClick() {
    double rate1 = 0;
    double rate2 = 0;
    if (!TakeNumber(MaskEdit1, &rate1) || !TakeNumber(MaskEdit2, &rate2)) return;

    const SettingsValues before = SettingsRecord;
    SettingsValues& s = SettingsRecord;
    s.ShipLine = Edit1->text().trimmed();
    s.TaxLine = Edit2->text().trimmed();
    s.TaxRate1 = rate1;
    s.TaxRate2 = rate2;
    s.ShipTax = TakeChoice(RadioGroup1, s.ShipTax);
    s.TaxRound = TakeChoice(RadioGroup2, s.TaxRound);

    QString error;
    if (!StoreSettings(&error)) {
        // The settings in use stay those the file holds.
        SettingsRecord = before;
        if (!error.isEmpty())
            prompt::warning(this,
                            "Unable to save the tax settings . . Please try again.\n" + error);
        return;
    }
    accept();
}
