// All-or-nothing changes of the open tables. Everything written to the open tables between
// BeginChange and CommitChange reaches the files as one whole: after a failed write, a crash or
// a kill in between, the tables hold either every change or none of it. A change is the
// program's unit of saving: an invoice with its items and payments, a customer, a group delete
// with all its customer moves.
#pragma once

#include <QString>
#include <QStringList>

// Starts a change; false (with *error saying why) when one cannot be started.
bool BeginChange(QString* error = nullptr);
// Writes the current records of every open table and makes the change durable. On any failure,
// during the change or in the commit, every table is put back as it was before BeginChange, the
// open tables are positioned nowhere (the caller positions them again) and *error says why.
bool CommitChange(QString* error = nullptr);
// Undoes the change: every table back as it was before BeginChange.
void RollbackChange();
// True between BeginChange and the end of the change.
bool InChange();

// Undoes a change that a crash or a kill left unfinished in the data directory, and finishes a
// replacement of whole files (db/staged_files.h) interrupted after its commit; call it before
// any table is opened. *undone tells whether a change was undone. A journal that is damaged or
// not these data files' own is never applied: it is kept aside, the tables are checked, and the
// user is told through the prompt layer what was found and what to do. False (with *error
// saying why) when it cannot be undone, and the tables must then not be used.
bool UndoUnfinishedChange(bool* undone, QString* error);

// A pack or memo compaction that a crash interrupted leaves new files beside its table. Where
// the program writes, before any table is opened, FinishInterruptedRewrites puts new files that
// check whole in the table's place and removes the others, keeping the table; *told gets one
// line per table that had any. False (with *error saying why) when it cannot be done, and the
// tables must then not be used.
bool FinishInterruptedRewrites(QStringList* told, QString* error);
// One line per table with such files, saying what FinishInterruptedRewrites will do with them;
// changes nothing.
QStringList InterruptedRewrites();
