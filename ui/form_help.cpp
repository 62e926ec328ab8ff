#include "ui/form_help.h"

#include <QShortcut>
#include <QWidget>

std::function<void(int topic)> ShowHelpTopic;

void SetFormHelp(QWidget* form, int topic) {
    auto* f1 = new QShortcut(QKeySequence::HelpContents, form);
    QObject::connect(f1, &QShortcut::activated, form, [topic] { RequestHelp(topic); });
}

void RequestHelp(int topic) {
    if (ShowHelpTopic) ShowHelpTopic(topic);
}
