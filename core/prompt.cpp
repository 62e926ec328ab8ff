#include "app/entry/prompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace prompt {
namespace {

Handler& installed() {
    static Handler handler;
    return handler;
}

QString titleOr(const QString& title) {
    return title.isEmpty() ? QApplication::applicationName() : title;
}

Reply showReal(const Request& r, QWidget* parent) {
    Reply reply;
    switch (r.kind) {
        case Kind::Information:
            QMessageBox::information(parent, titleOr(r.title), r.text);
            reply.accepted = true;
            break;
        case Kind::Warning:
            QMessageBox::warning(parent, titleOr(r.title), r.text);
            reply.accepted = true;
            break;
        case Kind::Question:
            reply.accepted =
                QMessageBox::question(parent, titleOr(r.title), r.text,
                                      QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
            break;
        case Kind::Confirm:
            reply.accepted =
                QMessageBox::question(parent, titleOr(r.title), r.text,
                                      QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
            break;
        case Kind::WarningConfirm:
            reply.accepted =
                QMessageBox::warning(parent, titleOr(r.title), r.text,
                                     QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
            break;
        case Kind::Input:
            reply.text = QInputDialog::getText(parent, titleOr(r.title), r.text, QLineEdit::Normal,
                                               r.value, &reply.accepted);
            break;
        case Kind::OpenFile:
            reply.text = QFileDialog::getOpenFileName(parent, r.text, r.value, r.filter);
            reply.accepted = !reply.text.isEmpty();
            break;
        case Kind::SaveFile:
            reply.text = QFileDialog::getSaveFileName(parent, r.text, r.value, r.filter);
            reply.accepted = !reply.text.isEmpty();
            break;
        case Kind::Directory:
            reply.text = QFileDialog::getExistingDirectory(parent, r.text, r.value);
            reply.accepted = !reply.text.isEmpty();
            break;
    }
    return reply;
}

Reply ask(QWidget* parent, Request r) {
    if (installed()) return installed()(r);
    return showReal(r, parent);
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

std::optional<QString> input(QWidget* parent, const QString& title, const QString& label,
                             const QString& value) {
    return textOf(ask(parent, {Kind::Input, title, label, value, {}}));
}

std::optional<QString> openFileName(QWidget* parent, const QString& caption, const QString& start,
                                    const QString& filter) {
    return textOf(ask(parent, {Kind::OpenFile, {}, caption, start, filter}));
}

std::optional<QString> saveFileName(QWidget* parent, const QString& caption, const QString& start,
                                    const QString& filter) {
    return textOf(ask(parent, {Kind::SaveFile, {}, caption, start, filter}));
}

std::optional<QString> directory(QWidget* parent, const QString& caption, const QString& start) {
    return textOf(ask(parent, {Kind::Directory, {}, caption, start, {}}));
}

}  // namespace prompt
