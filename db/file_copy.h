// Copying whole data files between directories, verified: the copy is written beside its
// destination, made durable, read back and compared with the original (size and checksum), and
// only then renamed over the destination, so that a destination file is always either what it
// was or a whole, verified copy. File names match in any letter case, as the engine's do.
#pragma once

#include <QString>

// The path of the file in `dir` whose name matches `fileName` in any letter case, or
// dir/fileName when there is none.
QString FindInDirectory(const QString& dir, const QString& fileName);

// Copies `from` to `to` as described above; false with *reason saying why. All file access goes
// through the engine context's Env, so that tests can make it fail.
bool CopyVerified(const QString& from, const QString& to, QString* reason);
