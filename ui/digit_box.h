// A masked box of digit positions (one unless told) that take a digit or a blank: the number of
// labels across, and a starting column and row of labels.
#pragma once

#include "ui/masked_box.h"

class DigitBox : public MaskedBox {
    Q_OBJECT
public:
    explicit DigitBox(QWidget* parent = nullptr, int positions = 1);

    // The number in the box; 0 when it is blank or its digits are split by a blank.
    int value() const;
    void setValue(int value);

protected:
    bool isFixed(int) const override { return false; }
    bool takes(int pos, QChar c) const override;

private:
    int positions_;
};
