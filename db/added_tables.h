// The tables added after the first data directories were made (payment terms, reminder levels,
// the record of reminder runs, the mail settings and the log of documents sent by e-mail). Each
// holds nothing a data directory needs to start: a directory that lacks one gets it, empty, and an
// empty one stands for the defaults.
#pragma once

#include <QStringList>

// The added tables' names, as their files are named without extension.
QStringList AddedTables();

// Makes each added table, empty, that the data directory lacks. False when one could not be
// made: the engine's reason has been told and the program is ending (ExitOnError).
bool MakeAddedTablesWhenMissing();
