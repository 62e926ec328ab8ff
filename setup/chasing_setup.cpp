#include "setup/chasing_setup.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>

#include "core/prompt.h"
#include "ui/number_box.h"
#include "ui/number_entry.h"

namespace {

// The whole number a text holds, when it holds one from `low` to `high`.
std::optional<int> WholeNumber(const QString& text, int low, int high) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < low || value > high) return std::nullopt;
    return value;
}

QString Cell(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text().trimmed() : QString();
}

}  // namespace

QString TakeTerms(const QString& text, const std::vector<CustomerTermsText>& rows,
                  PaymentTerms* terms) {
    PaymentTerms taken;
    taken.business = std::nullopt;
    if (!text.trimmed().isEmpty()) {
        taken.business = WholeNumber(text, 0, kMaxTermsDays);
        if (!taken.business)
            return "Terms (days) must be a number from 0 to " + QString::number(kMaxTermsDays) +
                   ", or blank for none.";
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].customer.trimmed().isEmpty() && rows[i].days.trimmed().isEmpty()) continue;
        const std::optional<int> customer = WholeNumber(rows[i].customer, 1, 999999);
        const std::optional<int> days = WholeNumber(rows[i].days, 0, kMaxTermsDays);
        const QString row = "Customer terms, row " + QString::number(i + 1) + ": ";
        if (!customer || !days)
            return row + "give a customer number and terms from 0 to " +
                   QString::number(kMaxTermsDays) + " days.";
        if (taken.customers.contains(*customer))
            return row + "customer " + QString::number(*customer) + " is given twice.";
        taken.customers.insert(*customer, *days);
    }
    *terms = taken;
    return {};
}

QString TakeLevels(const std::vector<LevelText>& typed, std::vector<ReminderLevel>* levels) {
    std::vector<ReminderLevel> taken;
    for (size_t i = 0; i < typed.size(); ++i) {
        if (typed[i].days.trimmed().isEmpty()) continue;
        const QString level = "Level " + QString::number(i + 1) + ": ";
        const int after = taken.empty() ? 0 : taken.back().days;
        const std::optional<int> days = WholeNumber(typed[i].days, after + 1, kMaxReminderDays);
        if (!days)
            return level + "the days past due must be a number from " + QString::number(after + 1) +
                   " to " + QString::number(kMaxReminderDays) +
                   (after > 0 ? ", more than those of the level before." : ".");
        if (typed[i].fee < 0) return level + "the fee cannot be negative.";
        taken.push_back({*days, ToCents(typed[i].fee), typed[i].letter.trimmed()});
    }
    *levels = taken;
    return {};
}

TChasing::TChasing(QWidget* parent)
    : EditorForm("TChasing", "Terms and Reminders", kHelpTopic, parent) {
    Edit1 = NamedEdit(this, "Edit1", 3);
    Edit1->setValidator(new QIntValidator(0, kMaxTermsDays, Edit1));
    Edit1->setMaximumWidth(60);
    StringGrid1 = new QTableWidget(0, 2, this);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setHorizontalHeaderLabels({"Customer No.", "Terms (days)"});
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setMinimumHeight(110);
    connect(StringGrid1, &QTableWidget::itemChanged, this, &TChasing::StringGrid1Changed);

    auto* grid = new QGridLayout;
    grid->addWidget(NamedLabel(this, "Label1", "Terms (days):"), 0, 0);
    grid->addWidget(Edit1, 0, 1, Qt::AlignLeft);
    grid->addWidget(NamedLabel(this, "Label2", "Customers with terms of their own:"), 1, 0, 1, 2);
    grid->addWidget(StringGrid1, 2, 0, 1, 2);
    QList<QWidget*> order = {Edit1, StringGrid1};
    for (int i = 0; i < kMaxReminderLevels; ++i) {
        const QString n = QString::number(i + 1);
        auto* frame = new QGroupBox(" Reminder Level " + n + " ", this);
        frame->setObjectName("GroupBox" + n);
        LevelBoxes& boxes = levels_[i];
        boxes.days = new QLineEdit(frame);
        boxes.days->setObjectName("EditDays" + n);
        boxes.days->setMaxLength(4);
        boxes.days->setValidator(new QIntValidator(1, kMaxReminderDays, boxes.days));
        boxes.days->setMaximumWidth(60);
        boxes.fee = new NumberBox("%8.2f", NumberBox::RedNegative::OnEveryKey, frame);
        boxes.fee->setObjectName("MaskFee" + n);
        boxes.fee->setMaximumWidth(100);
        boxes.letter = new QPlainTextEdit(frame);
        boxes.letter->setObjectName("MemoLetter" + n);
        boxes.letter->setTabChangesFocus(true);
        boxes.letter->setMinimumHeight(70);
        auto* inner = new QGridLayout(frame);
        inner->addWidget(new QLabel("Days past due:", frame), 0, 0);
        inner->addWidget(boxes.days, 0, 1);
        inner->addWidget(new QLabel("Fee:", frame), 0, 2);
        inner->addWidget(boxes.fee, 0, 3);
        inner->setColumnStretch(4, 1);
        inner->addWidget(boxes.letter, 1, 0, 1, 5);
        grid->addWidget(frame, 3 + i, 0, 1, 2);
        order << boxes.days << boxes.fee << boxes.letter;
    }
    grid->addWidget(NamedLabel(this, "Label3",
                               "In a letter, {name} stands for the customer's name, {overdue} "
                               "for the total overdue and {terms} for the terms."),
                    3 + kMaxReminderLevels, 0, 1, 2);
    AddFormButtons(grid);
    order << BtnSave << BtnCancel;
    SetTabOrder(order);
    resize(560, 720);
}

