#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>

#include "tests/support/modal.h"
#include "ui/prompt_dialogs.h"

TEST(PromptDialogs, TheRealConfirmationOffersOkAndCancel) {
    const prompt::Handler previous = prompt::setHandler(prompt::ShowDialog);
    for (const bool ok : {true, false}) {
        int buttons = 0;
        onNextModal([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            buttons = static_cast<int>(box->buttons().size());
            ASSERT_NE(box->button(QMessageBox::Ok), nullptr);
            ASSERT_NE(box->button(QMessageBox::Cancel), nullptr);
            box->button(ok ? QMessageBox::Ok : QMessageBox::Cancel)->click();
        });
        EXPECT_EQ(prompt::confirm(nullptr, "Go ahead?"), ok);
        EXPECT_EQ(buttons, 2);
    }
    prompt::setHandler(previous);
}

TEST(PromptDialogs, TheQuestionBeforeALossHasCancelAsItsDefault) {
    const prompt::Handler previous = prompt::setHandler(prompt::ShowDialog);
    QAbstractButton* defaultButton = nullptr;
    QAbstractButton* cancel = nullptr;
    onNextModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        defaultButton = box->defaultButton();
        cancel = box->button(QMessageBox::Cancel);
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_TRUE(prompt::confirmLoss(nullptr, "Delete it?"));
    EXPECT_NE(cancel, nullptr);
    EXPECT_EQ(defaultButton, cancel);
    prompt::setHandler(previous);
}
