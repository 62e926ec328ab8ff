// What start-up checks in the data directory (the current directory) before it opens anything:
// that the supplied tables are there, and that no other Corvane is working on them. corvane-admin
// takes the same lock before it changes any file.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QLockFile;

// The tables the program needs and never creates.
QStringList DataFileNames();
// True when every one of them is in the current directory (letter case does not matter).
bool DataFilesPresent();

// The lock file that keeps a second Corvane off the data directory.
inline constexpr const char* kLockFileName = "corvane.lck";

// True when fileName (or the file a link of that name leads to) is in the data directory and is
// one of its data files by its extension in any letter case: a table, memo, index, group,
// journal or lock file, or what a rewrite leaves beside a table. Outputs written for the user
// never go there.
bool IsDataDirectoryFile(const QString& fileName);

// Takes the data directory's lock for this program; nothing when another running Corvane holds
// it. A lock left behind by a program that has ended (it crashed) is taken over. The lock lasts
// until the returned object is destroyed.
std::unique_ptr<QLockFile> LockDataDirectory();
