#include "invoice/pick_inv.h"

#include <QEvent>
#include <QKeyEvent>
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

GridPickState PickInvState;

namespace {

// The search box: six digit positions, empty ones shown as '_'.
QLineEdit* InvoiceNumberBox() {
    auto* box = new QLineEdit;
    box->setObjectName("MaskEdit1");
    box->setInputMask("000000;_");
    return box;
}

// Customers at most looked at for one search by name: enough for every customer whose name
// starts alike, few enough to answer at once as the name is typed.
constexpr int kNamesLookedAt = 500;

// The customer's name as the list shows it, "Last, First"; empty for a customer not in CUST5.
QString CustomerName(int cuno) {
    CustTbl->select(CustTbl->tag("CCNO"));
    if (Seek(CustTbl, InvKey(cuno)) != xbase::kFound) return {};
    const QString last = TrimRight(ReadText(CustFld.last)).trimmed();
    const QString first = TrimRight(ReadText(CustFld.first)).trimmed();
    return first.isEmpty() || last.isEmpty() ? last + first : last + ", " + first;
}

}  // namespace

TPickInv::TPickInv(QWidget* parent)
    : GridPickList(PickInvState, CurInvRec,
                   {"Select Invoice", 'M', 73, 10, true, QString::number(kHelpTopic)}, parent,
                   {InvoiceNumberBox(), "Seek Invoice No:"}) {
    setObjectName("TPickInv");
    auto* customerLabel = new QLabel("Customer:", this);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName("Edit2");
    Edit2->setReadOnly(true);
    Edit2->setFocusPolicy(Qt::NoFocus);
    customerLabel->setBuddy(Edit2);
    auto* nameLabel = new QLabel("Seek Customer:", this);
    Edit3 = new QLineEdit(this);
    Edit3->setObjectName("Edit3");
    nameLabel->setBuddy(Edit3);
    extraRow->addWidget(nameLabel);
    extraRow->addWidget(Edit3);
    extraRow->addWidget(customerLabel);
    extraRow->addWidget(Edit2);
    setTabOrder(Edit1, Edit3);
    setTabOrder(Edit3, StringGrid1);
    Edit3->installEventFilter(this);
    connect(Edit3, &QLineEdit::textChanged, this, [this] { Edit3Change(); });
    connect(StringGrid1, &QTableWidget::currentCellChanged, this,
            [this](int row) { StringGrid1SelectCell(row); });
}

xbase::Table* TPickInv::table() const {
    return InvTbl;
}

void TPickInv::PrepareOrder() {
    InvTbl->select(InvTbl->tag("Inv"));
    Edit3->clear();
    SetColumns({{"Invoice", 7, kNumber},
                {"Date", 10},
                {"Customer", 22},
                {"Amount Due", 10, kNumber},
                {"Check/Credit Card", 14}});
}

QStringList TPickInv::RowTexts() {
    ReadInvoice();
    const InvoiceRecord& inv = InvBuf;
    return {PadNum(inv.IvNo, 6), DateToShortText(inv.IDate), CustomerName(inv.CuNo),
            NumText(inv.Due, 10, 2).trimmed(),
            InvTbl->deleted() ? QString("< DELETED >") : TrimRight(inv.IMemo)};
}

void TPickInv::AfterFill() {
    ShowCustomerOf(StringGrid1->currentRow());
}

bool TPickInv::eventFilter(QObject* watched, QEvent* event) {
    if (watched == StringGrid1 && event->type() == QEvent::KeyRelease) StringGrid1KeyUp();
    // Enter in the customer search takes the row the search has highlighted.
    if (watched == Edit3 && event->type() == QEvent::KeyPress)
        return StringGrid1KeyPress(static_cast<QKeyEvent*>(event)->key());
    return GridPickList::eventFilter(watched, event);
}

void TPickInv::Edit1Change() {
    const QString text = Edit1->text().trimmed();
    if (text.isEmpty()) return;
    state_.LastSeek = text;
    InvTbl->select(InvTbl->tag("Inv"));
    Edit3->clear();
    SeekAndShow(text.rightJustified(6, ' '));
}

// The first customer, in name order (tag cname), whose last and first name start with the text
// typed and who has an invoice; the list then shows that customer's invoices. Nothing changes
// when no such customer is found.
void TPickInv::Edit3Change() {
    const QString typed = Edit3->text().trimmed().toUpper();
    if (typed.isEmpty()) return;
    CustTbl->select(CustTbl->tag("cname"));
    const int rc = Seek(CustTbl, typed);
    if (rc != xbase::kFound && rc != xbase::kAfter) return;
    xbase::Table* inv = InvTbl;
    xbase::Tag* order = inv->selected();
    inv->select(inv->tag("InvC"));
    bool onCustomer = true;
    for (int looked = 0; onCustomer && looked < kNamesLookedAt; ++looked) {
        const QString key = (ReadText(CustFld.last) + ReadText(CustFld.first)).toUpper();
        if (!key.startsWith(typed)) break;
        if (!CustTbl->deleted() && Seek(inv, InvKey(CustFld.cuno->asInt())) == xbase::kFound) {
            state_.TargetRec = static_cast<int32_t>(inv->recNo());
            state_.TopOffset = OffsetOf(state_.TargetRec);
            FillRows();
            return;
        }
        onCustomer = CustTbl->skip(1) == xbase::kFound;
    }
    inv->select(order);
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
