#include "db/backup_set.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <memory>

#include "db/own_folder.h"
#include "db/program_state.h"

namespace {

constexpr const char* kHeading = "Corvane backup";
constexpr const char* kStagingName = "corvane-backup-new";
// A manifest is under a kilobyte; the room taken for it is one block of most file systems.
constexpr qsizetype kManifestRoom = 4096;
constexpr qint64 kMaxManifest = kManifestRoom;

std::string Std(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool Failed(QString* error, const xbase::Status& status) {
    *error = QString::fromStdString(status.message());
    return false;
}

// The manifest at `path`: false when there is none; *problem set when it cannot be read.
bool ReadManifest(const QString& path, Manifest* manifest, QString* problem) {
    QFile file(path);
    if (!file.exists()) return false;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxManifest) {
        *problem = path + " cannot be read as the list of the backup's files";
        return true;
    }
    QString why;
    if (!ParseManifest(file.readAll(), manifest, &why)) *problem = path + ": " + why;
    return true;
}

bool WriteFile(const QString& path, const QByteArray& bytes, QString* error) {
    xbase::Env* env = DbContext->env();
    std::unique_ptr<xbase::File> file;
    xbase::Status s = env->open(Std(path), xbase::OpenMode::Create, &file);
    if (s.ok()) s = file->write(0, bytes.constData(), size_t(bytes.size()));
    if (s.ok()) s = file->sync();
    return s.ok() || Failed(error, s);
}

// Moves what the staging folder holds into `dir` as the manifest there lists it: the old
// manifest goes first, the manifest comes last. Can be run again after a crash at any point.
bool Swap(const QString& dir, const QString& staging, const Manifest& manifest, QString* error) {
    xbase::Env* env = DbContext->env();
    const QString oldManifest = FindInDirectory(dir, kManifestName);
    if (env->exists(Std(oldManifest))) {
        if (xbase::Status s = env->remove(Std(oldManifest)); !s.ok()) return Failed(error, s);
        if (xbase::Status s = env->syncDir(Std(dir)); !s.ok()) return Failed(error, s);
    }
    for (const QString& name : manifest.names) {
        const QString staged = QDir(staging).filePath(name);
        if (!env->exists(Std(staged))) continue;  // swapped in before a crash
        if (xbase::Status s = env->rename(Std(staged), Std(FindInDirectory(dir, name))); !s.ok())
            return Failed(error, s);
    }
    if (xbase::Status s = env->rename(Std(QDir(staging).filePath(kManifestName)),
                                      Std(QDir(dir).filePath(kManifestName)));
        !s.ok())
        return Failed(error, s);
    if (xbase::Status s = env->syncDir(Std(dir)); !s.ok()) return Failed(error, s);
    return RemoveOwnFolder(staging, error);
}

}  // namespace

void Manifest::add(const QString& name, const FileSum& sum) {
    files.insert(name.toUpper(), sum);
    names << name;
}

const FileSum* Manifest::find(const QString& name) const {
    const auto at = files.find(name.toUpper());
    return at == files.end() ? nullptr : &*at;
}

QByteArray ManifestText(const Manifest& manifest) {
    QString text = QString(kHeading) + "\n";
    text += "set " + manifest.setId + " " + manifest.time + "\n";
    text += QString("disk %1\n").arg(manifest.disk);
    for (const QString& name : manifest.names) {
        const FileSum& sum = *manifest.find(name);
        text +=
            QString("file %1 %2 %3\n").arg(name).arg(sum.size).arg(QString::fromLatin1(sum.md5));
    }
    if (manifest.complete) text += "complete\n";
    return text.toUtf8();
}

bool ParseManifest(const QByteArray& text, Manifest* manifest, QString* why) {
    *manifest = {};
    const QStringList lines = QString::fromUtf8(text).split('\n', Qt::SkipEmptyParts);
    if (lines.isEmpty() || lines.first() != kHeading) {
        *why = "not a list of a backup's files";
        return false;
    }
    bool haveSet = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList parts = lines[i].split(' ');
        bool ok = parts.size() == 3 && parts[0] == "set";
        if (ok) {
            manifest->setId = parts[1];
            manifest->time = parts[2];
            haveSet = true;
        } else if (parts.size() == 2 && parts[0] == "disk") {
            manifest->disk = parts[1].toInt(&ok);
            ok = ok && manifest->disk >= 1;
        } else if (parts.size() == 4 && parts[0] == "file") {
            const qint64 size = parts[2].toLongLong(&ok);
            ok = ok && size >= 0 && parts[3].size() == 32 && !manifest->find(parts[1]);
            if (ok) manifest->add(parts[1], {size, parts[3].toLatin1()});
        } else {
            ok = parts.size() == 1 && parts[0] == "complete";
            manifest->complete = ok;
        }
        if (!ok) {
            *why = QString("line %1 (\"%2\") is not understood").arg(i + 1).arg(lines[i]);
            return false;
        }
    }
    if (!haveSet) *why = "the backup's id is missing";
    return haveSet;
}

