// Enter as Tab: in every single-line box of an editor the Enter and Return keys are swallowed and
// the focus moves to the next control in tab order, so Enter walks through a form and never
// presses its default button. Multi-line boxes keep Enter for new lines and do not use this.
// On a button that has the focus, Enter presses it, as Space does.
#pragma once

#include <QAbstractButton>
#include <QLineEdit>

// Gives `box` the Enter-as-Tab behaviour (through an event filter owned by the box).
void EnterAsTab(QWidget* box);

// A line edit with the Enter-as-Tab behaviour.
class EnterAsTabEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit EnterAsTabEdit(QWidget* parent = nullptr);
};

// Enter and Return press `button` while it has the focus. The editors' buttons are never
// default buttons (Enter in a box moves on instead), so without this Enter on them does nothing.
void EnterPresses(QAbstractButton* button);
