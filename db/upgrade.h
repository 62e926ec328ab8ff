// The one-time conversion of the earlier product's tables (cust2, Groups, inv, itm4, labels,
// pmt, Prod4, versions 4 and 5) into this program's tables. Groups, labels and payments have the
// current layout and are copied; products, customers, invoices and items are converted record by
// record; the items then take their descriptions from the products. The whole conversion is
// prepared beside the data (db/staged_files.h) and replaces the current business tables as one
// whole, so that a failure half way leaves every table, old and current, as it was. Every old
// table is checked before any is taken (db/taken_tables.h): one of another layout, or damaged,
// stops the conversion with the file and what is wrong. The old tables are only read.
#pragma once

#include <QString>
#include <QStringList>

// The old tables that must all be in the chosen directory.
QStringList OldTableNames();

// Converts the old tables in `dir` after the warning. False when a conversion was started and
// did not finish, an old table failing its check included (the user has been told which and
// why; the data directory is then as it was); true
// otherwise: finished, refused because a table is missing, or cancelled. The index groups of the
// replaced tables are rebuilt; the caller packs.
bool UpgradeData(const QString& dir);
