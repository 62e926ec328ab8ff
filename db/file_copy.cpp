#include "db/file_copy.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <memory>
#include <vector>

#include "db/program_state.h"

namespace {

constexpr size_t kChunk = 1 << 20;

std::string Std(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Reads the whole file, adding it to *hash; its size in *size.
xbase::Status HashFile(xbase::Env* env, const std::string& path, QCryptographicHash* hash,
                       uint64_t* size) {
    std::unique_ptr<xbase::File> file;
    XBASE_TRY(env->open(path, xbase::OpenMode::ReadOnly, &file));
    std::vector<char> buffer(kChunk);
    *size = 0;
    for (;;) {
        size_t got = 0;
        XBASE_TRY(file->read(*size, kChunk, buffer.data(), &got));
        hash->addData(QByteArrayView(buffer.data(), qsizetype(got)));
        *size += got;
        if (got < kChunk) return {};
    }
}

// Copies the file, hashing what was read; the copy is made durable.
xbase::Status CopyFile(xbase::Env* env, const std::string& from, const std::string& to,
                       QCryptographicHash* hash, uint64_t* size) {
    std::unique_ptr<xbase::File> source;
    std::unique_ptr<xbase::File> copy;
    XBASE_TRY(env->open(from, xbase::OpenMode::ReadOnly, &source));
    XBASE_TRY(env->open(to, xbase::OpenMode::Create, &copy));
    std::vector<char> buffer(kChunk);
    *size = 0;
    for (;;) {
        size_t got = 0;
        XBASE_TRY(source->read(*size, kChunk, buffer.data(), &got));
        hash->addData(QByteArrayView(buffer.data(), qsizetype(got)));
        XBASE_TRY(copy->write(*size, buffer.data(), got));
        *size += got;
        if (got < kChunk) break;
    }
    return copy->sync();
}

}  // namespace

QString FindInDirectory(const QString& dir, const QString& fileName) {
    const QDir d(dir);
    for (const QString& name : d.entryList(QDir::Files | QDir::Hidden)) {
        if (name.compare(fileName, Qt::CaseInsensitive) == 0) return d.filePath(name);
    }
    return d.filePath(fileName);
}

bool CopyVerified(const QString& from, const QString& to, QString* reason, FileSum* sum) {
    xbase::Env* env = DbContext->env();
    const std::string part = Std(to + ".part");
    QCryptographicHash original(QCryptographicHash::Md5);
    QCryptographicHash copied(QCryptographicHash::Md5);
    uint64_t originalSize = 0;
    uint64_t copiedSize = 0;
    xbase::Status s = CopyFile(env, Std(from), part, &original, &originalSize);
    if (s.ok()) s = HashFile(env, part, &copied, &copiedSize);
    if (s.ok() && (copiedSize != originalSize || copied.result() != original.result()))
        s = xbase::Status(xbase::kErrWrite, "the copy of " + Std(from) + " in " + part +
                                                " differs from the original");
    if (s.ok()) s = env->rename(part, Std(to));
    if (s.ok()) {
        if (sum) *sum = {qint64(copiedSize), copied.result().toHex()};
        return true;
    }
    *reason = QString::fromStdString(s.message());
    // The partial copy goes; should that fail too, it is left under a name nothing reads.
    if (xbase::Status removed = env->remove(part); !removed.ok())
        *reason += "\n" + QString::fromStdString(removed.message());
    return false;
}

bool SumOfFile(const QString& path, FileSum* sum, QString* reason) {
    QCryptographicHash hash(QCryptographicHash::Md5);
    uint64_t size = 0;
    if (xbase::Status s = HashFile(DbContext->env(), Std(path), &hash, &size); !s.ok()) {
        *reason = QString::fromStdString(s.message());
        return false;
    }
    *sum = {qint64(size), hash.result().toHex()};
    return true;
}
