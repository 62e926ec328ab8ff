// The product editor: creates, changes or deletes the product of Prod5 named by CurProdRec (0 for
// a new one). Prod5 must be open with its tag "Prod". Product IDs are stored trimmed and in
// capitals and are unique. Afterwards CurProdRec holds the record saved or deleted, or -1 for a
// new product abandoned. Delete only marks the record and sets PackPending.
#pragma once

#include "ui/form_parts.h"

class NumberBox;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class TProdDef : public EditorForm {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 430;
    explicit TProdDef(QWidget* parent = nullptr);

protected:
    void FormShow() override;

private:
    void BtnSaveClick() override;
    void BtnDeleteClick();
    bool IsDuplicate(const QString& id);

    QLineEdit* Edit1 = nullptr;  // product ID
    QLineEdit* Edit2 = nullptr;  // description
    QLineEdit* Edit3 = nullptr;  // second description line
    QLineEdit* Edit4 = nullptr;  // license code
    QPlainTextEdit* Memo1 = nullptr;
    NumberBox* MaskEdit1 = nullptr;  // unit price
    NumberBox* MaskEdit2 = nullptr;  // reorder level
    QCheckBox* CheckBox1 = nullptr;  // taxable by tax 1
    QCheckBox* CheckBox2 = nullptr;  // taxable by tax 2
    QCheckBox* CheckBox3 = nullptr;  // inventory item
    QPushButton* BtnHelp = nullptr;
};
