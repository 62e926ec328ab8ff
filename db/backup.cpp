#include "db/backup.h"

#include <unistd.h>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <vector>

#include "core/prompt.h"
#include "db/file_copy.h"
#include "db/maintenance.h"
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
    {"CUST5.dbf", 20}, {"CUST5.dbt", 30},  {"GROUPS.dbf", 35}, {"INV5.dbf", 45},
    {"INV5.dbt", 55},  {"ITM5.dbf", 70},   {"LABELS.dbf", 75}, {"PMT.dbf", 85},
    {"Pur5.dbf", 95},  {"Prod5.dbf", 100}, {"Prod5.dbt", 0},
};

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
    {"PMT", 85, 0},    {"Prod5", 90, 95}, {"Pur5", 100, 0},
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

bool Full(const QString& dir, qint64 needed) {
    const QStorageInfo volume(dir);
    return volume.isValid() && volume.bytesAvailable() < needed;
}

// Copies one file of a backup, asking for another disk or for the protection to be removed
// while that is what stops it.
bool BackupOneFile(const QString& source, const QString& dir, const QString& fileName) {
    const QString destination = FindInDirectory(dir, fileName);
    for (int asked = 0;; ++asked) {
        QString reason;
        if (CopyVerified(source, destination, &reason)) return true;
        QString ask;
        if (WriteProtected(dir))
            ask = "Disk is Write Protected";
        else if (Full(dir, QFileInfo(source).size()))
            ask = "Disk Full. Insert another disk." + fileName;
        if (ask.isEmpty()) {
            prompt::information(nullptr, "Unable to copy " + fileName + "\n" + reason);
            return false;
        }
        if (asked == kMaxAsks || !prompt::confirm(nullptr, ask)) return false;
    }
}

// Checks the staged copy of each restored table (db/taken_tables.h), naming each by the file in
// `dir` it was copied from. One line per problem.
QStringList CheckStagedTables(const QString& stagingDir, const QString& dir) {
    QStringList problems;
    xbase::Context staged(QFile::encodeName(stagingDir).toStdString(), DbContext->env());
    for (const QString& name : kRestoredTables)
        problems << CheckTakenTable(&staged, name.toStdString(),
                                    FindInDirectory(dir, name + ".dbf"),
                                    SuppliedFields(name.toStdString()));
    return problems;
}

bool Backup(const QString& dir) {
    for (const CopyStep& step : kCopyOrder) {
        const QString source = FindInDirectory(QDir::currentPath(), step.file);
        if (!QFileInfo::exists(source)) {
            prompt::information(nullptr, "Unable to find " + source + "\nFunction Aborted");
            return false;
        }
        if (!BackupOneFile(source, dir, step.file)) return false;
        if (step.progressAfter) SetProgress(step.progressAfter);
    }
    return true;
}

bool Restore(const QString& dir) {
    StagedFiles staged;
    if (!staged.ok()) {
        prompt::information(nullptr, staged.error());
        return false;
    }
    QStringList files;
    for (const CopyStep& step : kCopyOrder) {
        const QString source = FindInDirectory(dir, step.file);
        if (!QFileInfo::exists(source)) {
            prompt::information(nullptr, "Unable to find " + source + "\nFunction Aborted");
            return false;
        }
        QString reason;
        if (!CopyVerified(source, staged.path(step.file), &reason)) {
            prompt::information(nullptr, "Unable to copy " + QString(step.file) + "\n" + reason);
            return false;
        }
        files << step.file;
        if (step.progressAfter) SetProgress(step.progressAfter);
    }
    const QStringList problems = CheckStagedTables(staged.dir(), dir);
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

bool CopyDataFiles(bool toBackup, const QString& dir) {
    ShowProgress(true, "Copying Data Files");
    SetProgress(10);
    const QString trimmed = QDir(dir.trimmed()).absolutePath();
    return toBackup ? Backup(trimmed) : Restore(trimmed);
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
