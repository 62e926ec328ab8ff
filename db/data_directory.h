// What start-up checks in the data directory (the current directory) before it opens anything:
// that the supplied tables are there, that no two data files differ only in letter case, and
// that no other Corvane is working on them. corvane-admin takes the same lock before it changes
// any file, and the outputs written for the user keep off the data files.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <utility>

// The tables the program needs and never creates.
QStringList DataFileNames();
// True when every one of them is in the current directory (letter case does not matter).
bool DataFilesPresent();

// The data files of the current directory whose names differ only in letter case, one line per
// such name: "PROD5.DBF and Prod5.dbf". Where there are any, nobody can tell which file holds the
// data, and the data files are not opened.
QStringList NamesDifferingOnlyInCase();

// The lock file that keeps a second Corvane off the data directory.
inline constexpr const char* kLockFileName = "corvane.lck";

// True when fileName (or the file a link of that name leads to) is in the data directory and is
// one of its data files by its extension in any letter case: a table, memo, index, group,
// journal or lock file, or what a rewrite leaves beside a table. Outputs written for the user
// never go there.
bool IsDataDirectoryFile(const QString& fileName);

// The data directory's lock: the kernel's advisory lock on the lock file, held while the object
// lives and let go by the kernel when the process ends, however it ends. The file's existence
// and content mean nothing to the lock (a file left by a killed process is simply locked
// again); the content only names the holder for whoever is kept out.
class DataDirectoryLock {
public:
    DataDirectoryLock(int fd, QByteArray path) : fd_(fd), path_(std::move(path)) {}
    DataDirectoryLock(const DataDirectoryLock&) = delete;
    DataDirectoryLock& operator=(const DataDirectoryLock&) = delete;
    // Removes the lock file and lets go.
    ~DataDirectoryLock();

private:
    int fd_;
    QByteArray path_;
};

// Why the lock was not taken.
struct LockRefusal {
    enum Kind { Held, ReadOnly, DiskFull, Failed };
    Kind kind = Failed;
    // Held: what holds the lock, as its holder wrote it; otherwise the system's reason.
    QString detail;
};

// Takes the data directory's lock for `holder` ("Corvane", "corvane-admin pack"); never waits.
// Nothing when it cannot be taken, with *refusal saying why.
std::unique_ptr<DataDirectoryLock> LockDataDirectory(const QString& holder, LockRefusal* refusal);

// What the user is told about a refusal: who holds the lock, a read-only directory or a full
// disk, each in its own words.
QString LockRefusalMessage(const LockRefusal& refusal);
