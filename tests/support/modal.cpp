#include "tests/support/modal.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <memory>

namespace {

void poll(std::shared_ptr<std::function<void(QWidget*)>> action,
          std::shared_ptr<QElapsedTimer> clock, int timeoutMs) {
    if (QWidget* w = QApplication::activeModalWidget()) {
        (*action)(w);
        return;
    }
    if (clock->elapsed() > timeoutMs) {
        ADD_FAILURE() << "no modal dialog appeared within " << timeoutMs << " ms";
        return;
    }
    QTimer::singleShot(10, [=] { poll(action, clock, timeoutMs); });
}

}  // namespace

void onNextModal(std::function<void(QWidget*)> action, int timeoutMs) {
    auto shared = std::make_shared<std::function<void(QWidget*)>>(std::move(action));
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QTimer::singleShot(0, [=] { poll(shared, clock, timeoutMs); });
}
