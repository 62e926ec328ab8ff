// A masked box of one position that takes a digit or a blank: the number of labels across.
#pragma once

#include "app/entry/masked_box.h"

class DigitBox : public MaskedBox {
    Q_OBJECT
public:
    explicit DigitBox(QWidget* parent = nullptr);

    // The number in the box; 0 when it is blank.
    int value() const;
    void setValue(int value);

protected:
    bool isFixed(int) const override { return false; }
    bool takes(int pos, QChar c) const override;
};
