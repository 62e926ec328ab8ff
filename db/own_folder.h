// Folders the program makes for its own work inside a directory the user chose or owns: the
// staging folder of a restore or erase in the data directory, and the folder a backup is
// written into beside the last one. Each is made fresh and carries a mark file, so that a folder
// of the same name that a user made is never taken for one, emptied or removed. Files in the
// folder are removed through the engine context's Env, so that tests can make that fail.
#pragma once

#include <QString>

// Makes the folder at `path` (which must not exist) and marks it as the program's; false with
// *error saying why.
bool MakeOwnFolder(const QString& path, QString* error);

// True when `path` is a folder the program made and marked (a mark cut short included).
bool IsOwnFolder(const QString& path);

// Removes a folder the program made with its files, the mark last, so that a removal cut short
// leaves a folder still known as the program's. A folder without the mark is left alone unless
// it is empty (true: it is not the program's to remove); so is one holding a folder someone put
// there, once its own files and mark are gone. False with *error saying why.
bool RemoveOwnFolder(const QString& path, QString* error);
