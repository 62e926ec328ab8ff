#include "db/change.h"

#include "db/program_state.h"
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
