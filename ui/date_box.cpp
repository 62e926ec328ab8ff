#include "ui/date_box.h"

#include <QFocusEvent>

#include "core/dates.h"
#include "core/prompt.h"

QString InvalidDateMessage() {
    return "Invalid Date Entered\nPlease enter the date as " + ShortDatePattern() + ".";
}

bool CheckDateText(QString& text, QWidget* parent) {
    const std::optional<double> date = ShortTextToDate(text);
    if (!date) {
        prompt::warning(parent, InvalidDateMessage());
        return false;
    }
    text = DateToShortText(*date);
    return true;
}

DateBox::DateBox(QWidget* parent) : MaskedBox(parent), format_(ShortDateFormat()) {
    QString empty = format_;
    for (QChar& c : empty)
        if (c.isLetter()) c = ' ';
    setEntryText(empty);
}

double DateBox::value(bool* ok) const {
    const std::optional<double> date = ShortTextToDate(entryText());
    if (ok) *ok = date.has_value();
    return date ? FixCentury(*date) : 0.0;
}

void DateBox::setValue(double date) {
    setEntryText(DateToShortText(date));
}

bool DateBox::isFixed(int pos) const {
    return !format_[pos].isLetter();
}

bool DateBox::takes(int pos, QChar c) const {
    return (c >= '0' && c <= '9') || (c == ' ' && format_[pos] != 'y');
}

bool DateBox::typeSpecial(QChar c) {
    const QChar separator = format_[2];
    if (c != separator) return false;
    const int from = hasSelectedText() ? selectionStart() : cursorPosition();
    if (from > 0 && format_[from - 1] == separator) return true;  // already at a part's start
    const qsizetype next = format_.indexOf(separator, from);
    if (next >= 0) setCursorPosition(static_cast<int>(next) + 1);
    return true;
}

void DateBox::focusOutEvent(QFocusEvent* event) {
    MaskedBox::focusOutEvent(event);
    if (!isLeaving(event)) return;
    QString text = entryText();
    if (checkOnLeaving([&] { return CheckDateText(text, this); })) setEntryText(text);
}
