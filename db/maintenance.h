// Keeping the data files in order: re-creating the index groups of the eight business tables
// from their tag definitions, and packing away the records that deletions have only marked.
// Both run with no table open and leave none open; progress goes to the Progress handler.
#pragma once

#include <QString>
#include <QStringList>

struct TableSchema;

// Re-creates index groups. onlyMissing (start-up): only the groups of which a file is missing,
// without progress. Otherwise every group, with progress. A table that cannot be opened or
// indexed ends the program (ExitOnError); false when that end is held off.
bool RebuildIndexes(bool onlyMissing);

// True when an index file or group file of a business table is missing (start-up would re-create
// it).
bool IndexFilesMissing();

// Packs the eight business tables with progress, compacting the memo files of CUST5, INV5 and
// Prod5, and clears PackPending. Returns the tables that could not be packed (skipped silently).
QStringList PackAll();

// Packs one table (with its tags, which the pack rebuilds) and optionally compacts its memo
// file. A table that cannot be opened is left unchanged; false then, or when the pack failed.
bool PackTable(const QString& name, bool compactMemo);

// The index files and group file of a business table, in the order the rebuild checks them.
QStringList IndexFiles(const TableSchema& table);
