// The inventory purchase editor: creates, changes or deletes the purchase of Pur5 named by
// CurPurRec (0 for a new one): a quantity of one product acquired on a date for a total cost.
// Pur5 and Prod5 must be open. A product chosen with the "Product" button becomes an inventory
// item when the purchase is saved. Delete only marks the record and sets PackPending.
#pragma once

#include <cstdint>

#include "ui/form_parts.h"

class DateBox;
class NumberBox;
class QLineEdit;
class QPushButton;

class TPurDef : public EditorForm {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 450;
    explicit TPurDef(QWidget* parent = nullptr);

protected:
    void FormShow() override;

private:
    void BtnProdClick();
    void BtnSaveClick() override;
    void BtnDeleteClick();

    QLineEdit* Edit1 = nullptr;      // product ID, filled by the "Product" button
    DateBox* MaskEdit1 = nullptr;    // date acquired
    NumberBox* MaskEdit2 = nullptr;  // quantity
    NumberBox* MaskEdit3 = nullptr;  // total cost
    QPushButton* BtnProd = nullptr;

    int32_t chosenProduct_ = 0;  // record of the product chosen during this showing; 0 for none
};
