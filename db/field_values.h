// How the program's values go into fields and come back: texts cut to 59 characters, memos
// without trailing blanks and at most 32,000 characters, dates as "yyyymmdd" text (a blank
// date reads as now), logicals as "T"/"F". Texts are stored one byte per character in the
// tables' code page (core/code_page.h), so a field's width is its width in characters; a text
// with a character the code page cannot hold is not written: the field keeps its value and the
// write is the context's pending error. Memos keep their line ends as carriage return and line
// feed.
#pragma once

#include <QString>

#include "db/xbase/xbase.h"

inline constexpr int kMaxTextWrite = 59;
inline constexpr int kMaxMemoWrite = 32000;

QString ReadText(const xbase::Field* field);
void WriteText(xbase::Field* field, const QString& text);
// Stores the text cut only by the field's width.
void WriteWholeText(xbase::Field* field, const QString& text);

QString ReadMemo(const xbase::Field* field);
void WriteMemo(xbase::Field* field, const QString& text);

double ReadDate(const xbase::Field* field);
void WriteDate(xbase::Field* field, double date);

void WriteLogical(xbase::Field* field, bool value);

// "%*.2f" of a numeric field's value at least `width` characters wide, the text
// QString::asprintf gives the field's asDouble: written from the field's digits when they hold a
// plain amount (core/money.h PlainCents) with no blank among them, else through asprintf.
QString ReadAmount(const xbase::Field* field, int width);

// The text without trailing blanks and control characters.
QString TrimRight(const QString& text);

// Seeks the key (KeyText of it in the code page, up to a character it cannot hold) in the table's
// selected tag; the result goes to LastRc and is returned.
int Seek(xbase::Table* table, const QString& key);

// Looks up a field that is not bound at open; nullptr (and no pending error) when the table has
// none, so that reading gives the empty value and writing skips it.
xbase::Field* LookUpField(xbase::Table* table, const char* name);
