#include "masters/purchase_editor.h"

#include <QDate>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/dates.h"
#include "core/prompt.h"
#include "db/current_records.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "masters/pick_routines.h"
#include "ui/date_box.h"
#include "ui/number_box.h"
#include "ui/number_entry.h"

TPurDef::TPurDef(QWidget* parent)
    : EditorForm("TPurDef", "Inventory Purchase Definition", kHelpTopic, parent) {
    using Red = NumberBox::RedNegative;
    Edit1 = NamedEdit(this, "Edit1", 10);
    Edit1->setReadOnly(true);
    Edit1->setFocusPolicy(Qt::NoFocus);
    MaskEdit1 = new DateBox(this);
    MaskEdit1->setObjectName("MaskEdit1");
    MaskEdit2 = new NumberBox("%10.2f", Red::OnEveryKey, this);
    MaskEdit2->setObjectName("MaskEdit2");
    MaskEdit3 = new NumberBox("%12.2f", Red::OnEveryKey, this);
    MaskEdit3->setObjectName("MaskEdit3");
    BtnProd = NamedButton(this, "BtnProd", "Product");

    auto* grid = new QGridLayout;
    grid->addWidget(BtnProd, 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(NamedLabel(this, "Label1", "Date Acquired"), 1, 0);
    grid->addWidget(MaskEdit1, 1, 1);
    grid->addWidget(NamedLabel(this, "Label2", "Quantity"), 2, 0);
    grid->addWidget(MaskEdit2, 2, 1);
    grid->addWidget(NamedLabel(this, "Label3", "Total Cost"), 3, 0);
    grid->addWidget(MaskEdit3, 3, 1);
    AddFormButtons(grid, [this] { BtnDeleteClick(); });
    SetTabOrder({BtnProd, MaskEdit1, MaskEdit2, MaskEdit3, BtnSave, BtnDelete, BtnCancel});

    connect(BtnProd, &QPushButton::clicked, this, [this] { BtnProdClick(); });
}

void TPurDef::FormShow() {
    chosenProduct_ = 0;
    if (CurPurRec > 0) {
        BtnDelete->setEnabled(true);
        PurTbl->go(static_cast<uint32_t>(CurPurRec));
        ReadPurchase();
    } else {
        PurBuf = {};
        PurBuf.PURDate = DateValue(QDate::currentDate());
        BtnDelete->setEnabled(false);
    }
    Edit1->setText(PurBuf.PURProd.trimmed());
    MaskEdit1->setValue(PurBuf.PURDate);
    MaskEdit2->setValue(PurBuf.PURQty);
    MaskEdit3->setValue(PurBuf.PURCost);
    BtnProd->setFocus();
}

void TPurDef::BtnProdClick() {
    CurProdRec = ProdTbl->top() == xbase::kFound ? static_cast<int32_t>(ProdTbl->recNo()) : 0;
    if (!PickProduct(true, nullptr, this)) return;
    ProdTbl->go(static_cast<uint32_t>(CurProdRec));
    ReadProduct();
    chosenProduct_ = CurProdRec;
    Edit1->setText(ProdBuf.PrID);
}

void TPurDef::BtnSaveClick() {
    if (Edit1->text().trimmed().isEmpty()) {
        prompt::information(this, "Product Selection Required.");
        return;
    }
    double date = 0;
    double quantity = 0;
    double cost = 0;
    if (!TakeDate(MaskEdit1, &date) || !TakeNumber(MaskEdit2, &quantity) ||
        !TakeNumber(MaskEdit3, &cost))
        return;
    PurBuf.PURProd = Edit1->text().trimmed().toUpper();
    PurBuf.PURDate = date;
    PurBuf.PURQty = quantity;
    PurBuf.PURCost = cost;

    const bool adding = CurPurRec <= 0;
    const bool saved = WriteAsOneChange("The purchase could not be saved.", [&] {
        if (adding) {
            if (PurTbl->appendBlank() < 0) return false;
            CurPurRec = static_cast<int32_t>(PurTbl->recNo());
        } else if (PurTbl->go(static_cast<uint32_t>(CurPurRec)) != xbase::kFound) {
            return false;
        }
        WritePurchase();
        // A purchased product is an inventory item.
        if (chosenProduct_ > 0) {
            if (ProdTbl->go(static_cast<uint32_t>(chosenProduct_)) != xbase::kFound) return false;
            ReadProduct();
            ProdBuf.lInven = true;
            WriteProduct();
        }
        return true;
    });
    if (!saved) {
        if (adding)
            CurPurRec = -1;
        else
            PurTbl->go(static_cast<uint32_t>(CurPurRec));
        if (chosenProduct_ > 0) ProdTbl->go(static_cast<uint32_t>(chosenProduct_));
        return;
    }
    accept();
}

void TPurDef::BtnDeleteClick() {
    const bool deleted = WriteAsOneChange("The purchase could not be deleted.", [] {
        if (PurTbl->go(static_cast<uint32_t>(CurPurRec)) != xbase::kFound) return false;
        PurTbl->deleteRecord();
        return true;
    });
    PurTbl->go(static_cast<uint32_t>(CurPurRec));
    if (!deleted) return;
    PackPending = true;
    accept();
}
