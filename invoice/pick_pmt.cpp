#include "invoice/pick_pmt.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include "invoice/invoice_data.h"
#include "invoice/pmt_def.h"
#include "ui/form_help.h"
#include "ui/form_parts.h"

namespace {

// Rows the grid shows without scrolling; a longer list gets a scroll bar, 16 pixels wide.
constexpr int kVisibleRows = 11;
constexpr int kScrollBarWidth = 16;

}  // namespace

TPickPmt::TPickPmt(QWidget* parent) : QDialog(parent) {
    setObjectName("TPickPmt");
    setWindowTitle("Select Payment");
    setModal(true);
    SetFormHelp(this, kHelpTopic);

    StringGrid1 = new QTableWidget(0, 2, this);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setHorizontalHeaderLabels({"Date", "Amount"});
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setSectionsClickable(false);
    StringGrid1->horizontalHeader()->setHighlightSections(false);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setTabKeyNavigation(false);
    BtnSelect = NamedButton(this, "BtnSelect", "Select");
    BtnCancel = NamedButton(this, "BtnCancel", "Cancel");
    PmtDef = new TPmtDef(this);

    auto* gridRow = new QHBoxLayout;
    gridRow->addWidget(StringGrid1);
    gridRow->addSpacing(kScrollBarWidth);
    gridRow->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnSelect);
    buttons->addWidget(BtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(gridRow);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    FitToTitle(this);

    SetTabOrder({StringGrid1, BtnSelect, BtnCancel});

    connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, [this] { StringGrid1DblClick(); });
    connect(BtnSelect, &QPushButton::clicked, this, [this] { BtnSelectClick(); });
    connect(BtnCancel, &QPushButton::clicked, this, [this] { BtnCancelClick(); });
}

void TPickPmt::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TPickPmt::FormShow() {
    const int m = fontMetrics().horizontalAdvance('M');
    StringGrid1->setColumnWidth(0, 7 * m);
    StringGrid1->setColumnWidth(1, 10 * m);
    const int frame = 2 * StringGrid1->frameWidth();
    const int scrollBar = PmtHigh() > 10 ? kScrollBarWidth : 0;
    StringGrid1->setFixedWidth(17 * m + 1 + frame + scrollBar);
    StringGrid1->setFixedHeight(StringGrid1->horizontalHeader()->sizeHint().height() +
                                kVisibleRows * StringGrid1->verticalHeader()->defaultSectionSize() +
                                frame);
    layout()->activate();  // the window fits the grid before it is drawn

    StringGrid1->clearContents();
    StringGrid1->setRowCount(PmtHigh() + 1);
    for (int i = 0; i <= PmtHigh(); ++i) {
        const PmtRow& payment = PmtRows[static_cast<size_t>(i)];
        StringGrid1->setItem(i, 0, new QTableWidgetItem(payment[kPmtDate]));
        auto* amount = new QTableWidgetItem(payment[kPmtAmount]);
        amount->setTextAlignment(kNumberAlignment);
        StringGrid1->setItem(i, 1, amount);
    }
    if (PmtHigh() >= 0) StringGrid1->setCurrentCell(0, 0);
    StringGrid1->setFocus();
}

// Whatever the payment dialog ends with, the list closes after it.
void TPickPmt::BtnSelectClick() {
    const int i = StringGrid1->currentRow();
    if (i < 0 || i > PmtHigh()) return;
    const auto at = static_cast<size_t>(i);
    PmtDef->setPayment(PmtRows[at], true);
    PmtDef->exec();
    if (PmtResult == 1)
        PmtRows[at] = PmtDef->payment();
    else if (PmtResult == 2)
        PmtRows.erase(PmtRows.begin() + i);
    accept();
}

void TPickPmt::StringGrid1DblClick() {
    BtnSelectClick();
}

void TPickPmt::BtnCancelClick() {
    reject();
}
