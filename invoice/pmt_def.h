// The payment dialog: edits one payment row of the open invoice (invoice_data.h), a date paid
// and an amount, and tells the caller how it was closed. It writes nothing to a table: the
// caller fills it with setPayment, shows it with exec() and reads PmtResult and payment().
#pragma once

#include "invoice/invoice_data.h"
#include "ui/form_parts.h"

class DateBox;
class NumberBox;

// How the dialog was last closed: 1 Save, 2 Delete, 3 Cancel (also the close box).
extern int PmtResult;

class TPmtDef : public EditorForm {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 1130;
    explicit TPmtDef(QWidget* parent = nullptr);

    // Shows the row's date and amount texts; Delete is offered only for a payment to change.
    void setPayment(const PmtRow& row, bool deleteEnabled);
    // The date and the amount as the boxes hold them.
    PmtRow payment() const;

protected:
    void FormShow() override;

private:
    void BtnSaveClick() override;
    void BtnDeleteClick();

    DateBox* MaskEdit1 = nullptr;    // date paid
    NumberBox* MaskEdit2 = nullptr;  // amount
};
