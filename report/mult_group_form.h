// The group selection dialog: the customer groups listed for the user to choose one or more (or
// all) for a report. It only collects the group numbers; the report takes them as its argument.
#pragma once

#include <QDialog>
#include <QList>

class QListWidget;
class QPushButton;

namespace reports {

// The group numbers chosen at the last use of the dialog, in list order; empty when nothing was
// chosen or the dialog was cancelled.
extern QList<int> ChosenGroups;

class TMultGroup : public QDialog {
    Q_OBJECT
public:
    // GROUPS must be open while the dialog is shown.
    explicit TMultGroup(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void BtnAllClick();
    void BtnRunClick();
    void BtnCancelClick();

    QListWidget* ListBox1;
    QPushButton* BtnRun;
    QPushButton* BtnAll;
    QPushButton* BtnCancel;
};

// Shows the dialog over the open GROUPS table and gives ChosenGroups.
QList<int> AskGroups(QWidget* parent);

}  // namespace reports
