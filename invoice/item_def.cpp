#include "invoice/item_def.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "db/field_values.h"
#include "db/program_state.h"
#include "invoice/invoice_totals.h"
#include "ui/enter_as_tab.h"
#include "ui/number_box.h"
#include "ui/number_entry.h"

int ItemResult = 3;

namespace {

// Shows a number text of a row in the box's format; a text that is not a number is shown as 0.
void ShowNumberText(NumberBox* box, const QString& text) {
    box->setValue(ReadNumber(QString(text).remove(' ')).value_or(0.0));
}

}  // namespace

TItemDef::TItemDef(QWidget* parent)
    : EditorForm("TItemDef", "Invoice Line Item", kHelpTopic, parent) {
    using Red = NumberBox::RedNegative;
    Edit1 = NamedEdit(this, "Edit1", 10);
    Edit1->setReadOnly(true);
    Edit1->setFocusPolicy(Qt::NoFocus);
    Edit2 = NamedEdit(this, "Edit2", 27);
    Edit3 = NamedEdit(this, "Edit3", 27);
    MaskEdit1 = new NumberBox("%8.2f", Red::OnEveryKey, this);
    MaskEdit1->setObjectName("MaskEdit1");
    MaskEdit2 = new NumberBox("%9.2f", Red::OnEveryKey, this);
    MaskEdit2->setObjectName("MaskEdit2");
    MaskEdit3 = new NumberBox("%10.2f", Red::OnEveryKey, this);
    MaskEdit3->setObjectName("MaskEdit3");
    MaskEdit3->setReadOnly(true);
    MaskEdit3->setFocusPolicy(Qt::NoFocus);
    CheckBox1 = new QCheckBox(this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox2 = new QCheckBox(this);
    CheckBox2->setObjectName("CheckBox2");
    EnterAsTab(CheckBox1);
    EnterAsTab(CheckBox2);

    auto* grid = new QGridLayout;
    grid->addWidget(NamedLabel(this, "Label1", "Product"), 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(NamedLabel(this, "Label2", "Description"), 1, 0);
    grid->addWidget(Edit2, 1, 1, 1, 3);
    grid->addWidget(Edit3, 2, 1, 1, 3);
    grid->addWidget(NamedLabel(this, "Label3", "Unit Price"), 3, 0);
    grid->addWidget(MaskEdit1, 3, 1);
    grid->addWidget(CheckBox1, 3, 2, 1, 2);
    grid->addWidget(NamedLabel(this, "Label4", "Quantity"), 4, 0);
    grid->addWidget(MaskEdit2, 4, 1);
    grid->addWidget(CheckBox2, 4, 2, 1, 2);
    grid->addWidget(NamedLabel(this, "Label5", "Total"), 5, 0);
    grid->addWidget(MaskEdit3, 5, 1);
    AddFormButtons(grid, [this] { BtnDeleteClick(); });

    // Enter walks the boxes as they are read: the description and its second line, then the
    // price and quantity, each with the tax box beside it, then Save.
    SetTabOrder(
        {Edit2, Edit3, MaskEdit1, CheckBox1, MaskEdit2, CheckBox2, BtnSave, BtnDelete, BtnCancel});

    MaskEdit1->installEventFilter(this);
    MaskEdit2->installEventFilter(this);
}

void TItemDef::setRow(const ItemRow& row) {
    row_ = row;
    Edit1->setText(row[kItemPrID]);
    // Texts loaded from a table carry the field's padding, which would fill the box's limit;
    // storing pads them again.
    Edit2->setText(TrimRight(row[kItemDesc]));
    Edit3->setText(TrimRight(row[kItemComment]));
    CheckBox1->setChecked(row[kItemTax1] == "t");
    CheckBox2->setChecked(row[kItemTax2] == "t");
    ShowNumberText(MaskEdit1, row[kItemPrice]);
    ShowNumberText(MaskEdit2, row[kItemQty]);
    MaskEdit3->setValue(FromCents(LineTotal(row)));
}

ItemRow TItemDef::row() const {
    ItemRow row = row_;
    row[kItemPrID] = Edit1->text();
    row[kItemQty] = MaskEdit2->entryText();
    row[kItemPrice] = MaskEdit1->entryText();
    row[kItemTax1] = TaxFlag(CheckBox1->isChecked());
    row[kItemTax2] = TaxFlag(CheckBox2->isChecked());
    row[kItemDesc] = Edit2->text();
    row[kItemComment] = Edit3->text();
    return row;
}

void TItemDef::FormShow() {
    CheckBox1->setText(SettingsRecord.ShipLine.trimmed());
    CheckBox2->setText(SettingsRecord.TaxLine.trimmed());
    ItemResult = 3;
    Edit2->setFocus();
}

// Leaving the price or the quantity recomputes the total; the box reformats its own text.
bool TItemDef::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && (watched == MaskEdit1 || watched == MaskEdit2))
        ShowTotal();
    return EditorForm::eventFilter(watched, event);
}

void TItemDef::ShowTotal() {
    MaskEdit3->setValue(FromCents(LineTotal(row())));
}

// A price or quantity that is not a number was told to the user when its box was left.
void TItemDef::BtnSaveClick() {
    double price = 0;
    double quantity = 0;
    if (!TakeNumber(MaskEdit1, &price) || !TakeNumber(MaskEdit2, &quantity)) return;
    ItemResult = 1;
    accept();
}

void TItemDef::BtnDeleteClick() {
    ItemResult = 2;
    accept();
}
