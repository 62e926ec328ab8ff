#include "masters/customer_editor.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "core/convert.h"
#include "core/prompt.h"
#include "db/current_records.h"
#include "db/field_values.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "masters/numbering.h"
#include "masters/pick_routines.h"
#include "ui/form_help.h"

namespace {

// The invoices of customer `cuno` in INV5 (tag InvC): how many, and the numbers of the first few,
// for the question before the customer is deleted. INV5 keeps its order; its current record
// moves (whoever edits an invoice goes to its record again before writing it).
int InvoicesOf(int cuno, QStringList* numbers) {
    constexpr int kNumbersNamed = 5;
    if (!InvTbl && !OpenInvoices()) return 0;
    xbase::Tag* order = InvTbl->selected();
    InvTbl->select(InvTbl->tag("InvC"));
    const QString key = PadNum(cuno, 6);
    int count = 0;
    bool on = Seek(InvTbl, key) == xbase::kFound;
    while (on && ReadText(InvFld.CuNo) == key) {
        if (!InvTbl->deleted()) {
            if (count < kNumbersNamed) *numbers << ReadText(InvFld.IvNo).trimmed();
            ++count;
        }
        on = InvTbl->skip(1) == xbase::kFound;
    }
    InvTbl->select(order);
    return count;
}

}  // namespace

