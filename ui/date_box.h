// The date box and the check every date entry goes through. The box holds a date in the short
// date format (ShortDateFormat: two digits each for day, month and year, in the locale's order,
// with its separator fixed in place); day and month positions take a digit or a blank, year
// positions a digit. Typing follows the fixed-position rules of MaskedBox; typing the date
// separator moves the caret to the start of the next part unless it is at the start of a part
// already, so "3/1/26" and "03/01/26" both give 03/01/26.
// Leaving the box runs CheckDateText: a date is rewritten in normal form, anything else brings
// "Invalid Date Entered" with the format expected, and the focus goes back into the box.
#pragma once

#include "ui/masked_box.h"

// "Invalid Date Entered" and the format a date is expected in ("Please enter the date as
// MM/DD/YY.").
QString InvalidDateMessage();
// If `text` is a date in the short date format (ShortTextToDate), rewrites it in that format and
// gives true; otherwise warns with InvalidDateMessage and gives false, leaving the text as it is.
bool CheckDateText(QString& text, QWidget* parent = nullptr);

class DateBox : public MaskedBox {
    Q_OBJECT
public:
    // An empty box (blank day, month and year).
    explicit DateBox(QWidget* parent = nullptr);

    // The date in the box passed through FixCentury; 0 with *ok false when it is not a date.
    double value(bool* ok = nullptr) const;
    // Shows the date part of a date value.
    void setValue(double date);

protected:
    bool isFixed(int pos) const override;
    bool takes(int pos, QChar c) const override;
    bool typeSpecial(QChar c) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QString format_;  // the short date format, e.g. "MM/dd/yy"
};
