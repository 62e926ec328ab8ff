#include "db/staged_files.h"

#include <QDir>
#include <QFile>

#include "db/program_state.h"

namespace {

constexpr const char* kMarkerName = "commit";

QString StagingDir() {
    return QDir::current().absoluteFilePath(kStagingDirName);
}

std::string Std(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool Failed(QString* error, const xbase::Status& status) {
    *error = QString::fromStdString(status.message());
    return false;
}

// Removes the staging directory and everything in it.
bool Discard(QString* error) {
    xbase::Env* env = DbContext->env();
    const QDir staging(StagingDir());
    if (!staging.exists()) return true;
    for (const QString& name : staging.entryList(QDir::Files | QDir::Hidden)) {
        if (xbase::Status s = env->remove(Std(staging.filePath(name))); !s.ok())
            return Failed(error, s);
    }
    if (!QDir::current().rmdir(kStagingDirName)) {
        *error = "cannot remove the directory " + staging.path();
        return false;
    }
    return true;
}

// Moves what the marker lists into the data directory, drops the stale groups, then removes
// the marker and the staging directory. Every step can be run again after a crash.
bool MoveIn(QString* error) {
    xbase::Env* env = DbContext->env();
    const QDir staging(StagingDir());
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
    return Discard(error);
}

}  // namespace

StagedFiles::StagedFiles() {
    if (!Discard(&error_)) return;
    if (!QDir::current().mkdir(kStagingDirName))
        error_ = "cannot make the directory " + StagingDir();
}

StagedFiles::~StagedFiles() {
    // Only unfinished work is discarded here; what cannot be removed now is removed at the next
    // start, and it is never taken for data.
    QString ignored;
    if (!committed_ && ok() && !QFile::exists(path(kMarkerName))) Discard(&ignored);
}

QString StagedFiles::dir() const {
    return StagingDir();
}

QString StagedFiles::path(const QString& fileName) const {
    return StagingDir() + "/" + fileName;
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
    committed_ = MoveIn(&error_);
    return committed_;
}

bool FinishStagedFiles(bool* finished, QString* error) {
    *finished = false;
    if (!QDir(StagingDir()).exists()) return true;
    if (!QFile::exists(QDir(StagingDir()).filePath(kMarkerName))) return Discard(error);
    *finished = MoveIn(error);
    return *finished;
}
