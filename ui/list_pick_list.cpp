#include "ui/list_pick_list.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/prompt.h"
#include "ui/form_help.h"
#include "ui/form_parts.h"

ListPickList::ListPickList(const QString& caption, int32_t& result, QWidget* parent)
    : QDialog(parent), result_(result) {
    setWindowTitle(caption);
    SetFormHelp(this, kListsHelpTopic);
    setModal(true);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->installEventFilter(this);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { ListBox1DblClick(); });

    auto* buttons = new QVBoxLayout;
    for (auto [button, name, text] :
         {std::tuple{&BtnSelect, "BtnSelect", "Select"}, std::tuple{&BtnNew, "BtnNew", "New"},
          std::tuple{&BtnCancel, "BtnCancel", "Cancel"}}) {
        *button = new QPushButton(text, this);
        (*button)->setObjectName(name);
        (*button)->setAutoDefault(false);
        buttons->addWidget(*button);
    }
    buttons->addStretch();
    connect(BtnSelect, &QPushButton::clicked, this, [this] { BtnSelectClick(); });
    connect(BtnNew, &QPushButton::clicked, this, [this] { BtnNewClick(); });
    connect(BtnCancel, &QPushButton::clicked, this, [this] { BtnCancelClick(); });

    listColumn = new QVBoxLayout;
    listColumn->addWidget(ListBox1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(listColumn);
    columns->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    FitToTitle(this);
    resize(360, 300);
}

void ListPickList::setNewAllowed(bool allowed) {
    BtnNew->setEnabled(allowed);
}

void ListPickList::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_) return;
    shown_ = true;
    FormShow();
}

bool ListPickList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListBox1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ListBox1KeyPress();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ListPickList::FormShow() {
    ListBox1->clear();
    xbase::Table* t = table();
    int highlight = 0;
    for (int rc = t->top(); rc == xbase::kFound; rc = t->skip(1)) {
        const QString name = ItemText();
        if (static_cast<int32_t>(t->recNo()) == result_) highlight = ListBox1->count();
        ListBox1->addItem(t->deleted() ? name + "<DELETED>" : name);
        ItemListed(name);
    }
    if (ListBox1->count() > 0) ListBox1->setCurrentRow(highlight);
    result_ = -1;
}

void ListPickList::ListBox1DblClick() {
    BtnSelectClick();
}

// Enter in the list.
void ListPickList::ListBox1KeyPress() {
    BtnSelectClick();
}

void ListPickList::BtnSelectClick() {
    const int index = ListBox1->currentRow();
    if (index < 0 || !ListBox1->currentItem()->isSelected()) {
        prompt::information(this, "Item Not Selected");
        return;
    }
    xbase::Table* t = table();
    t->top();
    if (index > 0) t->skip(index);
    result_ = static_cast<int32_t>(t->recNo());
    accept();
}

void ListPickList::BtnNewClick() {
    result_ = 0;
    accept();
}

void ListPickList::BtnCancelClick() {
    result_ = -1;
    reject();
}
