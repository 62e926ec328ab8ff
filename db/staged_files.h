// Replacing several data files as one whole. Whole-file operations (restore, erase, upgrade)
// cannot run inside an engine change, so they prepare the new files in a staging directory
// inside the data directory and then move them over the old ones behind a commit marker:
//   1. the new files are written into kStagingDirName and verified there;
//   2. commit() writes the marker (the list of files and of tables whose index groups go stale)
//      and makes it durable;
//   3. every staged file is renamed over its namesake in the data directory (same file system,
//      so each rename is atomic), then the group files of the stale tables are removed, so that
//      the next index rebuild, or start-up, re-creates them;
//   4. the marker and the staging directory go.
// A crash before step 2 leaves the old files untouched and the staging directory is discarded
// at the next start; a crash after it is finished at the next start (FinishStagedFiles).
// The staging directory is one of the program's own folders (db/own_folder.h): a folder of its
// name that a user made is never used, emptied or removed; the next name is taken instead.
#pragma once

#include <QString>
#include <QStringList>

// The staging directory's name inside the data directory, when no folder of a user has it
// (then kStagingDirName-2, -3, ... are tried).
inline constexpr const char* kStagingDirName = "corvane-staged";

class StagedFiles {
public:
    // Starts a fresh staging directory in the current directory, discarding what an abandoned
    // operation left there; ok() is false (error() says why) when it cannot be made.
    StagedFiles();
    // Discards the staging directory unless commit() succeeded.
    ~StagedFiles();
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;

    bool ok() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }
    // The staging directory's path, without a trailing separator.
    QString dir() const;
    // The path at which a file to be moved into the data directory is staged.
    QString path(const QString& fileName) const;

    // Moves the staged files `files` into the data directory and drops the index groups of
    // `staleTables`. False with error() saying why; when the marker was already written the
    // move is finished at the next start, and finished() tells whether it was finished now.
    bool commit(const QStringList& files, const QStringList& staleTables);

private:
    QString dir_;
    QString error_;
    bool committed_ = false;
};

// True when a staging directory of the program's is in the data directory: files are being
// replaced, or a replacement was cut short and the next start finishes or discards it.
bool StagedFilesLeft();

// Finishes a move that a crash interrupted after its marker was written, or discards a staging
// directory left without one. Runs before any table is opened; *finished tells whether a move
// was finished. False (with *error saying why) when the directory cannot be put in order.
bool FinishStagedFiles(bool* finished, QString* error);
