#include "db/change.h"

#include "db/program_state.h"
#include "db/schema.h"
#include "db/staged_files.h"

namespace {

// The engine's pending error as the reason a change failed.
bool Failed(QString* error, const QString& what) {
    const int code = DbContext->errorCode();
    if (error) {
        const QString reason = code < 0 ? QString::fromStdString(DbContext->errorText()) : "";
        *error = reason.isEmpty() ? what : what + "\n" + reason;
    }
    return false;
}

}  // namespace

bool BeginChange(QString* error) {
    if (DbContext->begin() < 0) return Failed(error, "The data files cannot be changed now.");
    return true;
}

bool CommitChange(QString* error) {
    if (DbContext->commit() < 0)
        return Failed(error, "The change could not be saved; nothing of it was stored.");
    return true;
}

void RollbackChange() {
    if (DbContext && DbContext->inTransaction()) DbContext->rollback();
}

bool InChange() {
    return DbContext && DbContext->inTransaction();
}

bool UndoUnfinishedChange(bool* undone, QString* error) {
    *undone = false;
    if (DbContext->recoverJournal(undone) < 0)
        return Failed(error, "A change left unfinished in the data files cannot be undone.");
    // A restore, erase or upgrade interrupted while it replaced files is finished (the files
    // then hold its result, so nothing was undone), or, when it had not begun to, its prepared
    // files are discarded.
    bool finished = false;
    QString reason;
    if (!FinishStagedFiles(&finished, &reason)) {
        if (error) *error = "Data files left half replaced cannot be put in order.\n" + reason;
        return false;
    }
    return true;
}

namespace {

QString RewriteLine(const std::string& table, const xbase::Context::Leftover& leftover, bool done) {
    const QString name = QString::fromStdString(table);
    if (leftover.action == xbase::Context::Leftover::kFinish)
        return name + (done ? ": a pack was interrupted; its new files were whole and have taken "
                              "the table's place."
                            : ": a pack was interrupted; its new files are whole and will take "
                              "the table's place when Corvane or a corvane-admin command that "
                              "writes next starts.");
    const QString why = QString::fromStdString(leftover.why);
    return name + (done ? ": a pack was interrupted; its new files were not whole (" + why +
                              ") and have been removed; the table is as it was before the pack."
                        : ": a pack was interrupted; its new files are not whole (" + why +
                              "): they will be removed and the table kept as it was before the "
                              "pack when Corvane or a corvane-admin command that writes next "
                              "starts.");
}

}  // namespace

bool FinishInterruptedRewrites(QStringList* told, QString* error) {
    for (const TableSchema& schema : SuppliedSchema().tables) {
        xbase::Context::Leftover leftover;
        if (DbContext->finishRewrite(schema.name, &leftover) < 0)
            return Failed(error, QString::fromStdString(schema.name) +
                                     ": a pack left unfinished cannot be finished or undone.");
        if (leftover.action != xbase::Context::Leftover::kNone)
            *told << RewriteLine(schema.name, leftover, true);
    }
    return true;
}

QStringList InterruptedRewrites() {
    QStringList lines;
    for (const TableSchema& schema : SuppliedSchema().tables) {
        const xbase::Context::Leftover leftover = DbContext->inspectRewrite(schema.name);
        if (leftover.action != xbase::Context::Leftover::kNone)
            lines << RewriteLine(schema.name, leftover, false);
    }
    return lines;
}
