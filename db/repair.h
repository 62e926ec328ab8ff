// Repair of a damaged data directory (the current one), as corvane-admin repair runs it: each
// table's file is mended as trusted xBase tools mend it (record count from the file size, bad
// deletion flags, a tail of records with bad flags cut off, memo pointers past the end of the
// memo file), after a copy of every file it
// changes is kept in a dated folder beside them; then every index is re-created. Needs DbContext
// and the data directory's lock; leaves no table open.
#pragma once

#include <QString>
#include <QStringList>

struct RepairResult {
    // The dated folder holding the copies ("repair-2026-12-07-124500"); empty when no table
    // needed mending.
    QString folder;
    // The files copied there, the changes made, and what of a record could not be kept.
    QStringList copied;
    QStringList mended;
    QStringList lost;
    // The tables that could not be mended, each with the reason; they were left as they were.
    QStringList failed;
};

// Mends every table that needs it and re-creates every index group. False when a table could
// not be mended, its copy not made, or the indexes not re-created (each said in *result or by
// the data store).
bool RepairDataFiles(RepairResult* result);
