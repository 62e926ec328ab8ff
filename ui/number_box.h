// The number box for amounts, quantities and measures. It is built from a printf-style format
// ("%8.2f": eight characters with two decimals) and holds a text of that width with the locale's
// decimal separator fixed in place: integer positions take a digit, a blank or a sign, decimal
// positions a digit. Typing follows the fixed-position rules of MaskedBox, and:
// - empty positions show as blanks, and a letter or any other character that is no part of a
//   number is refused with a beep and a note beside the box (kRefusedNote);
// - the box is entered by mouse as by Tab: a click that gives it the focus selects the whole
//   text, so that the digits typed become the value;
// - typing the decimal separator reformats the text typed so far with FormatNumberText, so that
//   the digits right-align before the separator, and puts the caret right after the separator
//   (when the text is not a number yet it stays as it is, and only the caret moves);
// - leaving the box reformats it with FormatNumberText; when the text is not a number the user
//   is told "'<text>' is not a valid floating point value" and the box keeps its text;
// - a box may show its text in red while it holds a "-": checked on leaving, or also after every
//   key;
// - leaving the box emits left(), after the reformatting, for forms that recompute from it.
// A number too wide for the format widens the integer part; the separator stays the last but
// the decimals.
#pragma once

#include "core/convert.h"
#include "ui/masked_box.h"

class NumberBox : public MaskedBox {
    Q_OBJECT
public:
    static const QString kRefusedNote;

    enum class RedNegative { Never, OnLeave, OnEveryKey };  // OnEveryKey checks on leaving too

    // Throws std::invalid_argument when `format` is not "%W.Df" (see ParseNumberFormat).
    NumberBox(const QString& format, RedNegative red, QWidget* parent = nullptr);

    // The number in the box; 0 with *ok false when its text is not a number.
    double value(bool* ok = nullptr) const;
    // Shows the value in the box's format (and its colour, for a box that turns red).
    void setValue(double value);

signals:
    // The user left the box; its text has been reformatted (when it holds a number).
    void left();

protected:
    bool isFixed(int pos) const override { return pos == separatorAt(); }
    bool takes(int pos, QChar c) const override;
    bool typeSpecial(QChar c) override;
    void afterKey() override;
    QChar emptyShown() const override { return ' '; }
    void refuse(QChar c) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int separatorAt() const;
    void updateColour();

    NumberFormat format_;
    RedNegative red_;
    QChar point_;
    QColor normalText_;
    bool selectOnPress_ = false;  // the focus came by a click, whose press would place the caret
};
