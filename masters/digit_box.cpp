#include "masters/digit_box.h"

DigitBox::DigitBox(QWidget* parent) : MaskedBox(parent) {
    setEntryText(" ");
}

int DigitBox::value() const {
    return entryText().trimmed().toInt();
}

void DigitBox::setValue(int value) {
    setEntryText(QString::number(value));
}

bool DigitBox::takes(int, QChar c) const {
    return (c >= '0' && c <= '9') || c == ' ';
}
