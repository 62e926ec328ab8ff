#include "masters/product_editor.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "core/prompt.h"
#include "db/current_records.h"
#include "db/field_values.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "ui/enter_as_tab.h"
#include "ui/form_help.h"
#include "ui/number_box.h"
#include "ui/number_entry.h"

namespace {

// A tax box's caption: the tax's label from the settings, or the form's own while none is set.
QString TaxCaption(const QString& label, const char* fallback) {
    const QString caption = label.trimmed();
    return caption.isEmpty() ? QString(fallback) : caption;
}

}  // namespace

TProdDef::TProdDef(QWidget* parent)
    : EditorForm("TProdDef", "Product Definition", kHelpTopic, parent) {
    using Red = NumberBox::RedNegative;
    Edit1 = NamedEdit(this, "Edit1", 10);
    Edit2 = NamedEdit(this, "Edit2", 27);
    Edit3 = NamedEdit(this, "Edit3", 27);
    Edit4 = NamedEdit(this, "Edit4", 10);
    Memo1 = NamedMemo(this, "Memo1");
    MaskEdit1 = new NumberBox("%8.2f", Red::OnEveryKey, this);
    MaskEdit1->setObjectName("MaskEdit1");
    MaskEdit2 = new NumberBox("%9.2f", Red::OnEveryKey, this);
    MaskEdit2->setObjectName("MaskEdit2");
    CheckBox1 = new QCheckBox("Sales Tax", this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox2 = new QCheckBox("Shipping", this);
    CheckBox2->setObjectName("CheckBox2");
    CheckBox3 = new QCheckBox("Inventory Item", this);
    CheckBox3->setObjectName("CheckBox3");

    EnterAsTab(CheckBox1);
    EnterAsTab(CheckBox2);
    EnterAsTab(CheckBox3);

    // Laid out so that Enter walks the boxes as they are read, row by row: the ID and license
    // code, the two description lines, the price and reorder level, the three boxes, the text.
    auto* grid = new QGridLayout;
    grid->addWidget(NamedLabel(this, "Label1", "Product ID"), 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(NamedLabel(this, "Label4", "License Code:"), 0, 2);
    grid->addWidget(Edit4, 0, 3);
    grid->addWidget(NamedLabel(this, "Label2", "Description"), 1, 0);
    grid->addWidget(Edit2, 1, 1, 1, 3);
    grid->addWidget(Edit3, 2, 1, 1, 3);
    grid->addWidget(NamedLabel(this, "Label3", "Unit Price"), 3, 0);
    grid->addWidget(MaskEdit1, 3, 1);
    grid->addWidget(NamedLabel(this, "Label5", "Reorder Level:"), 3, 2);
    grid->addWidget(MaskEdit2, 3, 3);
    grid->addWidget(CheckBox1, 4, 1);
    grid->addWidget(CheckBox2, 4, 2);
    grid->addWidget(CheckBox3, 4, 3);
    grid->addWidget(NamedLabel(this, "Label6", "Product Text (Printed at the Bottom of Invoices)"),
                    5, 0, 1, 4);
    grid->addWidget(Memo1, 6, 0, 1, 4);
    QHBoxLayout* buttons = AddFormButtons(grid, [this] { BtnDeleteClick(); });
    BtnHelp = NamedButton(this, "BtnHelp", "Help");
    buttons->addWidget(BtnHelp);

    SetTabOrder({Edit1, Edit4, Edit2, Edit3, MaskEdit1, MaskEdit2, CheckBox1, CheckBox2, CheckBox3,
                 Memo1, BtnSave, BtnDelete, BtnCancel, BtnHelp});

    connect(BtnHelp, &QPushButton::clicked, this, [] { RequestHelp(kHelpTopic); });
}

void TProdDef::FormShow() {
    if (CurProdRec > 0) {
        BtnDelete->setEnabled(true);
        ProdTbl->go(static_cast<uint32_t>(CurProdRec));
        ReadProduct();
    } else {
        ProdBuf = {};
        CurProdRec = -1;
        BtnDelete->setEnabled(false);
    }
    CheckBox1->setText(TaxCaption(SettingsRecord.ShipLine, "Sales Tax"));
    CheckBox2->setText(TaxCaption(SettingsRecord.TaxLine, "Shipping"));

    const ProductRecord& p = ProdBuf;
    Edit1->setText(p.PrID.trimmed());
    Edit2->setText(p.PDesc.trimmed());
    Edit3->setText(p.IComm.trimmed());
    Edit4->setText(p.RCode.trimmed());
    Memo1->setPlainText(p.PMemo.trimmed());
    MaskEdit1->setValue(p.UPrice);
    MaskEdit2->setValue(p.REORDER);
    CheckBox1->setChecked(p.LTax1);
    CheckBox2->setChecked(p.LTax2);
    CheckBox3->setChecked(p.lInven);
    Edit1->setFocus();
}

// The seek finds a product whose ID starts with `id`; only an ID equal to it is a duplicate, so
// AB may stand beside ABC.
bool TProdDef::IsDuplicate(const QString& id) {
    ProdTbl->select(ProdTbl->tag("Prod"));
    if (Seek(ProdTbl, id) != xbase::kFound) return false;
    return ReadText(ProdFld.PrID).trimmed().toUpper() == id;
}

void TProdDef::BtnSaveClick() {
    if (Edit1->text().trimmed().isEmpty()) {
        prompt::information(this, "Blank Product ID not allowed");
        return;
    }
    const QString id = Edit1->text().trimmed().toUpper();
    if (id != ProdBuf.PrID.trimmed() && IsDuplicate(id)) {
        prompt::information(this, "Duplicate Product ID's are not allowed");
        return;
    }
    double price = 0;
    double reorder = 0;
    if (!TakeNumber(MaskEdit1, &price) || !TakeNumber(MaskEdit2, &reorder)) return;

    ProductRecord& p = ProdBuf;
    p.PrID = id;
    p.RCode = Edit4->text().trimmed();
    p.PDesc = Edit2->text().trimmed();
    p.IComm = Edit3->text().trimmed();
    p.PMemo = Memo1->toPlainText().trimmed();
    p.UPrice = price;
    p.REORDER = reorder;
    p.LTax1 = CheckBox1->isChecked();
    p.LTax2 = CheckBox2->isChecked();
    p.lInven = CheckBox3->isChecked();

    const bool adding = CurProdRec <= 0;
    const bool saved = WriteAsOneChange("The product could not be saved.", [&] {
        if (adding) {
            if (ProdTbl->appendBlank() < 0) return false;
            CurProdRec = static_cast<int32_t>(ProdTbl->recNo());
        } else if (ProdTbl->go(static_cast<uint32_t>(CurProdRec)) != xbase::kFound) {
            return false;
        }
        WriteProduct();
        return true;
    });
    if (!saved) {
        if (adding)
            CurProdRec = -1;
        else
            ProdTbl->go(static_cast<uint32_t>(CurProdRec));
        return;
    }
    accept();
}

void TProdDef::BtnDeleteClick() {
    const bool deleted = WriteAsOneChange("The product could not be deleted.", [] {
        if (ProdTbl->go(static_cast<uint32_t>(CurProdRec)) != xbase::kFound) return false;
        ProdTbl->deleteRecord();
        return true;
    });
    ProdTbl->go(static_cast<uint32_t>(CurProdRec));
    if (!deleted) return;
    PackPending = true;
    accept();
}
