#include "db/repair.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "db/maintenance.h"
#include "db/program_state.h"
#include "db/schema.h"

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// The engine's pending error, cleared.
QString PendingError() {
    const QString why = Text(DbContext->errorText());
    DbContext->errorCode();
    return why;
}

// Copies `file` of the data directory into `folder`, every write and the commit checked; false
// with *why on failure.
bool KeepCopy(const QString& file, const QString& folder, QString* why) {
    QFile in(file);
    QSaveFile out(QDir(folder).filePath(file));
    if (!in.open(QIODevice::ReadOnly)) {
        *why = file + ": " + in.errorString();
        return false;
    }
    if (!out.open(QIODevice::WriteOnly)) {
        *why = out.fileName() + ": " + out.errorString();
        return false;
    }
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (in.error() != QFileDevice::NoError || out.write(chunk) != chunk.size()) {
            *why = in.error() != QFileDevice::NoError ? file + ": " + in.errorString()
                                                      : out.fileName() + ": " + out.errorString();
            out.cancelWriting();
            return false;
        }
    }
    if (!out.flush() || !out.commit()) {
        *why = out.fileName() + ": " + out.errorString();
        out.cancelWriting();
        return false;
    }
    return true;
}

// The table's files as named in the directory (any letter case) that a repair may change.
QStringList FilesOf(const TableSchema& table) {
    QStringList files;
    for (const char* ext : {".dbf", ".dbt"}) {
        const std::string path = DbContext->resolve(table.name + ext);
        if (DbContext->env()->exists(path)) files << QFileInfo(Text(path)).fileName();
    }
    return files;
}

}  // namespace

bool RepairDataFiles(RepairResult* result) {
    std::vector<const TableSchema*> damaged;
    for (const TableSchema& table : SuppliedSchema().tables) {
        xbase::Context::Repair repair;
        if (DbContext->repairTable(table.name, false, &repair) < 0)
            result->failed << Text(table.name) + ": " + PendingError();
        else if (repair.needed())
            damaged.push_back(&table);
    }
    if (!damaged.empty()) {
        result->folder = "repair-" + QDateTime::currentDateTime().toString("yyyy-MM-dd-HHmmss");
        if (!QDir().mkpath(result->folder)) {
            result->failed << result->folder + ": the folder for the copies cannot be made";
            return false;
        }
    }
    for (const TableSchema* table : damaged) {
        QString why;
        bool kept = true;
        for (const QString& file : FilesOf(*table)) {
            kept = KeepCopy(file, result->folder, &why);
            if (!kept) break;
            result->copied << file;
        }
        if (!kept) {
            result->failed << Text(table->name) + ": no copy could be kept (" + why + ")";
            continue;
        }
        xbase::Context::Repair repair;
        if (DbContext->repairTable(table->name, true, &repair) < 0) {
            result->failed << Text(table->name) + ": " + PendingError();
            continue;
        }
        for (const std::string& line : repair.mended) result->mended << Text(line);
        for (const std::string& line : repair.lost) result->lost << Text(line);
    }
    return RebuildIndexes(false) && result->failed.isEmpty();
}
