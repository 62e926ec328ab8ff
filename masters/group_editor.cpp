#include "masters/group_editor.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/convert.h"
#include "core/prompt.h"
#include "db/current_records.h"
#include "db/field_values.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "masters/numbering.h"
#include "masters/pick_routines.h"

TGroupDef::TGroupDef(QWidget* parent)
    : EditorForm("TGroupDef", "Customer Group Definition", kHelpTopic, parent) {
    Edit1 = NamedEdit(this, "Edit1", 0);
    Edit1->setReadOnly(true);
    Edit1->setFocusPolicy(Qt::NoFocus);
    Edit2 = NamedEdit(this, "Edit2", 0);

    auto* grid = new QGridLayout;
    grid->addWidget(NamedLabel(this, "Label1", "Group Number:"), 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(NamedLabel(this, "Label2", "Customer Group:"), 1, 0);
    grid->addWidget(Edit2, 1, 1);
    AddFormButtons(grid, [this] { BtnDeleteClick(); });
    SetTabOrder({Edit2, BtnSave, BtnDelete, BtnCancel});
}

void TGroupDef::FormShow() {
    if (CurGroupRec > 0) {
        GroupTbl->go(static_cast<uint32_t>(CurGroupRec));
        ReadGroup();
        BtnDelete->setEnabled(true);
    } else {
        GroupBuf = {};
        CurGroupRec = -1;
        BtnDelete->setEnabled(false);
    }
    Edit1->setText(PadNum(GroupBuf.nGroup, 2));
    Edit2->setText(TrimRight(GroupBuf.cGroup));
    Edit2->setFocus();
}

void TGroupDef::BtnSaveClick() {
    if (Edit2->text().trimmed().isEmpty()) {
        prompt::information(this, "Can't Save Blank Name");
        return;
    }
    const bool adding = GroupBuf.nGroup == 0;
    const int number = adding ? NextGroupNo() : GroupBuf.nGroup;
    if (number > kMaxGroupNo) {
        prompt::information(this, "Every group number up to " + QString::number(kMaxGroupNo) +
                                      " is in use; no group can be added.");
        return;
    }
    const bool saved = WriteAsOneChange("The group could not be saved.", [&] {
        if (adding) {
            if (GroupTbl->appendBlank() < 0) return false;
            CurGroupRec = static_cast<int32_t>(GroupTbl->recNo());
        } else if (GroupTbl->go(static_cast<uint32_t>(CurGroupRec)) != xbase::kFound) {
            return false;
        }
        GroupBuf.nGroup = number;
        GroupBuf.cGroup = Edit2->text();
        WriteGroup();
        if (GroupTbl->deleted()) GroupTbl->recall();
        return true;
    });
    if (!saved) {
        if (adding) {
            GroupBuf.nGroup = 0;
            CurGroupRec = -1;
        } else {
            GroupTbl->go(static_cast<uint32_t>(CurGroupRec));
        }
        return;
    }
    accept();
}

void TGroupDef::BtnDeleteClick() {
    const int32_t deletedRec = CurGroupRec;
    const int deletedNumber = GroupBuf.nGroup;
    if (!prompt::confirm(this,
                         "Move Customers in " + GroupBuf.cGroup.trimmed() + " to a selected group"))
        return;
    if (!PickGroup(false, nullptr, this)) {
        CurGroupRec = deletedRec;
        return;
    }
    const int32_t chosenRec = CurGroupRec;
    CurGroupRec = deletedRec;
    if (chosenRec == deletedRec) return;

    GroupTbl->go(static_cast<uint32_t>(chosenRec));
    const int chosenNumber = GroupFld.nGroup->asInt();
    xbase::Tag* order = CustTbl->selected();
    // The customers' moves and the group's deletion are one change.
    const bool deleted = WriteAsOneChange("The group could not be deleted.", [&] {
        // Every customer, those marked deleted included, in record order: the quickest walk.
        CustTbl->select(nullptr);
        int rc = CustTbl->top();
        for (; rc == xbase::kFound; rc = CustTbl->skip(1))
            if (CustFld.ngroup->asInt() == deletedNumber) CustFld.ngroup->assignInt(chosenNumber);
        if (rc < 0 || GroupTbl->go(static_cast<uint32_t>(deletedRec)) != xbase::kFound)
            return false;
        GroupTbl->deleteRecord();
        return true;
    });
    CustTbl->select(order);
    CustTbl->top();
    GroupTbl->go(static_cast<uint32_t>(deletedRec));
    if (!deleted) return;
    PackPending = true;
    accept();
}
