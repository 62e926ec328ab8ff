#include "db/backup_folder.h"

#include <QDir>
#include <QFileInfo>

#include "db/backup.h"

bool HoldsBackup(const QString& dir) {
    const QDir folder(dir);
    for (const QString& name : BackupFileNames())
        if (QFileInfo::exists(folder.filePath(name))) return true;
    return false;
}

QString NoBackupMessage(const QString& dir) {
    return "There is no backup in " + QDir::toNativeSeparators(QDir::cleanPath(dir)) +
           ".\nChoose the folder the backup was made to.";
}
