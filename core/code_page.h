// The code page of the program's text in its tables: Windows-1252, one byte per character, the
// Latin-1 letters plus the euro sign, dashes, curly quotes and the few others it puts in 0x80 to
// 0x9F. The tables declare it in their headers, so that other readers decode them the same way.
// A character it cannot hold is never stored as something else: whatever takes text from the
// user or from a file asks FirstUnstorable first and refuses the text with UnstorableMessage.
#pragma once

#include <QByteArray>
#include <QString>
#include <string_view>

// The first character of `text` (a whole character, a surrogate pair included) the code page
// cannot hold; empty when it holds them all.
QString FirstUnstorable(const QString& text);
// "The character "Ł" (U+0141) cannot be stored: ..." for that character.
QString UnstorableMessage(const QString& character);

// The text in the code page, cut just before its first character the code page cannot hold.
QByteArray ToCodePage(const QString& text);
// Bytes of the code page as text; the five bytes the code page leaves undefined come back as
// the control characters of the same numbers, so that every byte reads and writes back as it was.
QString FromCodePage(std::string_view bytes);
