// The files of one backup: how they are written beside the backup already in a directory, and
// where a restore finds them. Each disk of a backup holds its copied files and a manifest,
// corvane-backup.txt:
//   Corvane backup
//   set ID TIME            one id and time for every file of the backup, on every disk of it
//   disk N                 which disk of the backup this is (1 for a backup on one disk)
//   file NAME SIZE MD5     one line per file on this disk
//   complete               on the last disk only: the backup ends here
// A backup is written into the program's own folder corvane-backup-new (db/own_folder.h) beside
// the backup already there; every copy is verified against its original as it is made. The
// manifest goes last into that folder, the copies are read back against it, and only then does
// the new backup take the old one's place: the old manifest goes, the copies are renamed over
// their namesakes, and the new manifest is renamed in last. A backup cut short before its
// manifest is in the folder leaves the old one as it was. Where the folder has a manifest, it
// holds the newer backup: a swap cut short (each file there or already swapped in), or a disk
// of a backup spread over several disks, which stays in the folder (the user said to go on to
// the next disk, so no Cancel can come back to it). A restore reads the folder's manifest first
// and the files from both places; the next backup to the directory finishes the swap before it
// begins. A directory without any manifest holds a backup made before manifests: its files are
// taken as they are.
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include "db/file_copy.h"

// The manifest's file name on each disk of a backup.
inline constexpr const char* kManifestName = "corvane-backup.txt";

struct Manifest {
    QString setId;
    QString time;
    int disk = 1;
    bool complete = false;
    // Keyed by the name in upper case, as file names match in any letter case.
    QMap<QString, FileSum> files;
    QStringList names;  // as written, in the order written

    void add(const QString& name, const FileSum& sum);
    // The entry of `name` in any letter case, or nothing.
    const FileSum* find(const QString& name) const;
};

QByteArray ManifestText(const Manifest& manifest);
// False with *why when the text is not a whole manifest.
bool ParseManifest(const QByteArray& text, Manifest* manifest, QString* why);

// Writes one backup to `dir`, a disk at a time.
class BackupWriter {
public:
    // A new backup with a fresh set id and the time now, starting on disk 1.
    explicit BackupWriter(const QString& dir);
    ~BackupWriter();
    BackupWriter(const BackupWriter&) = delete;
    BackupWriter& operator=(const BackupWriter&) = delete;

    // Prepares the disk now in the directory: finishes a swap a backup left cut short, discards
    // what an abandoned one left, and makes the folder the copies go into. False with *error.
    bool beginDisk(QString* error);
    bool diskBegun() const { return begun_; }
    // Where the copy of `file` goes on this disk.
    QString stagedPath(const QString& file) const;
    void add(const QString& file, const FileSum& sum);
    bool diskHasFiles() const { return !manifest_.names.isEmpty(); }
    // Writes the manifest into the folder and reads every copy back against it; `last` marks
    // the backup complete. The old backup on the disk is still as it was, but a restore now
    // reads the new one. False with *error.
    bool closeDisk(bool last, QString* error);
    // After closeDisk(false): the next disk, which begins empty.
    void nextDisk();
    // closeDisk(true), then the new backup takes the old one's place on this disk. False with
    // *error; before the swap the old backup is then as it was, and a swap cut short leaves the
    // new one whole in the folder.
    bool finishDisk(QString* error);
    // Discards this disk's copies, leaving the old backup as it was.
    void abandonDisk();

private:
    QString dir_;
    QString staging_;
    Manifest manifest_;
    bool begun_ = false;
};

// The disk of a backup now in `dir`, as a restore finds it.
class BackupDisk {
public:
    explicit BackupDisk(const QString& dir);

    // False when the manifest there cannot be read (*why in problem()).
    bool readable() const { return problem_.isEmpty(); }
    const QString& problem() const { return problem_; }
    // Whether the disk has a manifest: a backup made before manifests has none.
    bool hasManifest() const { return hasManifest_; }
    const Manifest& manifest() const { return manifest_; }
    // The path of `file` on this disk, or empty when it is not there (or, with a manifest, not
    // listed in it).
    QString locate(const QString& file) const;

private:
    QString dir_;
    QString staging_;  // a swap cut short: the folder holding the manifest and the rest
    bool hasManifest_ = false;
    Manifest manifest_;
    QString problem_;
};
