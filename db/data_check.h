// Verifying a data directory (the current one) against the supplied tables: no change left
// unfinished by a crash, every table present
// with its memo file and index files, its fields and tags as described, the engine's own check
// of each table, memo file and index, the one record of CVN1 and ImpDirs, and no customer,
// invoice or product number used twice.
#pragma once

#include <QStringList>

// One line per problem; empty when everything is whole. Needs DbContext; leaves no table open.
QStringList CheckDataFiles();

// The cheap check of start-up: each table's header and its memo file's against their sizes, no
// record read. One line per damaged table, naming the file and what is wrong.
QStringList DamagedTableHeaders();
