#include "db/data_directory.h"

#include <QDir>
#include <QLockFile>
#include <QSet>

QStringList DataFileNames() {
    return {"CVN1.dbf",   "CUST5.dbf", "GROUPS.dbf", "INV5.dbf", "ITM5.dbf",
            "LABELS.dbf", "PMT.dbf",   "Prod5.dbf",  "Pur5.dbf"};
}

bool DataFilesPresent() {
    QSet<QString> present;
    for (const QString& name : QDir::current().entryList(QDir::Files)) present << name.toLower();
    for (const QString& name : DataFileNames()) {
        if (!present.contains(name.toLower())) return false;
    }
    return true;
}

std::unique_ptr<QLockFile> LockDataDirectory() {
    auto lock = std::make_unique<QLockFile>(QDir::current().absoluteFilePath(kLockFileName));
    // A lock is never taken over for its age, only when the program holding it has ended:
    // Corvane may run for days on end.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) return nullptr;
    return lock;
}
