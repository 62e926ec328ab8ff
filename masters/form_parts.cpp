#include "masters/form_parts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include "app/entry/enter_as_tab.h"
#include "app/entry/prompt.h"
#include "db/change.h"
#include "db/program_state.h"
#include "masters/form_help.h"

QLineEdit* NamedEdit(QWidget* form, const char* name, int maxLength) {
    auto* edit = new EnterAsTabEdit(form);
    edit->setObjectName(name);
    if (maxLength > 0) edit->setMaxLength(maxLength);
    return edit;
}

QPushButton* NamedButton(QWidget* form, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, form);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QLabel* NamedLabel(QWidget* form, const char* name, const QString& caption) {
    auto* label = new QLabel(caption, form);
    label->setObjectName(name);
    return label;
}

void SetTabOrder(const QList<QWidget*>& controls) {
    for (qsizetype i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls[i - 1], controls[i]);
}

EditorForm::EditorForm(const char* name, const QString& caption, int helpTopic, QWidget* parent)
    : QDialog(parent) {
    setObjectName(name);
    setWindowTitle(caption);
    setModal(true);
    SetFormHelp(this, helpTopic);
}

void EditorForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void EditorForm::BtnCancelClick() {
    reject();
}

QHBoxLayout* EditorForm::AddFormButtons(QGridLayout* grid, const std::function<void()>& onDelete) {
    BtnSave = NamedButton(this, "BtnSave", "Save");
    if (onDelete) BtnDelete = NamedButton(this, "BtnDelete", "Delete");
    BtnCancel = NamedButton(this, "BtnCancel", "Cancel");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnSave);
    if (BtnDelete) buttons->addWidget(BtnDelete);
    buttons->addWidget(BtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(BtnSave, &QPushButton::clicked, this, [this] { BtnSaveClick(); });
    if (BtnDelete) connect(BtnDelete, &QPushButton::clicked, this, onDelete);
    connect(BtnCancel, &QPushButton::clicked, this, [this] { BtnCancelClick(); });
    return buttons;
}

bool EditorForm::WriteAsOneChange(const QString& what, const std::function<bool()>& write) {
    QString error;
    if (BeginChange(&error)) {
        if (write()) {
            if (CommitChange(&error)) return true;
        } else {
            RollbackChange();
            const int code = DbContext->errorCode();
            error = code < 0 ? QString::fromStdString(DbContext->errorText()) : QString();
        }
    }
    prompt::warning(this, error.isEmpty() ? what : what + "\n" + error);
    return false;
}
