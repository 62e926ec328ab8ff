#include "invoice/pick_inv.h"

#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QTableWidget>

#include "core/convert.h"
#include "db/field_values.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "invoice/invoice_data.h"
#include "invoice/invoice_store.h"
#include "ui/form_help.h"

GridPickState PickInvState;

namespace {

// The search box: six digit positions, empty ones shown as '_'.
QLineEdit* InvoiceNumberBox() {
    auto* box = new QLineEdit;
    box->setObjectName("MaskEdit1");
    box->setInputMask("000000;_");
    return box;
}

}  // namespace

TPickInv::TPickInv(QWidget* parent)
    : GridPickList(PickInvState, CurInvRec, {"Select Invoice", 'M', 47, 10, true}, parent,
                   {InvoiceNumberBox(), "Seek Invoice No:"}) {
    setObjectName("TPickInv");
    SetFormHelp(this, kHelpTopic);
    auto* customerLabel = new QLabel("Customer:", this);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName("Edit2");
    Edit2->setReadOnly(true);
    Edit2->setFocusPolicy(Qt::NoFocus);
    customerLabel->setBuddy(Edit2);
    extraRow->addWidget(customerLabel);
    extraRow->addWidget(Edit2);
    connect(StringGrid1, &QTableWidget::currentCellChanged, this,
            [this](int row) { StringGrid1SelectCell(row); });
}

xbase::Table* TPickInv::table() const {
    return InvTbl;
}

void TPickInv::PrepareOrder() {
    InvTbl->select(InvTbl->tag("Inv"));
    SetColumns({{"Invoice", 7, kNumber}, {"Date", 10}, {"Note", 30}});
}

QStringList TPickInv::RowTexts() {
    ReadInvoice();
    const InvoiceRecord& inv = InvBuf;
    return {PadNum(inv.IvNo, 6), DateToShortText(inv.IDate),
            InvTbl->deleted() ? QString("< DELETED >") : TrimRight(inv.IMemo)};
}

void TPickInv::AfterFill() {
    ShowCustomerOf(StringGrid1->currentRow());
}

bool TPickInv::eventFilter(QObject* watched, QEvent* event) {
    if (watched == StringGrid1 && event->type() == QEvent::KeyRelease) StringGrid1KeyUp();
    return GridPickList::eventFilter(watched, event);
}

void TPickInv::Edit1Change() {
    const QString text = Edit1->text().trimmed();
    if (text.isEmpty()) return;
    state_.LastSeek = text;
    SeekAndShow(text.rightJustified(6, ' '));
}

void TPickInv::StringGrid1SelectCell(int row) {
    if (!filling_) ShowCustomerOf(row);
}

void TPickInv::StringGrid1KeyUp() {
    ShowCustomerOf(StringGrid1->currentRow());
}

// An invoice whose customer is no longer in CUST5 shows no name.
void TPickInv::ShowCustomerOf(int row) {
    const int32_t rec = RowRecNo(row);
    if (rec <= 0) return;
    InvTbl->go(static_cast<uint32_t>(rec));
    const int customer = InvFld.CuNo->asInt();
    CustTbl->select(CustTbl->tag("CCNO"));
    if (Seek(CustTbl, InvKey(customer)) == xbase::kFound)
        Edit2->setText(TrimRight(ReadText(CustFld.first)).trimmed() + ' ' +
                       TrimRight(ReadText(CustFld.last)).trimmed());
    else
        Edit2->clear();
}
