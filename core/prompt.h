// The one layer through which the program asks the user anything: information and warning
// boxes, yes/no questions, input boxes and file dialogs. Whoever runs the program installs the
// handler that answers: the window program the real dialogs (ui/prompt_dialogs.h), corvane-admin
// its error stream, a test a script (tests/support/scripted_prompts.h), so no test ever waits on
// a modal box. With none installed a message goes to the error stream and is not answered.
#pragma once

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace prompt {

enum class Kind {
    Information,
    Warning,
    Question,
    Confirm,
    WarningConfirm,
    Input,
    OpenFile,
    SaveFile,
    Directory
};

struct Request {
    Kind kind;
    QString title;
    QString text;                // the message, the input label, or the file dialog's caption
    QString value;               // the input box's initial text, or the file dialog's start path
    QString filter;              // file dialogs only
    QWidget* parent = nullptr;   // the window the dialog belongs to, if any
    bool cancelDefault = false;  // OK and Cancel boxes: Cancel is the button Enter presses
    int helpTopic = 0;           // file dialogs: the help topic F1 shows there; 0 for none
};

// accepted: OK or Yes pressed, or a file chosen; text: the typed text or the chosen path.
struct Reply {
    bool accepted = false;
    QString text;
};

using Handler = std::function<Reply(const Request&)>;

// Installs the handler that answers every prompt; an empty handler puts back the error stream.
// Returns the handler that was installed before.
Handler setHandler(Handler handler);

// Shows a message box with an OK button.
void information(QWidget* parent, const QString& text, const QString& title = {});
void warning(QWidget* parent, const QString& text, const QString& title = {});

// Asks a question with Yes and No buttons; true for Yes.
bool question(QWidget* parent, const QString& text, const QString& title = {});
// A message box with OK and Cancel buttons, as a question or as a warning; true for OK.
bool confirm(QWidget* parent, const QString& text, const QString& title = {});
bool warningConfirm(QWidget* parent, const QString& text, const QString& title = {});
// The question before something is destroyed or thrown away: a warning with OK and Cancel in
// which Cancel is the default, so that Enter keeps what is there; true for OK.
bool confirmLoss(QWidget* parent, const QString& text, const QString& title = {});

// An input box; nothing when cancelled.
std::optional<QString> input(QWidget* parent, const QString& title, const QString& label,
                             const QString& value = {});

// File dialogs; nothing when cancelled. F1 in the open dialog shows `helpTopic` when given.
std::optional<QString> openFileName(QWidget* parent, const QString& caption,
                                    const QString& start = {}, const QString& filter = {},
                                    int helpTopic = 0);
std::optional<QString> saveFileName(QWidget* parent, const QString& caption,
                                    const QString& start = {}, const QString& filter = {});
std::optional<QString> directory(QWidget* parent, const QString& caption,
                                 const QString& start = {});

}  // namespace prompt
