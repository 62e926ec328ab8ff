#include "db/staged_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "db/own_folder.h"
#include "db/program_state.h"

namespace {

constexpr const char* kMarkerName = "commit";
// Names tried after kStagingDirName when a folder of that name is not the program's.
constexpr int kOtherNames = 9;

QStringList StagingDirs() {
    QStringList dirs = {QDir::current().absoluteFilePath(kStagingDirName)};
    for (int n = 2; n <= kOtherNames + 1; ++n)
        dirs << QDir::current().absoluteFilePath(QString("%1-%2").arg(kStagingDirName).arg(n));
    return dirs;
}

std::string Std(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool Failed(QString* error, const xbase::Status& status) {
    *error = QString::fromStdString(status.message());
    return false;
}

// Moves what the marker lists into the data directory, drops the stale groups, then removes
// the marker and the staging directory. Every step can be run again after a crash.
bool MoveIn(const QString& dir, QString* error) {
    xbase::Env* env = DbContext->env();
    const QDir staging(dir);
    QFile marker(staging.filePath(kMarkerName));
    if (!marker.open(QIODevice::ReadOnly)) {
        *error = "cannot read " + marker.fileName();
        return false;
    }
    QStringList files;
    QStringList tables;
    for (const QString& line :
         QString::fromUtf8(marker.readAll()).split('\n', Qt::SkipEmptyParts)) {
        if (line.startsWith("file ")) files << line.mid(5);
        if (line.startsWith("table ")) tables << line.mid(6);
    }
    marker.close();
    for (const QString& file : files) {
        const std::string from = Std(staging.filePath(file));
        if (!env->exists(from)) continue;  // moved before the interruption
        if (xbase::Status s = env->rename(from, DbContext->resolve(file.toStdString())); !s.ok())
            return Failed(error, s);
    }
    for (const QString& table : tables) {
        const std::string group = DbContext->resolve((table + ".cgp").toStdString());
        if (xbase::Status s = env->remove(group); !s.ok()) return Failed(error, s);
    }
    if (xbase::Status s = env->syncDir(DbContext->dir()); !s.ok()) return Failed(error, s);
    return RemoveOwnFolder(dir, error);
}

}  // namespace

StagedFiles::StagedFiles() {
    // The first name that is free or the program's own; what an abandoned operation left there
    // goes first.
    for (const QString& dir : StagingDirs()) {
        if (!RemoveOwnFolder(dir, &error_)) return;
        if (QFileInfo::exists(dir)) continue;
        dir_ = dir;
        MakeOwnFolder(dir, &error_);
        return;
    }
    error_ = "every name for a staging folder in " + QDir::currentPath() +
             " is taken by a folder that is not Corvane's";
}

StagedFiles::~StagedFiles() {
    // Only unfinished work is discarded here; what cannot be removed now is removed at the next
    // start, and it is never taken for data.
    QString ignored;
    if (!committed_ && ok() && !QFile::exists(path(kMarkerName))) RemoveOwnFolder(dir_, &ignored);
}

QString StagedFiles::dir() const {
    return dir_;
}

QString StagedFiles::path(const QString& fileName) const {
    return dir_ + "/" + fileName;
}

bool StagedFiles::commit(const QStringList& files, const QStringList& staleTables) {
    xbase::Env* env = DbContext->env();
    QString text;
    for (const QString& file : files) text += "file " + file + "\n";
    for (const QString& table : staleTables) text += "table " + table + "\n";
    const QByteArray bytes = text.toUtf8();
    const std::string pending = Std(path(QString(kMarkerName) + ".new"));
    std::unique_ptr<xbase::File> marker;
    xbase::Status s = env->open(pending, xbase::OpenMode::Create, &marker);
    if (s.ok()) s = marker->write(0, bytes.constData(), size_t(bytes.size()));
    if (s.ok()) s = marker->sync();
    marker.reset();
    // The rename makes the marker whole and durable in one step: from here the move is done,
    // now or at the next start.
    if (s.ok()) s = env->rename(pending, Std(path(kMarkerName)));
    if (!s.ok()) return Failed(&error_, s);
    committed_ = MoveIn(dir_, &error_);
    return committed_;
}

bool StagedFilesLeft() {
    for (const QString& dir : StagingDirs())
        if (IsOwnFolder(dir)) return true;
    return false;
}

bool FinishStagedFiles(bool* finished, QString* error) {
    *finished = false;
    for (const QString& dir : StagingDirs()) {
        if (!IsOwnFolder(dir) || !QFile::exists(QDir(dir).filePath(kMarkerName))) {
            if (!RemoveOwnFolder(dir, error)) return false;
            continue;
        }
        if (!MoveIn(dir, error)) return false;
        *finished = true;
    }
    return true;
}
