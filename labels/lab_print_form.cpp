#include "labels/lab_print_form.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "db/program_state.h"
#include "db/settings.h"
#include "labels/label_stock.h"
#include "ui/digit_box.h"
#include "ui/form_help.h"
#include "ui/form_parts.h"

namespace labels {

UpDown::UpDown(Qt::Orientation orientation, QWidget* parent) : QWidget(parent) {
    const bool across = orientation == Qt::Horizontal;
    QBoxLayout* layout = across ? static_cast<QBoxLayout*>(new QHBoxLayout(this))
                                : static_cast<QBoxLayout*>(new QVBoxLayout(this));
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const struct {
        Qt::ArrowType arrow;
        int step;
    } arrows[] = {{across ? Qt::LeftArrow : Qt::UpArrow, -1},
                  {across ? Qt::RightArrow : Qt::DownArrow, 1}};
    for (const auto& [arrow, step] : arrows) {
        auto* button = new QToolButton(this);
        button->setArrowType(arrow);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
        if (!across) button->setFixedHeight(12);
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, s = step] { emit stepped(s); });
    }
}

TLabPrint::TLabPrint(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TLabPrint"));
    setWindowTitle(QStringLiteral("Print Labels"));
    SetFormHelp(this, kHelpTopic);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setMinimumContentsLength(30);
    MaskEdit1 = new DigitBox(this, 1);
    MaskEdit1->setObjectName(QStringLiteral("MaskEdit1"));
    UpDown1 = new UpDown(Qt::Horizontal, this);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    MaskEdit2 = new DigitBox(this, 2);
    MaskEdit2->setObjectName(QStringLiteral("MaskEdit2"));
    UpDown2 = new UpDown(Qt::Vertical, this);
    UpDown2->setObjectName(QStringLiteral("UpDown2"));
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    for (DigitBox* box : {MaskEdit1, MaskEdit2}) {
        box->setMaximumWidth(48);
        box->installEventFilter(this);
    }

    auto* grid = new QGridLayout;
    auto* stockLabel = new QLabel(QStringLiteral("Label Stock:"), this);
    stockLabel->setBuddy(ComboBox1);
    grid->addWidget(stockLabel, 0, 0);
    grid->addWidget(ComboBox1, 0, 1, 1, 3);
    auto* columnLabel = new QLabel(QStringLiteral("Starting Column:"), this);
    columnLabel->setBuddy(MaskEdit1);
    grid->addWidget(columnLabel, 1, 0);
    grid->addWidget(MaskEdit1, 1, 1);
    grid->addWidget(UpDown1, 1, 2, Qt::AlignLeft);
    auto* rowLabel = new QLabel(QStringLiteral("Row:"), this);
    rowLabel->setBuddy(MaskEdit2);
    grid->addWidget(rowLabel, 2, 0);
    grid->addWidget(MaskEdit2, 2, 1);
    grid->addWidget(UpDown2, 2, 2, Qt::AlignLeft);
    grid->setColumnStretch(3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    FitToTitle(this);
    setTabOrder(ComboBox1, MaskEdit1);
    setTabOrder(MaskEdit1, MaskEdit2);
    setTabOrder(MaskEdit2, BtnOK);
    setTabOrder(BtnOK, BtnCancel);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TLabPrint::ComboBox1Change);
    connect(UpDown1, &UpDown::stepped, this, &TLabPrint::UpDown1Click);
    connect(UpDown2, &UpDown::stepped, this, &TLabPrint::UpDown2Click);
    connect(BtnOK, &QPushButton::clicked, this, &TLabPrint::BtnOKClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TLabPrint::BtnCancelClick);
}

void TLabPrint::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

bool TLabPrint::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        if (watched == MaskEdit1) MaskEdit1Exit();
        if (watched == MaskEdit2) MaskEdit2Exit();
    }
    return QDialog::eventFilter(watched, event);
}

void TLabPrint::FormShow() {
    stocks_ = ReadStocks();
    {
        const QSignalBlocker quiet(ComboBox1);
        ComboBox1->clear();
        for (const LabelRecord& stock : stocks_) ComboBox1->addItem(stock.Name);
        ComboBox1->setCurrentIndex(PreselectedStock(stocks_, SettingsRecord.LabID));
    }
    MaskEdit1->setValue(1);
    MaskEdit2->setValue(1);
    cancelled_ = true;
    MaskEdit1->setFocus();
}

int TLabPrint::Across() const {
    const int i = ComboBox1->currentIndex();
    if (i < 0) return 1;
    return std::max(1, stocks_[static_cast<size_t>(i)].NAcross);
}

void TLabPrint::ComboBox1Change() {
    MaskEdit1Exit();  // the column must lie on the stock now chosen
}

void TLabPrint::UpDown1Click(int step) {
    const int column = MaskEdit1->value();
    if ((step > 0 && column < Across()) || (step < 0 && column > 1))
        MaskEdit1->setValue(column + step);
}

void TLabPrint::UpDown2Click(int step) {
    const int row = MaskEdit2->value();
    if ((step > 0 && row < 99) || (step < 0 && row > 1)) MaskEdit2->setValue(row + step);
}

void TLabPrint::MaskEdit1Exit() {
    MaskEdit1->setValue(std::clamp(MaskEdit1->value(), 1, Across()));
}

void TLabPrint::MaskEdit2Exit() {
    MaskEdit2->setValue(std::max(1, MaskEdit2->value()));
}

void TLabPrint::BtnOKClick() {
    MaskEdit1Exit();
    MaskEdit2Exit();
    const int i = ComboBox1->currentIndex();
    if (i >= 0) {
        const QString name = stocks_[static_cast<size_t>(i)].Name;
        if (name != SettingsRecord.LabID.trimmed()) {
            SettingsRecord.LabID = name;
            SaveSettings();  // a failure is told; the run goes on with the stock chosen
        }
        cancelled_ = false;
    }
    accept();
}

void TLabPrint::BtnCancelClick() {
    cancelled_ = true;
    reject();
}

std::optional<PrintOptions> TLabPrint::Chosen() const {
    const int i = ComboBox1->currentIndex();
    if (cancelled_ || i < 0) return std::nullopt;
    return PrintOptions{stocks_[static_cast<size_t>(i)], MaskEdit1->value(), MaskEdit2->value()};
}

std::optional<PrintOptions> AskPrintOptions(QWidget* parent) {
    TLabPrint dialog(parent);
    dialog.exec();
    return dialog.Chosen();
}

}  // namespace labels
