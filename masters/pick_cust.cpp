#include "masters/pick_cust.h"

#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QTableWidget>

#include "db/current_records.h"
#include "db/field_values.h"
#include "db/program_state.h"
#include "db/read_write.h"

GridPickState PickCustState;

TPickCust::TPickCust(QWidget* parent)
    : GridPickList(PickCustState, CurCustRec, {"Select Customer", 'B', 67, 16, true}, parent) {
    setObjectName("TPickCust");
    auto* groupLabel = new QLabel("Group:", this);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName("Edit2");
    Edit2->setReadOnly(true);
    Edit2->setFocusPolicy(Qt::NoFocus);
    groupLabel->setBuddy(Edit2);
    extraRow->addWidget(groupLabel);
    extraRow->addWidget(Edit2);
    connect(StringGrid1, &QTableWidget::currentCellChanged, this,
            [this](int row) { StringGrid1SelectCell(row); });
}

xbase::Table* TPickCust::table() const {
    return CustTbl;
}

void TPickCust::PrepareOrder() {
    if (SettingsRecord.ByCust) {
        CustTbl->select(CustTbl->tag("cname"));
        SetColumns({{"Last", 20}, {"First", 13}, {"Note", 34}});
    } else {
        CustTbl->select(CustTbl->tag("cComp"));
        SetColumns({{"Company", 34}, {"Last", 13}, {"First", 20}});
    }
}

QStringList TPickCust::RowTexts() {
    ReadCustomer();
    const CustomerRecord& c = CustBuf;
    QStringList texts;
    if (SettingsRecord.ByCust)
        texts << TrimRight(c.last) << TrimRight(c.first) << TrimRight(c.note);
    else
        texts << TrimRight(c.addr1) << TrimRight(c.last) << TrimRight(c.first);
    if (CustTbl->deleted()) texts[2] = "< DELETED >";
    return texts;
}

void TPickCust::AfterFill() {
    ShowGroupOf(StringGrid1->currentRow());
}

bool TPickCust::eventFilter(QObject* watched, QEvent* event) {
    if (watched == StringGrid1 && event->type() == QEvent::KeyRelease) StringGrid1KeyUp();
    return GridPickList::eventFilter(watched, event);
}

void TPickCust::StringGrid1SelectCell(int row) {
    if (!filling_) ShowGroupOf(row);
}

void TPickCust::StringGrid1KeyUp() {
    ShowGroupOf(StringGrid1->currentRow());
}

void TPickCust::ShowGroupOf(int row) {
    const int32_t rec = RowRecNo(row);
    if (rec <= 0) return;
    if (!GroupTbl) {
        Edit2->clear();
        return;
    }
    CustTbl->go(static_cast<uint32_t>(rec));
    const QString group = ReadText(CustFld.ngroup);
    GroupTbl->select(GroupTbl->tag("nGroup"));
    if (Seek(GroupTbl, group) == xbase::kFound)
        Edit2->setText(TrimRight(ReadText(GroupFld.cGroup)));
    else
        Edit2->clear();
}
