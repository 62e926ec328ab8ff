// Whether a folder holds a backup of the data files, so that a restore from a folder holding none
// can say so before anything is copied.
#pragma once

#include <QString>

// True when `dir` holds at least one of the files a backup copies (BackupFileNames).
bool HoldsBackup(const QString& dir);

// "There is no backup in " and the folder, for a restore from a folder that holds none.
QString NoBackupMessage(const QString& dir);
