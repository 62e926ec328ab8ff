// The real dialogs behind the prompt layer: message boxes with the buttons each kind of prompt
// offers, the input box and the file dialogs, each over the parent the caller named. The program
// installs them at start-up; tests answer from a script instead.
#pragma once

#include "core/prompt.h"

namespace prompt {

// Shows the dialog the request asks for and waits for the user's answer.
Reply ShowDialog(const Request& request);

// Makes ShowDialog the handler of every prompt.
void UseDialogs();

}  // namespace prompt
