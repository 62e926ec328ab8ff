#include "ui/masked_box.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>

#include "ui/enter_as_tab.h"

bool MaskedBox::checking_ = false;

MaskedBox::MaskedBox(QWidget* parent) : QLineEdit(parent) {
    EnterAsTab(this);
    setAcceptDrops(false);
    // Edits made by the line edit itself (its context menu, middle-click paste, input methods)
    // would break the fixed positions: put the box's own text back.
    connect(this, &QLineEdit::textEdited, this, [this] { display(cursorPosition()); });
}

void MaskedBox::setEntryText(const QString& text) {
    entry_ = text;
    display(0);
}

bool MaskedBox::typeSpecial(QChar) {
    return false;
}

void MaskedBox::afterKey() {}

bool MaskedBox::isLeaving(const QFocusEvent* event) {
    return !checking_ && event->reason() != Qt::ActiveWindowFocusReason &&
           event->reason() != Qt::PopupFocusReason;
}

bool MaskedBox::checkOnLeaving(const std::function<bool()>& check) {
    checking_ = true;
    const bool passed = check();
    if (!passed) setFocus(Qt::OtherFocusReason);
    checking_ = false;
    return passed;
}

void MaskedBox::keyPressEvent(QKeyEvent* event) {
    // A read-only box moves its caret and copies, as any line edit does.
    if (isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString typed = event->text();
    if (event->matches(QKeySequence::Paste)) {
        for (QChar c : QApplication::clipboard()->text())
            if (!typeSpecial(c)) typeChar(c);
    } else if (event->matches(QKeySequence::Cut)) {
        copy();
        blankSelection();
    } else if (event->key() == Qt::Key_Backspace) {
        backspace();
    } else if (event->key() == Qt::Key_Delete) {
        deleteForward();
    } else if (!typed.isEmpty() && typed.front().isPrint()) {
        for (QChar c : typed)
            if (!typeSpecial(c)) typeChar(c);
    } else {
        QLineEdit::keyPressEvent(event);
    }
    afterKey();
}

void MaskedBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (event->reason() != Qt::MouseFocusReason && event->reason() != Qt::PopupFocusReason)
        selectAll();
}

void MaskedBox::typeChar(QChar c) {
    int pos = cursorPosition();
    if (hasSelectedText()) {
        pos = selectionStart();
        blankSelection();
    }
    pos = skipFixedForward(pos);
    if (pos >= entry_.size()) return;
    if (!takes(pos, c)) {
        refuse(c);
        return;
    }
    entry_[pos] = c;
    display(skipFixedForward(pos + 1));
}

void MaskedBox::blank(int pos) {
    if (!isFixed(pos)) entry_[pos] = ' ';
}

bool MaskedBox::blankSelection() {
    if (!hasSelectedText()) return false;
    const int start = selectionStart();
    const int end = start + static_cast<int>(selectedText().size());
    for (int pos = start; pos < end; ++pos) blank(pos);
    display(start);
    return true;
}

void MaskedBox::backspace() {
    if (blankSelection()) return;
    int pos = cursorPosition() - 1;
    while (pos >= 0 && isFixed(pos)) --pos;
    if (pos < 0) return;
    blank(pos);
    display(pos);
}

void MaskedBox::deleteForward() {
    if (blankSelection()) return;
    const int pos = skipFixedForward(cursorPosition());
    if (pos >= entry_.size()) return;
    blank(pos);
    display(pos + 1);
}

int MaskedBox::skipFixedForward(int pos) const {
    while (pos < entry_.size() && isFixed(pos)) ++pos;
    return pos;
}

void MaskedBox::display(int caret) {
    setText(QString(entry_).replace(' ', emptyShown()));
    setCursorPosition(caret);
}
