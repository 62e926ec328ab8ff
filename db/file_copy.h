// Copying whole data files between directories, verified: the copy is written beside its
// destination, made durable, read back and compared with the original (size and checksum), and
// only then renamed over the destination, so that a destination file is always either what it
// was or a whole, verified copy. File names match in any letter case, as the engine's do.
#pragma once

#include <QByteArray>
#include <QString>

// The path of the file in `dir` whose name matches `fileName` in any letter case, or
// dir/fileName when there is none.
QString FindInDirectory(const QString& dir, const QString& fileName);

// A file's size and checksum (MD5, in hex), to find a damaged or exchanged copy, not to resist
// tampering.
struct FileSum {
    qint64 size = 0;
    QByteArray md5;
    bool operator==(const FileSum&) const = default;
};

// Copies `from` to `to` as described above; false with *reason saying why. *sum, when given,
// gets the copy's size and checksum. All file access goes through the engine context's Env, so
// that tests can make it fail.
bool CopyVerified(const QString& from, const QString& to, QString* reason, FileSum* sum = nullptr);

// Reads the whole file for its size and checksum; false with *reason saying why.
bool SumOfFile(const QString& path, FileSum* sum, QString* reason);
