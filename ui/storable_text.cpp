#include "ui/storable_text.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <algorithm>
#include <memory>

#include "core/code_page.h"
#include "core/prompt.h"

namespace {

// Where the caret goes back to: where it was, less what the refused change added before it.
int CaretBefore(int caret, qsizetype grownBy, qsizetype size) {
    return static_cast<int>(
        std::clamp<qsizetype>(caret - std::max<qsizetype>(grownBy, 0), 0, size));
}

}  // namespace

void KeepStorable(QLineEdit* box) {
    auto accepted = std::make_shared<QString>(box->text());
    QObject::connect(box, &QLineEdit::textChanged, box, [accepted](const QString& text) {
        if (FirstUnstorable(text).isEmpty()) *accepted = text;
    });
    QObject::connect(box, &QLineEdit::textEdited, box, [box, accepted](const QString& text) {
        const QString foreign = FirstUnstorable(text);
        if (foreign.isEmpty()) return;
        const int caret =
            CaretBefore(box->cursorPosition(), text.size() - accepted->size(), accepted->size());
        box->setText(*accepted);
        box->setCursorPosition(caret);
        prompt::warning(box, UnstorableMessage(foreign));
    });
}

void KeepStorable(QPlainTextEdit* box) {
    auto accepted = std::make_shared<QString>(box->toPlainText());
    QObject::connect(box, &QPlainTextEdit::textChanged, box, [box, accepted] {
        const QString text = box->toPlainText();
        const QString foreign = FirstUnstorable(text);
        if (foreign.isEmpty()) {
            *accepted = text;
            return;
        }
        const int caret = CaretBefore(box->textCursor().position(), text.size() - accepted->size(),
                                      accepted->size());
        box->setPlainText(*accepted);
        QTextCursor cursor = box->textCursor();
        cursor.setPosition(caret);
        box->setTextCursor(cursor);
        prompt::warning(box, UnstorableMessage(foreign));
    });
}
