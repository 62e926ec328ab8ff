// Help for the windows of the program. Each window has a help topic: a help context number, or
// the name of a page ("lists" for the pick lists). F1 in the window, and its Help button where it
// has one, ask the handler that the main window installs to show that topic. Until a handler is
// installed there is no help to show and the request is dropped.
#pragma once

#include <QString>
#include <functional>

class QWidget;

extern std::function<void(const QString& topic)> ShowHelpTopic;

// The page that explains the pick lists.
inline const QString kListsHelpTopic = QStringLiteral("lists");

// Gives `form` the F1 key for its help topic.
void SetFormHelp(QWidget* form, int topic);
void SetFormHelp(QWidget* form, const QString& topic);
// Shows the topic through ShowHelpTopic.
void RequestHelp(int topic);
void RequestHelp(const QString& topic);
