#include "ui/digit_box.h"

DigitBox::DigitBox(QWidget* parent, int positions) : MaskedBox(parent), positions_(positions) {
    setEntryText(QString(positions, u' '));
}

int DigitBox::value() const {
    return entryText().trimmed().toInt();
}

void DigitBox::setValue(int value) {
    setEntryText(QString::number(value).leftJustified(positions_, u' ', true));
}

bool DigitBox::takes(int, QChar c) const {
    return (c >= '0' && c <= '9') || c == ' ';
}
