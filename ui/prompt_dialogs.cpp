#include "ui/prompt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QShortcut>

#include "ui/form_help.h"

namespace prompt {
namespace {

QString titleOr(const QString& title) {
    return title.isEmpty() ? QApplication::applicationName() : title;
}

// A file to open, chosen in the program's own file dialog so that F1 there shows the topic.
QString OpenFileWithHelp(const Request& r) {
    QFileDialog dialog(r.parent, r.text, r.value, r.filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* help = new QShortcut(QKeySequence::HelpContents, &dialog);
    QObject::connect(help, &QShortcut::activated, &dialog, [&r] { RequestHelp(r.helpTopic); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace

Reply ShowDialog(const Request& r) {
    QWidget* parent = r.parent;
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
                QMessageBox::warning(
                    parent, titleOr(r.title), r.text, QMessageBox::Ok | QMessageBox::Cancel,
                    r.cancelDefault ? QMessageBox::Cancel : QMessageBox::Ok) == QMessageBox::Ok;
            break;
        case Kind::Input:
            reply.text = QInputDialog::getText(parent, titleOr(r.title), r.text, QLineEdit::Normal,
                                               r.value, &reply.accepted);
            break;
        case Kind::OpenFile:
            reply.text = r.helpTopic > 0
                             ? OpenFileWithHelp(r)
                             : QFileDialog::getOpenFileName(parent, r.text, r.value, r.filter);
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

void UseDialogs() {
    setHandler(ShowDialog);
}

}  // namespace prompt
