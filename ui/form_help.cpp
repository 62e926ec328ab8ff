#include "ui/form_help.h"

#include <QShortcut>
#include <QWidget>

std::function<void(const QString& topic)> ShowHelpTopic;

void SetFormHelp(QWidget* form, int topic) {
    SetFormHelp(form, QString::number(topic));
}

void SetFormHelp(QWidget* form, const QString& topic) {
    auto* f1 = new QShortcut(QKeySequence::HelpContents, form);
    QObject::connect(f1, &QShortcut::activated, form, [topic] { RequestHelp(topic); });
}

void RequestHelp(int topic) {
    RequestHelp(QString::number(topic));
}

void RequestHelp(const QString& topic) {
    if (ShowHelpTopic) ShowHelpTopic(topic);
}
