// Keeping the data files in order: re-creating the index groups of the eight business tables
// from their tag definitions, and packing away the records that deletions have only marked.
// Both run with no table open and leave none open; progress goes to the Progress handler.
#pragma once

#include <QString>
#include <QStringList>

struct TableSchema;

// Re-creates index groups. onlyMissing (start-up): only the groups of which a file is missing
// or does not fit its table (another table's or data set's, damaged, or missing entries),
// without progress. Otherwise every group, with progress. A table that cannot be opened or
// indexed ends the program (ExitOnError); false when that end is held off. First makes the
// tables added since the first data directories when they are missing (MakeAddedTablesWhenMissing).
bool RebuildIndexes(bool onlyMissing);

// True when an index file or group file of a business table is missing (start-up would re-create
// it).
bool IndexFilesMissing();

// Packs the eight business tables with progress, compacting the memo files of CUST5, INV5 and
// Prod5, and clears PackPending. Returns one line per table that could not be packed and was
// left as it was: its name and the reason ("PMT: ...: No space left on device").
QStringList PackAll();

// Packs one table (with its tags, which the pack rebuilds) and optionally compacts its memo
// file. A table that cannot be opened or packed is left unchanged; false then, with *why
// saying why.
bool PackTable(const QString& name, bool compactMemo, QString* why = nullptr);

// What the user is told when PackAll returns lines.
QString PackFailureMessage(const QStringList& failed);

// The index files and group file of a business table, in the order the rebuild checks them.
QStringList IndexFiles(const TableSchema& table);
