// The date range dialog: edits the report date span (the span of the program's report document)
// before a report reads its tables. In its one-date use it asks for a single "as of" date. It
// only collects the dates; the report takes them as its arguments.
#pragma once

#include <QDialog>

class DateBox;
class QCheckBox;
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

    // The help topic F1 shows: the dialog's own (520) unless another use gives its own.
    void SetHelpTopic(int topic) { helpTopic_ = topic; }

    // The aging report's two choices below the date, shown while on; unchecked when shown.
    void SetAgingChoices(bool on);
    bool ByInvoiceDate() const;
    bool ListEachInvoice() const;

protected:
    void showEvent(QShowEvent* event) override;
    // Enter in the last date box runs the report, as OK does.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void BtnOKClick();
    void BtnCancelClick();

    bool oneDate_ = false;
    int helpTopic_ = 520;
    QLabel* Label1;
    DateBox* MaskEdit1;
    QLabel* Label2;
    DateBox* MaskEdit2;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;
};

// DefaultSpan done by the caller: shows the dialog on the report's span. True after OK.
bool AskDateSpan(QWidget* parent);

// The one-date use, opening on today, its box labelled `caption` ("Inventory as Of:" unless
// given), F1 showing `helpTopic` when given instead of the dialog's own. True after OK; the date
// is then the span's start.
bool AskAsOfDate(QWidget* parent, const QString& caption = {}, int helpTopic = 0);

// The help topics of the aging report and of the reminder letters.
inline constexpr int kAgingHelpTopic = 590;
inline constexpr int kRemindersHelpTopic = 595;

// The one-date use for the aging report, "Aging as of:" opening on today, with its choices
// "Age by invoice date" and "List each invoice". True after OK; the date is then the span's
// start and the choices are in *byInvoiceDate and *detail.
bool AskAgingDate(QWidget* parent, bool* byInvoiceDate, bool* detail);

}  // namespace reports
