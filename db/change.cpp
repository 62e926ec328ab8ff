#include "db/change.h"

#include "core/prompt.h"
#include "db/data_check.h"
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

namespace {

// Lines of `problems` enough to act on: the first few and how many more.
QString FirstFew(const QStringList& problems) {
    constexpr int kShown = 5;
    QString text = problems.mid(0, kShown).join(u'\n');
    if (problems.size() > kShown)
        text += QString("\n... and %1 more (\"corvane-admin check\" lists them all)")
                    .arg(problems.size() - kShown);
    return text;
}

// A journal that was not the data files' own was set aside: the tables are checked and the
// user is told what was found and what to do.
void TellJournalSetAside(const xbase::Context::Recovery& found) {
    const QStringList problems = CheckDataFiles();
    const bool damaged = found.keptAs.find(".damaged-") != std::string::npos;
    QString text =
        "The data directory held a record of an unfinished change (changes.jnl) " +
        QString(damaged ? "that is damaged: " : "that cannot be these data files' own: ") +
        QString::fromStdString(found.why) +
        ".\nIt was not applied, and nothing in the data files was changed by it; it "
        "has been kept as " +
        QString::fromStdString(found.keptAs) + ".\n";
    if (problems.isEmpty())
        text +=
            "The data files have been checked and are in order. If a change made just "
            "before Corvane last stopped is missing, enter it again. Once you are sure of "
            "the data, the kept file may be deleted.";
    else
        text += "The data files have been checked and these problems were found:\n" +
                FirstFew(problems) +
                "\nRun \"corvane-admin repair\" in the data directory to mend them, or restore "
                "the data files from a backup.";
    prompt::warning(nullptr, text);
}

}  // namespace

bool UndoUnfinishedChange(bool* undone, QString* error) {
    *undone = false;
    xbase::Context::Recovery found;
    if (DbContext->recoverJournal(&found) < 0)
        return Failed(error, "A change left unfinished in the data files cannot be undone.");
    *undone = found.rolledBack;
    if (!found.keptAs.empty()) TellJournalSetAside(found);
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
    if (leftover.action == xbase::Context::Leftover::kSetAside)
        return name +
               (done ? ": files named as a pack's leftovers were found beside it, but " + why +
                           "; they have been kept aside (named \".foreign-\" and "
                           "the date) and not used, and the table is as it was."
                     : ": files named as a pack's leftovers are beside it, but " + why +
                           "; they will be kept aside and not used when Corvane or a "
                           "corvane-admin command that writes next starts.");
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
