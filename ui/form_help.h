// Help for the forms of the master data. Each form has a help topic number; F1 in the form, and
// its Help button where it has one, ask the handler that the main window installs to show that
// topic. Until a handler is installed there is no help to show and the request is dropped.
#pragma once

#include <functional>

class QWidget;

extern std::function<void(int topic)> ShowHelpTopic;

// Gives `form` the F1 key for its help topic.
void SetFormHelp(QWidget* form, int topic);
// Shows the topic through ShowHelpTopic.
void RequestHelp(int topic);
