#include "report/mult_group_form.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "report/group_choice.h"
#include "ui/form_help.h"
#include "ui/form_parts.h"

namespace reports {

QList<int> ChosenGroups;

TMultGroup::TMultGroup(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TMultGroup"));
    setWindowTitle(QStringLiteral("Select One or More Groups"));
    SetFormHelp(this, 530);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setSelectionMode(QAbstractItemView::MultiSelection);
    BtnRun = new QPushButton(QStringLiteral("Run"), this);
    BtnRun->setObjectName(QStringLiteral("BtnRun"));
    BtnAll = new QPushButton(QStringLiteral("All"), this);
    BtnAll->setObjectName(QStringLiteral("BtnAll"));
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnRun);
    buttons->addWidget(BtnAll);
    buttons->addWidget(BtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListBox1);
    layout->addLayout(buttons);
    FitToTitle(this);

    connect(BtnAll, &QPushButton::clicked, this, &TMultGroup::BtnAllClick);
    connect(BtnRun, &QPushButton::clicked, this, &TMultGroup::BtnRunClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TMultGroup::BtnCancelClick);
}

void TMultGroup::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TMultGroup::FormShow() {
    ListBox1->clear();
    ChosenGroups.clear();
    ListBox1->addItems(GroupItems());
    if (ListBox1->count() == 1) ListBox1->item(0)->setSelected(true);
}

void TMultGroup::BtnAllClick() {
    ListBox1->selectAll();
}

void TMultGroup::BtnRunClick() {
    ChosenGroups.clear();
    for (int i = 0; i < ListBox1->count(); ++i) {
        const QListWidgetItem* item = ListBox1->item(i);
        if (item->isSelected()) ChosenGroups << GroupNumberOfItem(item->text());
    }
    accept();
}

void TMultGroup::BtnCancelClick() {
    reject();
}

QList<int> AskGroups(QWidget* parent) {
    TMultGroup dialog(parent);
    dialog.exec();
    return ChosenGroups;
}

}  // namespace reports
