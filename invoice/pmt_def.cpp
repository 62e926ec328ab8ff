#include "invoice/pmt_def.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "core/dates.h"
#include "ui/date_box.h"
#include "ui/number_box.h"
#include "ui/number_entry.h"

int PmtResult = 3;

TPmtDef::TPmtDef(QWidget* parent) : EditorForm("TPmtDef", "Payment", kHelpTopic, parent) {
    MaskEdit1 = new DateBox(this);
    MaskEdit1->setObjectName("MaskEdit1");
    MaskEdit2 = new NumberBox("%10.2f", NumberBox::RedNegative::OnEveryKey, this);
    MaskEdit2->setObjectName("MaskEdit2");

    auto* grid = new QGridLayout;
    grid->addWidget(NamedLabel(this, "Label1", "Date Paid:"), 0, 0);
    grid->addWidget(MaskEdit1, 0, 1);
    grid->addWidget(NamedLabel(this, "Label2", "Amount:"), 1, 0);
    grid->addWidget(MaskEdit2, 1, 1);
    AddFormButtons(grid, [this] { BtnDeleteClick(); });

    SetTabOrder({MaskEdit1, MaskEdit2, BtnSave, BtnDelete, BtnCancel});
}

void TPmtDef::setPayment(const PmtRow& row, bool deleteEnabled) {
    if (const std::optional<double> date = ShortTextToDate(row[kPmtDate]))
        MaskEdit1->setValue(*date);
    else
        MaskEdit1->setEntryText(row[kPmtDate]);
    MaskEdit2->setValue(ReadNumber(QString(row[kPmtAmount]).remove(' ')).value_or(0.0));
    BtnDelete->setEnabled(deleteEnabled);
}

PmtRow TPmtDef::payment() const {
    return {MaskEdit1->entryText(), MaskEdit2->entryText()};
}

void TPmtDef::FormShow() {
    PmtResult = 3;
    MaskEdit1->setFocus();
}

// A date or amount that is not one was told to the user when its box was left; Save stays
// in the dialog with the focus on it.
void TPmtDef::BtnSaveClick() {
    double date = 0;
    double amount = 0;
    if (!TakeDate(MaskEdit1, &date) || !TakeNumber(MaskEdit2, &amount)) return;
    PmtResult = 1;
    accept();
}

void TPmtDef::BtnDeleteClick() {
    PmtResult = 2;
    accept();
}
