#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QDialog>
#include <QPushButton>
#include <QTimer>

#include "core/prompt.h"
#include "tests/support/modal.h"
#include "tests/support/scripted_prompts.h"

using prompt::Kind;

TEST(Prompt, ScriptAnswersInOrderAndRecordsWhatWasAsked) {
    ScriptedPrompts script;
    script.expect(Kind::Question, "Delete this", {false, {}})
        .expect(Kind::Input, "Number", {true, "42"})
        .expect(Kind::SaveFile, "Save Report", {true, "/tmp/r.txt"})
        .expect(Kind::Information, "Saved");

    EXPECT_FALSE(prompt::question(nullptr, "Delete this record?"));
    EXPECT_EQ(prompt::input(nullptr, "Go to", "Number:").value_or("none"), "42");
    EXPECT_EQ(prompt::saveFileName(nullptr, "Save Report As").value_or(""), "/tmp/r.txt");
    prompt::information(nullptr, "Saved.");
    EXPECT_EQ(script.pending(), 0);
    EXPECT_EQ(script.seen().size(), 4);
    EXPECT_EQ(script.seen().front(), "Question: Delete this record?");
}

TEST(Prompt, CancelledInputAndFileDialogsGiveNothing) {
    ScriptedPrompts script;
    script.expect(Kind::Input, "Name", {false, "typed"})
        .expect(Kind::OpenFile, "Open", {false, {}});
    EXPECT_FALSE(prompt::input(nullptr, "t", "Name:").has_value());
    EXPECT_FALSE(prompt::openFileName(nullptr, "Open").has_value());
}

TEST(Prompt, UnexpectedOrMismatchedOrMissingPromptsFailTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPrompts script;
            prompt::warning(nullptr, "Invalid Date Entered");
        },
        "unexpected prompt: Warning: Invalid Date Entered");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPrompts script;
            script.expect(Kind::Warning, "Invalid Date");
            EXPECT_FALSE(prompt::question(nullptr, "Invalid Date?"));
        },
        "was expected");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPrompts script;
            script.expect(Kind::Information, "Saved");
        },
        "expected prompt never came");
}

TEST(Prompt, ScriptEndRestoresThePreviousHandler) {
    int outerCalls = 0;
    prompt::setHandler([&](const prompt::Request&) {
        ++outerCalls;
        return prompt::Reply{true, {}};
    });
    {
        ScriptedPrompts script;
        script.expect(Kind::Question, "inner");
        EXPECT_TRUE(prompt::question(nullptr, "inner"));
    }
    EXPECT_TRUE(prompt::question(nullptr, "outer"));
    EXPECT_EQ(outerCalls, 1);
    prompt::setHandler({});
}

TEST(Modal, ActsOnTheDialogShownWithExec) {
    QDialog dialog;
    auto* ok = new QPushButton("OK", &dialog);
    ok->setObjectName("BtnOK");
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    bool acted = false;
    onNextModal([&](QWidget* w) {
        acted = true;
        EXPECT_EQ(w, &dialog);
        w->findChild<QPushButton*>("BtnOK")->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(acted);
}
