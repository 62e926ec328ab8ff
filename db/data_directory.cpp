#include "db/data_directory.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
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

namespace {

// Bytes enough for the holder's line.
constexpr qsizetype kHolderBytes = 200;

QString HolderOf(int fd) {
    char text[kHolderBytes] = {};
    const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
    const QString holder =
        got > 0 ? QString::fromUtf8(text, got).section(u'\n', 0, 0).trimmed() : QString();
    return holder.isEmpty() ? QStringLiteral("another program") : holder;
}

std::unique_ptr<DataDirectoryLock> Refused(LockRefusal* refusal, LockRefusal::Kind kind,
                                           const QString& detail) {
    *refusal = {kind, detail};
    return nullptr;
}

std::unique_ptr<DataDirectoryLock> RefusedFor(LockRefusal* refusal, int error) {
    const QString reason = QString::fromLocal8Bit(std::strerror(error));
    if (error == EROFS || error == EACCES || error == EPERM)
        return Refused(refusal, LockRefusal::ReadOnly, reason);
    if (error == ENOSPC || error == EDQUOT) return Refused(refusal, LockRefusal::DiskFull, reason);
    return Refused(refusal, LockRefusal::Failed, reason);
}

}  // namespace

DataDirectoryLock::~DataDirectoryLock() {
    // Removed while still held: whoever opened the old file finds, once it has the lock, that
    // the name now leads elsewhere, and tries again.
    ::unlink(path_.constData());
    ::close(fd_);
}

std::unique_ptr<DataDirectoryLock> LockDataDirectory(const QString& holder, LockRefusal* refusal) {
    const QByteArray path = QFile::encodeName(QDir::current().absoluteFilePath(kLockFileName));
    for (;;) {
        // Never through a link: the lock's line would be written into the file it leads to.
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0 && errno == ELOOP)
            return Refused(refusal, LockRefusal::Failed,
                           QStringLiteral("%1 is a link to another file, not a lock file; remove "
                                          "the link, then try again")
                               .arg(kLockFileName));
        if (fd < 0) return RefusedFor(refusal, errno);
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            const QString holderText = HolderOf(fd);
            ::close(fd);
            if (error == EWOULDBLOCK) return Refused(refusal, LockRefusal::Held, holderText);
            return RefusedFor(refusal, error);
        }
        struct stat locked {};
        struct stat named {};
        if (::fstat(fd, &locked) != 0 || ::stat(path.constData(), &named) != 0 ||
            locked.st_ino != named.st_ino || locked.st_dev != named.st_dev) {
            ::close(fd);  // the holder removed it as it let go: lock the new one
            continue;
        }
        const QByteArray line = QStringLiteral("%1, process %2\n")
                                    .arg(holder)
                                    .arg(::getpid())
                                    .toUtf8()
                                    .left(kHolderBytes - 1);
        if (::ftruncate(fd, 0) != 0 ||
            ::pwrite(fd, line.constData(), static_cast<size_t>(line.size()), 0) != line.size()) {
            const int error = errno;
            ::close(fd);
            return RefusedFor(refusal, error);
        }
        return std::make_unique<DataDirectoryLock>(fd, path);
    }
}

QString LockRefusalMessage(const LockRefusal& refusal) {
    switch (refusal.kind) {
        case LockRefusal::Held:
            return "The data files in this directory are in use by " + refusal.detail + ".";
        case LockRefusal::ReadOnly:
            return "The data directory cannot be written (" + refusal.detail +
                   "): Corvane cannot work on the data files here.";
        case LockRefusal::DiskFull:
            return "The disk holding the data files is full (" + refusal.detail +
                   "): free some space, then try again.";
        case LockRefusal::Failed:
            break;
    }
    return "The data directory cannot be locked: " + refusal.detail;
}

namespace {

// Whether a file name ends as the engine's and the program's own files do.
bool HasDataFileSuffix(const QFileInfo& info) {
    static const QSet<QString> kSuffixes = {"dbf", "dbt", "ntx",    "cgp", "jnl",
                                            "lck", "new", "commit", "id"};
    return kSuffixes.contains(info.suffix().toLower());
}

bool NamesADataFile(const QFileInfo& info) {
    if (!HasDataFileSuffix(info)) return false;
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return !folder.isEmpty() && folder == QDir::current().canonicalPath();
}

}  // namespace

// The directory's own entries are in it: only their names are looked at.
QStringList NamesDifferingOnlyInCase() {
    QMap<QString, QStringList> byName;
    for (const QString& name : QDir::current().entryList(QDir::Files, QDir::Name))
        if (HasDataFileSuffix(QFileInfo(name))) byName[name.toLower()] << name;
    QStringList clashes;
    for (const QStringList& names : std::as_const(byName))
        if (names.size() > 1) clashes << names.join(" and ");
    return clashes;
}

bool IsDataDirectoryFile(const QString& fileName) {
    const QFileInfo info(fileName);
    if (NamesADataFile(info)) return true;
    return info.isSymLink() && NamesADataFile(QFileInfo(info.symLinkTarget()));
}
