// The date range dialog: edits the report date span (the span of the program's report document)
// before a report reads its tables. In its one-date use it asks for a single "as of" date. It
// only collects the dates; the report takes them as its arguments.
#pragma once

#include <QDialog>

class DateBox;
class QLabel;
class QPushButton;

namespace reports {

// True when the last use of the dialog ended without OK.
extern bool SpanCancelled;

class TDateSpan : public QDialog {
    Q_OBJECT
public:
    explicit TDateSpan(QWidget* parent = nullptr);

    // One-date use: only the first box, labelled `caption` ("Inventory as Of:" unless given);
    // its date goes to SpanStart and the ending box is neither read nor compared. Off puts the
    // dialog back.
    void SetOneDate(bool oneDate, const QString& caption = {});

protected:
    void showEvent(QShowEvent* event) override;
    // Enter in the last date box runs the report, as OK does.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void BtnOKClick();
    void BtnCancelClick();

    bool oneDate_ = false;
    QLabel* Label1;
    DateBox* MaskEdit1;
    QLabel* Label2;
    DateBox* MaskEdit2;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;
};

// DefaultSpan done by the caller: shows the dialog on the report's span. True after OK.
bool AskDateSpan(QWidget* parent);

// The one-date use, opening on today, its box labelled `caption` ("Inventory as Of:" unless
// given). True after OK; the date is then the span's start.
bool AskAsOfDate(QWidget* parent, const QString& caption = {});

}  // namespace reports