void TChasing::FormShow() {
    PaymentTerms terms;
    std::vector<ReminderLevel> levels;
    if (!ReadPaymentTerms(&terms) || !ReadReminderLevels(&levels)) {
        reject();
        return;
    }
    Edit1->setText(terms.business ? QString::number(*terms.business) : QString());
    QList<int> customers = terms.customers.keys();
    std::sort(customers.begin(), customers.end());
    const QSignalBlocker quiet(StringGrid1);
    StringGrid1->setRowCount(0);
    for (int customer : customers) {
        const int row = StringGrid1->rowCount();
        StringGrid1->insertRow(row);
        StringGrid1->setItem(row, 0, new QTableWidgetItem(QString::number(customer)));
        StringGrid1->setItem(
            row, 1, new QTableWidgetItem(QString::number(terms.customers.value(customer))));
    }
    StringGrid1->insertRow(StringGrid1->rowCount());
    for (int i = 0; i < kMaxReminderLevels; ++i) {
        const bool used = static_cast<size_t>(i) < levels.size();
        levels_[i].days->setText(used ? QString::number(levels[i].days) : QString());
        levels_[i].fee->setValue(used ? FromCents(levels[i].fee) : 0);
        levels_[i].letter->setPlainText(used ? levels[i].letter : QString());
    }
    Edit1->setFocus();
}

void TChasing::StringGrid1Changed() {
    const int last = StringGrid1->rowCount() - 1;
    if (last < 0 || !Cell(StringGrid1, last, 0).isEmpty() || !Cell(StringGrid1, last, 1).isEmpty())
        StringGrid1->insertRow(last + 1);
}

void TChasing::BtnSaveClick() {
    std::vector<CustomerTermsText> rows;
    for (int row = 0; row < StringGrid1->rowCount(); ++row)
        rows.push_back({Cell(StringGrid1, row, 0), Cell(StringGrid1, row, 1)});
    std::vector<LevelText> typed;
    for (const LevelBoxes& boxes : levels_) {
        double fee = 0;
        if (!TakeNumber(boxes.fee, &fee)) return;
        typed.push_back({boxes.days->text(), fee, boxes.letter->toPlainText()});
    }
    PaymentTerms terms;
    std::vector<ReminderLevel> levels;
    QString problem = TakeTerms(Edit1->text(), rows, &terms);
    if (problem.isEmpty()) problem = TakeLevels(typed, &levels);
    if (!problem.isEmpty()) {
        prompt::information(this, problem);
        return;
    }
    QString error;
    if (!WriteChasingSettings(terms, levels, &error)) {
        if (!error.isEmpty())
            prompt::warning(
                this, "Unable to save the terms and reminders . . Please try again.\n" + error);
        return;
    }
    accept();
}
