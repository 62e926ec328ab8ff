// Acts on the next modal dialog of a given class: a report action may show more than one modal
// dialog in turn, and the one that is still closing must not be taken for the next.
#pragma once

#include <QTimer>
#include <functional>

#include "tests/support/modal.h"

template <typename Dialog>
void onModalOf(std::function<void(Dialog*)> action) {
    onNextModal([action](QWidget* widget) {
        if (auto* dialog = qobject_cast<Dialog*>(widget); dialog && dialog->isVisible()) {
            action(dialog);
            return;
        }
        QTimer::singleShot(10, [action] { onModalOf<Dialog>(action); });
    });
}
