#include "db/backup.h"

#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <memory>

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <vector>

#include "core/prompt.h"
#include "db/added_tables.h"
#include "db/backup_set.h"
#include "db/change.h"
#include "db/file_copy.h"
#include "db/maintenance.h"
#include "db/own_folder.h"
#include "db/program_state.h"
#include "db/staged_files.h"
#include "db/taken_tables.h"

namespace {

void ShowProgress(bool visible, const QString& caption) {
    if (Progress.show) Progress.show(visible, caption);
}

void SetProgress(int percent) {
    if (Progress.set) Progress.set(percent);
}

struct CopyStep {
    const char* file;
    int progressAfter;  // 0: none
};

constexpr CopyStep kCopyOrder[] = {
    {"CUST5.dbf", 20}, {"CUST5.dbt", 30},  {"GROUPS.dbf", 35}, {"INV5.dbf", 45}, {"INV5.dbt", 55},
    {"ITM5.dbf", 70},  {"LABELS.dbf", 75}, {"PMT.dbf", 85},    {"Pur5.dbf", 95}, {"Prod5.dbf", 100},
    {"Prod5.dbt", 0},  {"CVN1.dbf", 0},    {"ImpDirs.dbf", 0}, {"Terms.dbf", 0},
    {"RemLevel.dbf", 0}, {"RemLevel.dbt", 0}, {"Reminded.dbf", 0}, {"MailSet.dbf", 0},
    {"MailSet.dbt", 0}, {"SentLog.dbf", 0},
};

// The settings tables and the tables added since (db/added_tables.h), which a backup made
// before they were copied lacks; its restore leaves the current ones.
bool Optional(const QString& file) {
    return file == "CVN1.dbf" || file == "ImpDirs.dbf" ||
           AddedTables().contains(QFileInfo(file).completeBaseName());
}

// The tables a restore replaces, whose index groups it leaves to be rebuilt.
const QStringList kRestoredTables = {"CUST5",  "GROUPS", "INV5", "ITM5",
                                     "LABELS", "PMT",    "Pur5", "Prod5"};

struct EraseStep {
    const char* table;
    int progressAfterZap;
    int progressAfterMemo;  // 0: the table has no memo file
};

constexpr EraseStep kEraseOrder[] = {
    {"CUST5", 15, 30}, {"GROUPS", 40, 0}, {"INV5", 50, 60}, {"ITM5", 70, 0},
    {"PMT", 85, 0},    {"Prod5", 90, 95}, {"Pur5", 98, 0}, {"Reminded", 99, 0},
    {"SentLog", 100, 0},
};

// A full disk or a write-protected one asks the user to put that right; the question is asked
// this many times for one file, then the copy fails, so that no answer loops for ever.
constexpr int kMaxAsks = 5;

bool WriteProtected(const QString& dir) {
    const QStorageInfo volume(dir);
    if (!QFileInfo(dir).isDir()) return false;  // gone: no question would bring it back
    return (volume.isValid() && volume.isReadOnly()) ||
           ::access(QFile::encodeName(dir).constData(), W_OK) != 0;
}

bool Full(const QString& dir, qint64 needed, const QString& reason) {
    if (reason.contains(QString::fromLocal8Bit(std::strerror(ENOSPC))) ||
        reason.contains(QString::fromLocal8Bit(std::strerror(EDQUOT))))
        return true;
    const QStorageInfo volume(dir);
    return volume.isValid() && volume.bytesAvailable() < needed;
}

// Why the last backup or restore failed, for the caller's closing message.
enum class Failure { Other, DiskFull, WriteProtected };
Failure LastFailure = Failure::Other;

// Copies one file of a backup into the writer's folder, asking for another disk or for the
// protection to be removed while that is what stops it. On a full disk, the files copied to it
// become one disk of the backup (their list written beside them) before the next is asked for;
// Cancel discards them, leaving the backup that was there.
bool BackupOneFile(const QString& source, const QString& dir, const QString& fileName,
                   BackupWriter* writer) {
    for (int asked = 0;; ++asked) {
        QString reason;
        FileSum sum;
        if ((writer->diskBegun() || writer->beginDisk(&reason)) &&
            CopyVerified(source, writer->stagedPath(fileName), &reason, &sum)) {
            writer->add(fileName, sum);
            return true;
        }
        QString ask;
        if (WriteProtected(dir)) {
            LastFailure = Failure::WriteProtected;
            ask = "Disk is Write Protected";
        } else if (Full(dir, QFileInfo(source).size(), reason)) {
            LastFailure = Failure::DiskFull;
            ask = "Disk Full. Insert another disk." + fileName;
        }
        if (ask.isEmpty()) {
            prompt::information(nullptr, "Unable to copy " + fileName + "\n" + reason);
            return false;
        }
        // What fitted on a full disk is one disk of the backup, once the user goes on.
        QString error;
        const bool spread = LastFailure == Failure::DiskFull && writer->diskHasFiles();
        if (spread && !writer->closeDisk(false, &error)) {
            prompt::information(nullptr, "Unable to finish the backup on " + dir + "\n" + error);
            return false;
        }
        if (asked == kMaxAsks || !prompt::confirm(nullptr, ask)) return false;
        if (spread)
            writer->nextDisk();
        else
            writer->abandonDisk();
    }
}

// Checks the staged copy of each restored table (db/taken_tables.h), naming each by the file in
// `dir` it was copied from. One line per problem.
QStringList CheckStagedTables(const QString& stagingDir, const QString& dir,
                              const QStringList& tables) {
    QStringList problems;
    xbase::Context staged(QFile::encodeName(stagingDir).toStdString(), DbContext->env());
    for (const QString& name : tables)
        problems << CheckTakenTable(&staged, name.toStdString(),
                                    FindInDirectory(dir, name + ".dbf"),
                                    SuppliedFields(name.toStdString()));
    return problems;
}

// A change a crash left unfinished is undone first, so that the backup holds none of it; when
// it cannot be, the backup is refused with the reason.
bool DataFilesSettled() {
    if (StagedFilesLeft()) {
        prompt::information(nullptr,
                            "The data files are being replaced by a restore, erase or "
                            "import; try again when it has ended, or start Corvane to "
                            "finish it.");
        return false;
    }
    if (!DbContext->journalLeft()) return true;
    bool undone = false;
    QString error;
    if (UndoUnfinishedChange(&undone, &error)) return true;
    prompt::information(nullptr,
                        "The data files hold a change left unfinished, and no backup is "
                        "made of them until it is undone.\n" +
                            error);
    return false;
}

bool Backup(const QString& dir) {
    if (!DataFilesSettled()) return false;
    BackupWriter writer(dir);
    for (const CopyStep& step : kCopyOrder) {
        const QString source = FindInDirectory(QDir::currentPath(), step.file);
        if (!QFileInfo::exists(source)) {
            prompt::information(nullptr, "Unable to find " + source + "\nFunction Aborted");
            return false;
        }
        if (!BackupOneFile(source, dir, step.file, &writer)) return false;
        if (step.progressAfter) SetProgress(step.progressAfter);
    }
    QString error;
    if (writer.finishDisk(&error)) return true;
    if (Full(dir, 0, error)) LastFailure = Failure::DiskFull;
    prompt::information(nullptr, "Unable to finish the backup on " + dir + "\n" + error);
    return false;
}

// Asks for the disk holding `file` until it is in `dir` (a new look each time); false after
// Cancel, with the user told. *disk is the disk found.
bool FindOnDisk(const QString& dir, const QString& file, std::unique_ptr<BackupDisk>* disk,
                QString* path) {
    for (int asked = 0;; ++asked) {
        disk->reset(new BackupDisk(dir));
        *path = (*disk)->locate(file);
        if (!path->isEmpty() || !(*disk)->readable()) return true;
        if (Optional(file) && (!(*disk)->hasManifest() || (*disk)->manifest().complete))
            return true;
        if (asked == kMaxAsks ||
            !prompt::confirm(nullptr, "Insert disk containing " + file + ".bak")) {
            prompt::information(
                nullptr, "Unable to find " + FindInDirectory(dir, file) + "\nFunction Aborted");
            return false;
        }
    }
}

// Why the copy of `file` taken from `disk` does not belong to the backup begun on `first`
// (whose manifest the first file's disk had, or not); empty when it does.
QString Mismatch(const QString& file, const BackupDisk& disk, const BackupDisk& first,
                 const FileSum& sum) {
    if (!disk.readable()) return disk.problem();
    if (disk.hasManifest() != first.hasManifest() ||
        (disk.hasManifest() && disk.manifest().setId != first.manifest().setId))
        return file + " is from another backup than " + kCopyOrder[0].file;
    if (!disk.hasManifest()) return {};
    if (!(*disk.manifest().find(file) == sum))
        return file + " does not match the backup's list of files (size " +
               QString::number(sum.size) + ", listed " +
               QString::number(disk.manifest().find(file)->size) +
               "): it is damaged or from another backup";
    return {};
}

bool Restore(const QString& dir) {
    if (IsOwnFolder(dir)) {
        prompt::information(nullptr, dir + " is a working folder of Corvane, not a backup.");
        return false;
    }
    StagedFiles staged;
    if (!staged.ok()) {
        prompt::information(nullptr, staged.error());
        return false;
    }
    QStringList files;
    QStringList tables = kRestoredTables;
    std::unique_ptr<BackupDisk> first;
    for (const CopyStep& step : kCopyOrder) {
        std::unique_ptr<BackupDisk> disk;
        QString source;
        if (!FindOnDisk(dir, step.file, &disk, &source)) return false;
        if (!first) first = std::make_unique<BackupDisk>(*disk);
        if (source.isEmpty() && disk->readable()) continue;  // a settings table it lacks
        QString reason;
        FileSum sum;
        if (disk->readable() && !CopyVerified(source, staged.path(step.file), &reason, &sum)) {
            prompt::information(nullptr, "Unable to copy " + QString(step.file) + "\n" + reason);
            return false;
        }
        if (const QString wrong = Mismatch(step.file, *disk, *first, sum); !wrong.isEmpty()) {
            prompt::information(nullptr,
                                "The files in " + dir + " are not one whole backup:\n" + wrong);
            return false;
        }
        files << step.file;
        if (Optional(step.file)) tables << QFileInfo(step.file).completeBaseName();
        if (step.progressAfter) SetProgress(step.progressAfter);
    }
    const QStringList problems = CheckStagedTables(staged.dir(), dir, tables);
    if (!problems.isEmpty()) {
        prompt::information(nullptr, "The files in " + dir +
                                         " are not a backup of these data "
                                         "files:\n" +
                                         FirstProblems(problems).join('\n'));
        return false;
    }
    if (!staged.commit(files, kRestoredTables)) {
        prompt::information(nullptr, staged.error());
        return false;
    }
    return true;
}

}  // namespace

