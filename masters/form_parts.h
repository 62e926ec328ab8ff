// Small pieces the master-data editors are built from: named boxes and buttons, labels, the tab
// order, and running a form's FormShow each time it is shown.
#pragma once

#include <QDialog>
#include <QList>

class QLabel;
class QLineEdit;
class QPushButton;

// A single-line box with the Enter-as-Tab behaviour; maxLength 0 sets no typing limit.
QLineEdit* NamedEdit(QWidget* form, const char* name, int maxLength);
// A button that Enter in a box never presses.
QPushButton* NamedButton(QWidget* form, const char* name, const QString& caption);
QLabel* NamedLabel(QWidget* form, const char* name, const QString& caption);
// Sets the tab order of the controls as listed.
void SetTabOrder(const QList<QWidget*>& controls);

// A modal editor whose FormShow runs each time it is shown.
class EditorForm : public QDialog {
    Q_OBJECT
protected:
    EditorForm(const char* name, const QString& caption, int helpTopic, QWidget* parent);
    virtual void FormShow() = 0;
    void showEvent(QShowEvent* event) override;
};
