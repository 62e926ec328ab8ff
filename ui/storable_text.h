// Boxes that take only what the tables can store: a character the tables' code page cannot hold
// (core/code_page.h), typed, pasted or dropped into the box, is refused where it comes in. The
// box goes back to the text it held before and a warning names the character. Every editor's
// single-line boxes (NamedEdit) and memo boxes (NamedMemo) keep to it.
#pragma once

class QLineEdit;
class QPlainTextEdit;

void KeepStorable(QLineEdit* box);
void KeepStorable(QPlainTextEdit* box);