QStringList BackupFileNames() {
    QStringList names;
    for (const CopyStep& step : kCopyOrder) names << step.file;
    return names;
}

bool IsDataDirectory(const QString& dir) {
    const QFileInfo chosen(dir.trimmed());
    return chosen.exists() &&
           chosen.canonicalFilePath() == QFileInfo(QDir::currentPath()).canonicalFilePath();
}

bool CopyDataFiles(bool toBackup, const QString& dir, QString* closing) {
    ShowProgress(true, "Copying Data Files");
    SetProgress(10);
    const QString trimmed = QDir(dir.trimmed()).absolutePath();
    LastFailure = Failure::Other;
    if (toBackup ? Backup(trimmed) : Restore(trimmed)) return true;
    if (closing) {
        if (!toBackup)
            *closing = "Restore Failed . . Check that your disk is not full.";
        else if (LastFailure == Failure::DiskFull)
            *closing = "Backup Failed . . The disk is full.";
        else if (LastFailure == Failure::WriteProtected)
            *closing = "Backup Failed . . Check that disk is not write protected";
        else
            *closing = "Backup Failed";
    }
    return false;
}

bool EraseAll() {
    if (!prompt::warningConfirm(nullptr,
                                "WARNING: You are about to erase all of your existing data."))
        return false;
    DbContext->setAccessMode(1);
    ShowProgress(true, "Erasing Data Files");
    SetProgress(5);
    QString problem;
    {
        StagedFiles staged;
        problem = staged.error();
        QStringList files;
        xbase::Context emptied(QFile::encodeName(staged.dir()).toStdString(), DbContext->env());
        emptied.setAutoOpen(false);
        emptied.setAccessMode(1);
        for (const EraseStep& step : kEraseOrder) {
            if (!problem.isEmpty()) break;
            QStringList names = {QString(step.table) + ".dbf"};
            if (step.progressAfterMemo) names << QString(step.table) + ".dbt";
            for (const QString& name : names) {
                QString reason;
                if (problem.isEmpty() && !CopyVerified(FindInDirectory(QDir::currentPath(), name),
                                                       staged.path(name), &reason))
                    problem = reason;
                files << name;
            }
            if (!problem.isEmpty()) break;
            xbase::Table* t = emptied.open(step.table);
            bool done = t && t->zap(1, t->recCount()) >= 0;
            SetProgress(step.progressAfterZap);
            if (done && step.progressAfterMemo) {
                done = t->memoCompress() >= 0;
                SetProgress(step.progressAfterMemo);
            }
            if (t) done = t->close() >= 0 && done;
            if (emptied.errorCode() < 0 || !done)
                problem = QString::fromStdString(emptied.errorText());
        }
        QStringList tables;
        for (const EraseStep& step : kEraseOrder) tables << step.table;
        if (problem.isEmpty() && !staged.commit(files, tables)) problem = staged.error();
    }
    DbContext->setAccessMode(0);
    ShowProgress(false, QString());
    if (!problem.isEmpty()) {
        prompt::information(nullptr, "The data could not be erased.\n" + problem);
        return false;
    }
    // The emptied tables came without their index groups; they are made afresh.
    return RebuildIndexes(true);
}
