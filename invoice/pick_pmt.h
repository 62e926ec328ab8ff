// The payment list of the open invoice: its payments (PmtRows) by date and amount, from which
// the user picks one to change or remove in the payment dialog. The list changes PmtRows and
// closes; the caller recomputes the sums afterwards.
#pragma once

#include <QDialog>

class QPushButton;
class QTableWidget;
class TPmtDef;

class TPickPmt : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 1140;
    explicit TPickPmt(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void BtnSelectClick();
    void StringGrid1DblClick();
    void BtnCancelClick();

    QTableWidget* StringGrid1 = nullptr;
    QPushButton* BtnSelect = nullptr;
    QPushButton* BtnCancel = nullptr;
    TPmtDef* PmtDef = nullptr;
};
