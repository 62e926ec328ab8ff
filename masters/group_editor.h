// The customer group editor: creates, renames or deletes the group of GROUPS named by CurGroupRec
// (0 for a new one). GROUPS and CUST5 must be open. Afterwards CurGroupRec holds the record saved
// or deleted, or -1 for a new group abandoned. Deleting a group first moves its customers to a
// group the user picks, then marks the group and sets PackPending.
#pragma once

#include "ui/form_parts.h"

class QLineEdit;

class TGroupDef : public EditorForm {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 420;
    explicit TGroupDef(QWidget* parent = nullptr);

protected:
    void FormShow() override;

private:
    void BtnSaveClick() override;
    void BtnDeleteClick();

    QLineEdit* Edit1 = nullptr;  // group number, read-only
    QLineEdit* Edit2 = nullptr;  // group name
};