TCustomer::TCustomer(QWidget* parent) : EditorForm("TCustomer", "Customer", kHelpTopic, parent) {
    Edit1 = NamedEdit(this, "Edit1", 6);
    Edit1->setReadOnly(true);
    Edit1->setEnabled(false);
    Edit2 = NamedEdit(this, "Edit2", 3);
    Edit3 = NamedEdit(this, "Edit3", 13);
    Edit4 = NamedEdit(this, "Edit4", 20);
    Edit5 = NamedEdit(this, "Edit5", 34);
    Edit6 = NamedEdit(this, "Edit6", 34);
    Edit7 = NamedEdit(this, "Edit7", 34);
    Edit8 = NamedEdit(this, "Edit8", 19);
    Edit9 = NamedEdit(this, "Edit9", 10);
    Edit10 = NamedEdit(this, "Edit10", 20);
    Edit11 = NamedEdit(this, "Edit11", 20);
    Edit12 = NamedEdit(this, "Edit12", 60);
    Edit13 = NamedEdit(this, "Edit13", 34);
    Edit14 = NamedEdit(this, "Edit14", 20);
    Edit14->setReadOnly(true);
    Edit14->setFocusPolicy(Qt::NoFocus);
    Memo1 = NamedMemo(this, "Memo1");
    Label5 = NamedLabel(this, "Label5", "Address");
    Label6 = NamedLabel(this, "Label6", "Address");
    BtnGroup = NamedButton(this, "BtnGroup", "Group");

    auto* grid = new QGridLayout;
    grid->addWidget(NamedLabel(this, "Label1", "Customer No."), 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(NamedLabel(this, "Label2", "Name"), 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(Edit3, 1, 2);
    grid->addWidget(Edit4, 1, 3);
    grid->addWidget(Label5, 2, 0);
    grid->addWidget(Edit5, 2, 1, 1, 3);
    grid->addWidget(Label6, 3, 0);
    grid->addWidget(Edit6, 3, 1, 1, 3);
    grid->addWidget(Edit7, 4, 1, 1, 3);
    grid->addWidget(Edit8, 5, 1, 1, 2);
    grid->addWidget(NamedLabel(this, "Label9", "Postal Code"), 6, 0);
    grid->addWidget(Edit9, 6, 1);
    grid->addWidget(NamedLabel(this, "Label10", "Phone"), 7, 0);
    grid->addWidget(Edit10, 7, 1, 1, 2);
    grid->addWidget(NamedLabel(this, "Label11", "Fax"), 8, 0);
    grid->addWidget(Edit11, 8, 1, 1, 2);
    grid->addWidget(NamedLabel(this, "Label12", "Email"), 9, 0);
    grid->addWidget(Edit12, 9, 1, 1, 3);
    grid->addWidget(NamedLabel(this, "Label13", "Note"), 10, 0);
    grid->addWidget(Edit13, 10, 1, 1, 3);
    grid->addWidget(BtnGroup, 11, 0);
    grid->addWidget(Edit14, 11, 1, 1, 2);
    grid->addWidget(Memo1, 12, 0, 1, 4);

    QHBoxLayout* buttons = AddFormButtons(grid, [this] { BtnDeleteClick(); });
    BtnHelp = NamedButton(this, "BtnHelp", "Help");
    buttons->addWidget(BtnHelp);

    SetTabOrder({Edit1, Edit2,   Edit3,     Edit4,     Edit5,  Edit6,  Edit7,
                 Edit8, Edit9,   Edit10,    Edit11,    Edit12, Edit13, BtnGroup,
                 Memo1, BtnSave, BtnDelete, BtnCancel, Edit14, BtnHelp});

    connect(BtnGroup, &QPushButton::clicked, this, [this] { BtnGroupClick(); });
    connect(BtnHelp, &QPushButton::clicked, this, [] { RequestHelp(kHelpTopic); });
}

void TCustomer::FormShow() {
    Label5->setText(SettingsRecord.ByCust ? "Address" : "Company");
    Label6->setVisible(!SettingsRecord.ByCust);

    if (CurCustRec > 0) {
        BtnDelete->setEnabled(true);
        CustTbl->go(static_cast<uint32_t>(CurCustRec));
        ReadCustomer();
    } else {
        CustBuf = {};
        CurCustRec = -1;
        BtnDelete->setEnabled(false);
    }

    const CustomerRecord& c = CustBuf;
    Edit1->setText(PadNum(c.cuno, 6));
    Edit2->setText(c.title.trimmed());
    Edit3->setText(c.first.trimmed());
    Edit4->setText(c.last.trimmed());
    Edit5->setText(c.addr1.trimmed());
    Edit6->setText(c.addr2.trimmed());
    Edit7->setText(c.addr3.trimmed());
    Edit8->setText(c.addr4.trimmed());
    Edit9->setText(c.zip.trimmed());
    Edit10->setText(c.phone.trimmed());
    Edit11->setText(c.fax.trimmed());
    Edit12->setText(c.email.trimmed());
    Edit13->setText(c.note.trimmed());
    Memo1->setPlainText(TrimRight(c.comments));
    ShowGroupName();
    Edit2->setFocus();
}

// A group that is no longer in GROUPS leaves the customer without a group, to be chosen again.
void TCustomer::ShowGroupName() {
    Edit14->clear();
    if (CustBuf.ngroup == 0) return;
    GroupTbl->select(GroupTbl->tag("nGroup"));
    if (Seek(GroupTbl, PadNum(CustBuf.ngroup, 2)) == xbase::kFound)
        Edit14->setText(ReadText(GroupFld.cGroup));
    else
        CustBuf.ngroup = 0;
}

void TCustomer::BtnGroupClick() {
    if (!PickGroup(true, nullptr, this)) return;
    GroupTbl->go(static_cast<uint32_t>(CurGroupRec));
    ReadGroup();
    Edit14->setText(GroupBuf.cGroup);
    CustBuf.ngroup = GroupBuf.nGroup;
}

void TCustomer::BtnSaveClick() {
    CustomerRecord& c = CustBuf;
    if (c.ngroup == 0) {
        prompt::information(this, "Please Select Customer Group");
        return;
    }
    const bool adding = c.cuno == 0;
    const int number = adding ? NextCustNo() : c.cuno;
    if (number > kMaxCustNo) {
        prompt::information(this, "Every customer number up to " + QString::number(kMaxCustNo) +
                                      " is in use; no customer can be added.");
        return;
    }
    const bool saved = WriteAsOneChange("The customer could not be saved.", [&] {
        if (adding) {
            if (CustTbl->appendBlank() < 0) return false;
            CurCustRec = static_cast<int32_t>(CustTbl->recNo());
        } else if (CustTbl->go(static_cast<uint32_t>(CurCustRec)) != xbase::kFound) {
            return false;
        }
        c.cuno = number;
        c.title = Edit2->text();
        c.first = Edit3->text();
        c.last = Edit4->text();
        c.addr1 = Edit5->text();
        c.addr2 = Edit6->text();
        c.addr3 = Edit7->text();
        c.addr4 = Edit8->text();
        c.zip = Edit9->text();
        c.phone = Edit10->text();
        c.fax = Edit11->text();
        c.email = Edit12->text();
        c.note = Edit13->text();
        c.comments = Memo1->toPlainText();
        WriteCustomer();
        if (CustTbl->deleted()) CustTbl->recall();
        return true;
    });
    if (!saved) {
        if (adding) {
            c.cuno = 0;
            CurCustRec = -1;
        } else {
            CustTbl->go(static_cast<uint32_t>(CurCustRec));
        }
        return;
    }
    accept();
}

// A customer with invoices is deleted only when the user agrees: the invoices would be left
// without their customer's name and address.
void TCustomer::BtnDeleteClick() {
    QStringList numbers;
    const int invoices = InvoicesOf(CustBuf.cuno, &numbers);
    if (invoices > 0) {
        const QString who =
            QStringList({CustBuf.first.trimmed(), CustBuf.last.trimmed()}).join(' ').trimmed();
        const QString listed =
            numbers.join(", ") + (invoices > numbers.size() ? QStringLiteral(" ...") : QString());
        const QString question =
            QString(
                "%1 has %2 (%3). Deleting the customer leaves %4 without a customer: the "
                "name and address are lost from %4 and the receivables show UNKNOWN.\n\n"
                "Delete the customer?")
                .arg(who.isEmpty() ? QString("This customer") : who,
                     invoices == 1 ? QString("1 invoice") : QString("%1 invoices").arg(invoices),
                     (invoices == 1 ? QString("No. ") : QString("Nos. ")) + listed,
                     invoices == 1 ? QString("it") : QString("them"));
        if (!prompt::confirmLoss(this, question)) return;
    }
    const bool deleted = WriteAsOneChange("The customer could not be deleted.", [] {
        if (CustTbl->go(static_cast<uint32_t>(CurCustRec)) != xbase::kFound) return false;
        CustTbl->deleteRecord();
        return true;
    });
    CustTbl->go(static_cast<uint32_t>(CurCustRec));
    if (!deleted) return;
    PackPending = true;
    accept();
}
