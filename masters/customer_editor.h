// The customer editor: creates, changes or deletes the customer of CUST5 named by CurCustRec
// (0 for a new one). CUST5, GROUPS and INV5 must be open. Afterwards CurCustRec holds the record
// saved or deleted, or -1 for a new customer abandoned. Delete only marks the record and sets
// PackPending; saving a marked customer recalls it. Deleting a customer who has invoices asks
// first, naming them; one without invoices is deleted without a question.
#pragma once

#include "ui/form_parts.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class TCustomer : public EditorForm {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 410;
    explicit TCustomer(QWidget* parent = nullptr);

protected:
    void FormShow() override;

private:
    void BtnSaveClick() override;
    void BtnDeleteClick();
    void BtnGroupClick();
    void ShowGroupName();

    QLineEdit* Edit1 = nullptr;  // customer number, read-only
    QLineEdit* Edit2 = nullptr;  // title
    QLineEdit* Edit3 = nullptr;  // first name
    QLineEdit* Edit4 = nullptr;  // last name
    QLineEdit* Edit5 = nullptr;  // address line 1 (the company when sorting by company)
    QLineEdit* Edit6 = nullptr;  // address lines 2 to 4
    QLineEdit* Edit7 = nullptr;
    QLineEdit* Edit8 = nullptr;
    QLineEdit* Edit9 = nullptr;   // postal code
    QLineEdit* Edit10 = nullptr;  // phone
    QLineEdit* Edit11 = nullptr;  // fax
    QLineEdit* Edit12 = nullptr;  // email
    QLineEdit* Edit13 = nullptr;  // note
    QLineEdit* Edit14 = nullptr;  // group name, read-only
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* Label5 = nullptr;  // "Address" or "Company"
    QLabel* Label6 = nullptr;  // the second "Address", when sorting by company
    QPushButton* BtnGroup = nullptr;
    QPushButton* BtnHelp = nullptr;
};
