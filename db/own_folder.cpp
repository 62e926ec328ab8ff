#include "db/own_folder.h"

#include <sys/stat.h>
#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>

#include <memory>

#include "db/program_state.h"

namespace {

constexpr const char* kMarkName = ".corvane-own";
constexpr char kMarkText[] =
    "A working folder of Corvane: its files are removed when its work ends.\n";

std::string Std(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool Failed(QString* error, const xbase::Status& status) {
    *error = QString::fromStdString(status.message());
    return false;
}

}  // namespace

bool MakeOwnFolder(const QString& path, QString* error) {
    if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0) {
        *error =
            "cannot make the folder " + path + ": " + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    // The mark is written outside the engine's Env: it is no data file, and the steps that
    // fault tests count stay those of the data files.
    QFile mark(QDir(path).filePath(kMarkName));
    if (mark.open(QIODevice::WriteOnly) &&
        mark.write(kMarkText, sizeof kMarkText - 1) == qint64(sizeof kMarkText - 1) && mark.flush())
        return true;
    // A mark cut short still marks the folder; without one, the empty folder is removed by
    // whoever next finds it.
    *error = mark.fileName() + ": " + mark.errorString();
    return false;
}

bool IsOwnFolder(const QString& path) {
    QFile mark(QDir(path).filePath(kMarkName));
    if (!mark.open(QIODevice::ReadOnly)) return false;
    return QByteArray(kMarkText).startsWith(mark.read(sizeof kMarkText));
}

bool RemoveOwnFolder(const QString& path, QString* error) {
    if (!IsOwnFolder(path)) {
        QDir().rmdir(path);  // an empty folder loses nothing; any other stays
        return true;
    }
    xbase::Env* env = DbContext->env();
    const QDir folder(path);
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (name == kMarkName) continue;
        if (xbase::Status s = env->remove(Std(folder.filePath(name))); !s.ok())
            return Failed(error, s);
    }
    if (QFile mark(folder.filePath(kMarkName)); !mark.remove()) {
        *error = mark.fileName() + ": " + mark.errorString();
        return false;
    }
    // A folder someone put inside is not the program's: the rest stays, no longer marked.
    if (!folder.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty()) return true;
    if (!QDir().rmdir(path)) {
        *error = "cannot remove the folder " + path;
        return false;
    }
    return true;
}
