#include "report/date_span_form.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QVBoxLayout>

#include "core/dates.h"
#include "core/prompt.h"
#include "report/report_document.h"
#include "ui/date_box.h"
#include "ui/form_help.h"
#include "ui/form_parts.h"

namespace reports {

bool SpanCancelled = true;

namespace {

const QString kBeginning = QStringLiteral("Print Beginning:");

}  // namespace

TDateSpan::TDateSpan(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TDateSpan"));
    setWindowTitle(QStringLiteral("Date Range"));
    auto* f1 = new QShortcut(QKeySequence::HelpContents, this);
    connect(f1, &QShortcut::activated, this, [this] { RequestHelp(helpTopic_); });
    Label1 = new QLabel(kBeginning, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    MaskEdit1 = new DateBox(this);
    MaskEdit1->setObjectName(QStringLiteral("MaskEdit1"));
    Label2 = new QLabel(QStringLiteral("Ending:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    MaskEdit2 = new DateBox(this);
    MaskEdit2->setObjectName(QStringLiteral("MaskEdit2"));
    CheckBox1 = new QCheckBox(QStringLiteral("Age by invoice date"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->hide();
    CheckBox2 = new QCheckBox(QStringLiteral("List each invoice"), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->hide();
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    // A click on a button leaves the focus in its box, so that a bad date is told once, by the
    // button; Tab still reaches the buttons, checking the box on the way.
    BtnOK->setFocusPolicy(Qt::TabFocus);
    BtnCancel->setFocusPolicy(Qt::TabFocus);
    Label1->setBuddy(MaskEdit1);
    Label2->setBuddy(MaskEdit2);

    auto* boxes = new QGridLayout;
    boxes->addWidget(Label1, 0, 0);
    boxes->addWidget(MaskEdit1, 0, 1);
    boxes->addWidget(Label2, 1, 0);
    boxes->addWidget(MaskEdit2, 1, 1);
    boxes->addWidget(CheckBox1, 2, 0, 1, 2);
    boxes->addWidget(CheckBox2, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(boxes);
    layout->addLayout(buttons);
    FitToTitle(this);
    setTabOrder(MaskEdit1, MaskEdit2);
    setTabOrder(MaskEdit2, CheckBox1);
    setTabOrder(CheckBox1, CheckBox2);
    setTabOrder(CheckBox2, BtnOK);
    setTabOrder(BtnOK, BtnCancel);

    // Installed after the boxes' own Enter-as-Tab, so it sees Enter first.
    MaskEdit1->installEventFilter(this);
    MaskEdit2->installEventFilter(this);
    connect(BtnOK, &QPushButton::clicked, this, &TDateSpan::BtnOKClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TDateSpan::BtnCancelClick);
}

void TDateSpan::SetOneDate(bool oneDate, const QString& caption) {
    oneDate_ = oneDate;
    const QString asOf = caption.isEmpty() ? QStringLiteral("Inventory as Of:") : caption;
    Label1->setText(oneDate ? asOf : kBeginning);
    Label2->setHidden(oneDate);
    MaskEdit2->setHidden(oneDate);
    adjustSize();
}

bool TDateSpan::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        DateBox* last = oneDate_ ? MaskEdit1 : MaskEdit2;
        if (watched == last && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            BtnOKClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TDateSpan::SetAgingChoices(bool on) {
    CheckBox1->setChecked(false);
    CheckBox2->setChecked(false);
    CheckBox1->setVisible(on);
    CheckBox2->setVisible(on);
    adjustSize();
}

bool TDateSpan::ByInvoiceDate() const {
    return CheckBox1->isChecked();
}

bool TDateSpan::ListEachInvoice() const {
    return CheckBox2->isChecked();
}

void TDateSpan::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TDateSpan::FormShow() {
    const ReportDocument& doc = TheReport();
    MaskEdit1->setValue(doc.SpanStart);
    MaskEdit2->setValue(doc.SpanEnd);
    SpanCancelled = true;
    MaskEdit1->setFocus();
}

void TDateSpan::BtnOKClick() {
    ReportDocument& doc = TheReport();
    const struct {
        DateBox* box;
        double& value;
    } boxes[] = {{MaskEdit1, doc.SpanStart}, {MaskEdit2, doc.SpanEnd}};
    for (const auto& [box, value] : boxes) {
        if (box == MaskEdit2 && oneDate_) break;
        QString text = box->entryText();
        if (!CheckDateText(text, this)) {
            box->setFocus();
            return;
        }
        value = box->value();
    }
    if (!oneDate_ && doc.SpanStart > doc.SpanEnd) {
        prompt::information(this, "Ending Date must be greater than or equal to Starting Date.");
        return;
    }
    SpanCancelled = false;
    accept();
}

void TDateSpan::BtnCancelClick() {
    ReportDocument& doc = TheReport();
    bool ok = false;
    if (const double start = MaskEdit1->value(&ok); ok) doc.SpanStart = start;
    if (const double end = MaskEdit2->value(&ok); ok && !oneDate_) doc.SpanEnd = end;
    SpanCancelled = true;
    reject();
}

bool AskDateSpan(QWidget* parent) {
    TDateSpan dialog(parent);
    dialog.exec();
    return !SpanCancelled;
}

bool AskAsOfDate(QWidget* parent, const QString& caption, int helpTopic) {
    TheReport().SpanStart = DateValue(QDate::currentDate());
    TDateSpan dialog(parent);
    dialog.SetOneDate(true, caption);
    if (helpTopic > 0) dialog.SetHelpTopic(helpTopic);
    dialog.exec();
    return !SpanCancelled;
}

bool AskAgingDate(QWidget* parent, bool* byInvoiceDate, bool* detail) {
    TheReport().SpanStart = DateValue(QDate::currentDate());
    TDateSpan dialog(parent);
    dialog.SetOneDate(true, QStringLiteral("Aging as of:"));
    dialog.SetAgingChoices(true);
    dialog.SetHelpTopic(kAgingHelpTopic);
    dialog.exec();
    *byInvoiceDate = dialog.ByInvoiceDate();
    *detail = dialog.ListEachInvoice();
    return !SpanCancelled;
}

}  // namespace reports
