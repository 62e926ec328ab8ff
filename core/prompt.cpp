#include "core/prompt.h"

#include <cstdio>

namespace prompt {
namespace {

Handler& installed() {
    static Handler handler;
    return handler;
}

// With no handler installed nobody can answer: the message goes to the error stream and every
// question is declined.
Reply printToStandardError(const Request& r) {
    std::fprintf(stderr, "%s\n", qPrintable(r.text));
    return {};
}

Reply ask(QWidget* parent, Request r) {
    r.parent = parent;
    if (installed()) return installed()(r);
    return printToStandardError(r);
}

std::optional<QString> textOf(const Reply& reply) {
    if (!reply.accepted) return std::nullopt;
    return reply.text;
}

}  // namespace

Handler setHandler(Handler handler) {
    Handler old = std::move(installed());
    installed() = std::move(handler);
    return old;
}

void information(QWidget* parent, const QString& text, const QString& title) {
    ask(parent, {Kind::Information, title, text, {}, {}});
}

void warning(QWidget* parent, const QString& text, const QString& title) {
    ask(parent, {Kind::Warning, title, text, {}, {}});
}

bool question(QWidget* parent, const QString& text, const QString& title) {
    return ask(parent, {Kind::Question, title, text, {}, {}}).accepted;
}

bool confirm(QWidget* parent, const QString& text, const QString& title) {
    return ask(parent, {Kind::Confirm, title, text, {}, {}}).accepted;
}

bool warningConfirm(QWidget* parent, const QString& text, const QString& title) {
    return ask(parent, {Kind::WarningConfirm, title, text, {}, {}}).accepted;
}

bool confirmLoss(QWidget* parent, const QString& text, const QString& title) {
    Request r{Kind::WarningConfirm, title, text, {}, {}};
    r.cancelDefault = true;
    return ask(parent, r).accepted;
}

std::optional<QString> input(QWidget* parent, const QString& title, const QString& label,
                             const QString& value) {
    return textOf(ask(parent, {Kind::Input, title, label, value, {}}));
}

std::optional<QString> openFileName(QWidget* parent, const QString& caption, const QString& start,
                                    const QString& filter, int helpTopic) {
    Request r{Kind::OpenFile, {}, caption, start, filter};
    r.helpTopic = helpTopic;
    return textOf(ask(parent, r));
}

std::optional<QString> saveFileName(QWidget* parent, const QString& caption, const QString& start,
                                    const QString& filter) {
    return textOf(ask(parent, {Kind::SaveFile, {}, caption, start, filter}));
}

std::optional<QString> directory(QWidget* parent, const QString& caption, const QString& start) {
    return textOf(ask(parent, {Kind::Directory, {}, caption, start, {}}));
}

}  // namespace prompt
