// The two directories orders are imported from: InfoDir for the customer information files,
// OrderDir for the order files, kept in the one record of the table ImpDirs (opened alone, in
// record order, only for the moment of a read or a write). A table that cannot be opened ends
// the program through OpenFailed, as every other table does.
#pragma once

#include <QString>

// The directories as last read or written, trimmed when read.
extern QString InfoDir;
extern QString OrderDir;

// The most characters stored of each directory.
inline constexpr int kMaxImportDirLength = 126;

// Reads the directories; both empty when ImpDirs holds no record. False when the table could
// not be opened (the program is then ending).
bool ReadImportDirs();

// Stores InfoDir and OrderDir, each cut to kMaxImportDirLength characters, in the first record
// (appended when there is none). False when a directory holds a character a table cannot store,
// or the record did not reach the file, with *error saying why (empty when the program is
// ending because the table could not be opened).
bool WriteImportDirs(QString* error);
