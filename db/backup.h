// Backup, restore and erase of the business data. A backup copies the tables and memo files and
// the settings tables CVN1, ImpDirs and Terms (not the index files) to another directory, beside
// the backup already there, with a list of its files (db/backup_set.h); every copy is verified
// against its original, and the new backup takes the old one's place only when whole. A restore
// takes the files of one whole backup, asking for each further disk, checks them against that
// list and copies them back as one whole, so that a failure leaves the data directory as it was;
// an erase empties the business tables as one whole, keeping LABELS and the settings. Messages
// go through core/prompt.h, progress to the Progress handler; every operation runs with no table
// open and leaves none open.
#pragma once

#include <QString>
#include <QStringList>

// The copied files, in the order they are copied.
QStringList BackupFileNames();

// True when `dir` names the data directory (the current directory) itself, however written.
bool IsDataDirectory(const QString& dir);

// Copies the data files to `dir` (toBackup) or from it into the data directory. True when every
// file was copied and verified. On false the user has been told why, and *closing (when given)
// is the caller's closing message ("Backup Failed . . The disk is full.", "Restore Failed ...");
// the progress box stays for the caller to hide. A failed backup leaves the backup that was in
// `dir` as it was; a failed restore changes nothing. A backup first undoes a change a crash
// left unfinished in the data files, or is refused.
bool CopyDataFiles(bool toBackup, const QString& dir, QString* closing = nullptr);

// Empties the business tables after the warning; LABELS, CVN1 and the import directories stay.
// False when the user cancelled or the erase failed (and was told); the tables are then as they
// were.
bool EraseAll();
