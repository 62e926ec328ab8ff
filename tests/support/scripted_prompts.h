// Answers the program's prompts from a script while it lives. Each expected prompt names its kind
// and a piece of its text; prompts must come in the order expected. An unexpected prompt fails
// the test and is answered as cancelled; an expected one that never came fails the test when the
// script ends.
#pragma once

#include <QStringList>
#include <deque>

#include "core/prompt.h"

class ScriptedPrompts {
public:
    ScriptedPrompts();
    ~ScriptedPrompts();
    ScriptedPrompts(const ScriptedPrompts&) = delete;
    ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;

    // Expects a prompt of `kind` whose text contains `textPart`, answered with `reply`.
    ScriptedPrompts& expect(prompt::Kind kind, const QString& textPart,
                            prompt::Reply reply = {true, {}});

    // Every prompt seen so far, in order, as "Kind: text".
    const QStringList& seen() const { return seen_; }
    // How many of the prompts seen had Cancel as their default button.
    int cancelDefaults() const { return cancelDefaults_; }
    // Expected prompts that have not come yet.
    int pending() const { return static_cast<int>(script_.size()); }

private:
    struct Step {
        prompt::Kind kind;
        QString textPart;
        prompt::Reply reply;
    };
    prompt::Reply answer(const prompt::Request& request);

    std::deque<Step> script_;
    QStringList seen_;
    int cancelDefaults_ = 0;
    prompt::Handler previous_;
};

QString kindName(prompt::Kind kind);
