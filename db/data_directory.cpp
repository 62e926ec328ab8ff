#include "db/data_directory.h"

#include <QDir>
#include <QFileInfo>
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

namespace {

bool NamesADataFile(const QFileInfo& info) {
    static const QSet<QString> kSuffixes = {"dbf", "dbt", "ntx", "cgp", "jnl", "lck", "new",
                                            "commit"};
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return !folder.isEmpty() && folder == QDir::current().canonicalPath() &&
           kSuffixes.contains(info.suffix().toLower());
}

}  // namespace

bool IsDataDirectoryFile(const QString& fileName) {
    const QFileInfo info(fileName);
    if (NamesADataFile(info)) return true;
    return info.isSymLink() && NamesADataFile(QFileInfo(info.symLinkTarget()));
}
