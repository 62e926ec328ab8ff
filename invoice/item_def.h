// The line item dialog: edits one item row of the open invoice (invoice_data.h) and tells the
// invoice editor how it was closed. It writes nothing to a table and keeps nothing between uses:
// the caller fills it with setRow, shows it with exec() and reads ItemResult and row().
#pragma once

#include "invoice/invoice_data.h"
#include "ui/form_parts.h"

class NumberBox;
class QCheckBox;
class QLineEdit;

// How the dialog was last closed: 1 Save, 2 Delete, 3 Cancel (also the close box).
extern int ItemResult;

class TItemDef : public EditorForm {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 1120;
    explicit TItemDef(QWidget* parent = nullptr);

    // Fills every box from the row; the total is LineTotal(row).
    void setRow(const ItemRow& row);
    // Columns 0 to 6 from the boxes ("t"/"f" from the tax boxes); 7 and 8 as given to setRow.
    ItemRow row() const;

protected:
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BtnSaveClick() override;
    void BtnDeleteClick();
    void ShowTotal();

    QLineEdit* Edit1 = nullptr;      // product ID, read-only
    QLineEdit* Edit2 = nullptr;      // description
    QLineEdit* Edit3 = nullptr;      // item comment
    NumberBox* MaskEdit1 = nullptr;  // unit price
    NumberBox* MaskEdit2 = nullptr;  // quantity
    NumberBox* MaskEdit3 = nullptr;  // line total, read-only
    QCheckBox* CheckBox1 = nullptr;  // bears tax 1
    QCheckBox* CheckBox2 = nullptr;  // bears tax 2
    ItemRow row_;                    // as given to setRow, for the columns not shown
};
