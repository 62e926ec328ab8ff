// Backup, restore and erase of the business data. A backup copies the tables and memo files
// (not CVN1, the import directories or the index files) to another directory and verifies every
// copy against its original (size and checksum); a restore copies them back as one whole, so
// that a failure leaves the data directory as it was; an erase empties the business tables as
// one whole, keeping LABELS and the settings. Messages go through core/prompt.h, progress
// to the Progress handler; every operation runs with no table open and leaves none open.
#pragma once

#include <QString>
#include <QStringList>

// The copied files, in the order they are copied.
QStringList BackupFileNames();

// True when `dir` names the data directory (the current directory) itself, however written.
bool IsDataDirectory(const QString& dir);

// Copies the tables and memo files to `dir` (toBackup) or from it into the data directory.
// True when every file was copied and verified. On false the user has been told why a file
// failed, except for the caller's closing message ("Backup Failed ..." or "Restore Failed ...");
// the progress box stays for the caller to hide. A failed backup keeps on `dir` the files
// copied before the failing one, each whole; a failed restore changes nothing.
bool CopyDataFiles(bool toBackup, const QString& dir);

// Empties the business tables after the warning; LABELS, CVN1 and the import directories stay.
// False when the user cancelled or the erase failed (and was told); the tables are then as they
// were.
bool EraseAll();
