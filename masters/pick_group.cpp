#include "masters/pick_group.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "db/current_records.h"
#include "db/field_values.h"
#include "db/program_state.h"
#include "db/read_write.h"

namespace {

constexpr int kSearchLength = 20;

}  // namespace

TPickGroup::TPickGroup(QWidget* parent) : ListPickList("Customer Groups", CurGroupRec, parent) {
    setObjectName("TPickGroup");
    auto* seekLabel = new QLabel("Seek:", this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setMaxLength(kSearchLength);
    seekLabel->setBuddy(Edit1);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(seekLabel);
    searchRow->addWidget(Edit1);
    listColumn->insertLayout(0, searchRow);
    LabelWhy = new QLabel(this);
    LabelWhy->setObjectName("LabelWhy");
    LabelWhy->setWordWrap(true);
    LabelWhy->hide();
    listColumn->insertWidget(0, LabelWhy);
    setTabOrder(Edit1, ListBox1);
    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    // Enter in the search box takes the name it found, as Enter in the list does.
    connect(Edit1, &QLineEdit::returnPressed, this, [this] { BtnSelectClick(); });
}

void TPickGroup::setReason(const QString& why) {
    LabelWhy->setText(why);
    LabelWhy->setVisible(!why.isEmpty());
}

xbase::Table* TPickGroup::table() const {
    return GroupTbl;
}

QString TPickGroup::ItemText() {
    ReadGroup();
    return TrimRight(GroupBuf.cGroup);
}

void TPickGroup::ItemListed(const QString& name) {
    searchNames_ << name.toUpper();
}

void TPickGroup::FormShow() {
    Edit1->clear();
    searchNames_.clear();
    previousTag_ = GroupTbl->selected();
    tagChanged_ = true;
    GroupTbl->select(GroupTbl->tag("cGroup"));
    ListPickList::FormShow();
    Edit1->setFocus();
}

void TPickGroup::Edit1Change() {
    if (ListBox1->count() < 2) return;
    const QString text = Edit1->text().toUpper().trimmed();
    for (int i = 0; i < searchNames_.size(); ++i) {
        if (searchNames_[i].left(text.size()) >= text) {
            ListBox1->setCurrentRow(i);
            return;
        }
    }
    ListBox1->setCurrentRow(-1);
}

void TPickGroup::done(int result) {
    FormClose();
    ListPickList::done(result);
}

void TPickGroup::FormClose() {
    if (tagChanged_) GroupTbl->select(previousTag_);
    tagChanged_ = false;
    searchNames_.clear();
}
