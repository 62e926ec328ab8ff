#include "tests/support/scripted_prompts.h"

#include <gtest/gtest.h>

QString kindName(prompt::Kind kind) {
    switch (kind) {
        case prompt::Kind::Information:
            return "Information";
        case prompt::Kind::Warning:
            return "Warning";
        case prompt::Kind::Question:
            return "Question";
        case prompt::Kind::Confirm:
            return "Confirm";
        case prompt::Kind::WarningConfirm:
            return "WarningConfirm";
        case prompt::Kind::Input:
            return "Input";
        case prompt::Kind::OpenFile:
            return "OpenFile";
        case prompt::Kind::SaveFile:
            return "SaveFile";
        case prompt::Kind::Directory:
            return "Directory";
    }
    return "?";
}

ScriptedPrompts::ScriptedPrompts() {
    previous_ = prompt::setHandler([this](const prompt::Request& r) { return answer(r); });
}

ScriptedPrompts::~ScriptedPrompts() {
    prompt::setHandler(std::move(previous_));
    for (const Step& s : script_)
        ADD_FAILURE() << "expected prompt never came: " << kindName(s.kind).toStdString() << ": "
                      << s.textPart.toStdString();
}

ScriptedPrompts& ScriptedPrompts::expect(prompt::Kind kind, const QString& textPart,
                                         prompt::Reply reply) {
    script_.push_back({kind, textPart, std::move(reply)});
    return *this;
}

prompt::Reply ScriptedPrompts::answer(const prompt::Request& request) {
    const QString line = kindName(request.kind) + ": " + request.text;
    seen_ << line;
    if (request.cancelDefault) ++cancelDefaults_;
    if (script_.empty()) {
        ADD_FAILURE() << "unexpected prompt: " << line.toStdString();
        return {};
    }
    Step step = script_.front();
    script_.pop_front();
    if (step.kind != request.kind || !request.text.contains(step.textPart)) {
        ADD_FAILURE() << "prompt " << line.toStdString() << " came where "
                      << kindName(step.kind).toStdString() << " containing \""
                      << step.textPart.toStdString() << "\" was expected";
        return {};
    }
    return step.reply;
}