BackupWriter::BackupWriter(const QString& dir)
    : dir_(dir), staging_(QDir(dir).filePath(kStagingName)) {
    manifest_.setId = QUuid::createUuid().toString(QUuid::WithoutBraces);
    manifest_.time = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
}

BackupWriter::~BackupWriter() {
    abandonDisk();
}

bool BackupWriter::beginDisk(QString* error) {
    Manifest left;
    QString problem;
    if (IsOwnFolder(staging_) &&
        ReadManifest(QDir(staging_).filePath(kManifestName), &left, &problem) &&
        problem.isEmpty()) {
        if (!Swap(dir_, staging_, left, error)) return false;
    } else if (!RemoveOwnFolder(staging_, error)) {
        return false;
    }
    if (QFileInfo::exists(staging_)) {
        *error = staging_ +
                 " is in the way: it is not a folder Corvane made, or holds one "
                 "that is not. Move or rename it.";
        return false;
    }
    if (!MakeOwnFolder(staging_, error)) return false;
    begun_ = true;
    // The room for the manifest is taken first, so that a disk the copies fill still takes it.
    return WriteFile(stagedPath(QString(kManifestName) + ".part"), QByteArray(kManifestRoom, '\n'),
                     error);
}

QString BackupWriter::stagedPath(const QString& file) const {
    return QDir(staging_).filePath(file);
}

void BackupWriter::add(const QString& file, const FileSum& sum) {
    manifest_.add(file, sum);
}

bool BackupWriter::closeDisk(bool last, QString* error) {
    manifest_.complete = last;
    const QString part = stagedPath(QString(kManifestName) + ".part");
    const QByteArray text = ManifestText(manifest_);
    if (text.size() > kManifestRoom) {
        *error = "the list of the backup's files is too long";
        return false;
    }
    // Written over the room taken for it, then cut to its length: no new room is needed.
    std::unique_ptr<xbase::File> file;
    xbase::Status s = DbContext->env()->open(Std(part), xbase::OpenMode::ReadWrite, &file);
    if (s.ok()) s = file->write(0, text.constData(), size_t(text.size()));
    if (s.ok()) s = file->truncate(uint64_t(text.size()));
    if (s.ok()) s = file->sync();
    file.reset();
    if (!s.ok()) return Failed(error, s);
    for (const QString& name : manifest_.names) {
        FileSum sum;
        if (!SumOfFile(stagedPath(name), &sum, error)) return false;
        if (!(sum == *manifest_.find(name))) {
            *error = "the copy of " + name + " in " + staging_ + " changed after it was written";
            return false;
        }
    }
    if (xbase::Status s = DbContext->env()->rename(Std(part), Std(stagedPath(kManifestName)));
        !s.ok())
        return Failed(error, s);
    return true;
}

void BackupWriter::nextDisk() {
    begun_ = false;
    manifest_.names.clear();
    manifest_.files.clear();
    ++manifest_.disk;
}

bool BackupWriter::finishDisk(QString* error) {
    if (!closeDisk(true, error)) return false;
    // From here the new backup is whole in the folder; a swap cut short is finished later.
    begun_ = false;
    return Swap(dir_, staging_, manifest_, error);
}

void BackupWriter::abandonDisk() {
    if (!begun_) return;
    begun_ = false;
    manifest_.names.clear();
    manifest_.files.clear();
    QString ignored;  // what stays is removed by the next backup, and never read as a backup
    RemoveOwnFolder(staging_, &ignored);
}

BackupDisk::BackupDisk(const QString& dir) : dir_(dir) {
    // A manifest in the folder is the newer backup's: its swap was cut short, or this is an
    // earlier disk of a backup spread over several.
    const QString staging = QDir(dir).filePath(kStagingName);
    if (IsOwnFolder(staging) &&
        ReadManifest(QDir(staging).filePath(kManifestName), &manifest_, &problem_)) {
        hasManifest_ = true;
        staging_ = staging;
        return;
    }
    hasManifest_ = ReadManifest(FindInDirectory(dir, kManifestName), &manifest_, &problem_);
}

QString BackupDisk::locate(const QString& file) const {
    if (hasManifest_ && !manifest_.find(file)) return {};
    if (!staging_.isEmpty()) {
        const QString staged = FindInDirectory(staging_, file);
        if (QFileInfo::exists(staged)) return staged;
    }
    const QString path = FindInDirectory(dir_, file);
    return QFileInfo::exists(path) ? path : QString();
}
