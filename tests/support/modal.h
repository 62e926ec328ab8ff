// Acts on the next modal dialog: schedules `action` to run on the dialog that becomes
// QApplication::activeModalWidget(), so a test can click through a form shown with exec().
// The wait is bounded: if no modal dialog appears within `timeoutMs` the test fails and the
// action is dropped.
#pragma once

#include <functional>

class QWidget;

void onNextModal(std::function<void(QWidget*)> action, int timeoutMs = 5000);
