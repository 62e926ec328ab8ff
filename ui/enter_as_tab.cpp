#include "ui/enter_as_tab.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace {

class EnterAsTabFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
        // A Tab sent to the box moves the focus exactly as a typed Tab would.
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(watched, &tab);
        return true;
    }
};

class EnterPressesFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
        if (key->isAutoRepeat()) return true;
        static_cast<QAbstractButton*>(watched)->click();
        return true;
    }
};

}  // namespace

void EnterPresses(QAbstractButton* button) {
    button->installEventFilter(new EnterPressesFilter(button));
}

void EnterAsTab(QWidget* box) {
    box->installEventFilter(new EnterAsTabFilter(box));
}

EnterAsTabEdit::EnterAsTabEdit(QWidget* parent) : QLineEdit(parent) {
    EnterAsTab(this);
}
