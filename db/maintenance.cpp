#include "db/maintenance.h"

#include "db/added_tables.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/schema.h"

namespace {

void ShowProgress(bool visible, const QString& caption) {
    if (Progress.show) Progress.show(visible, caption);
}

void SetProgress(int percent) {
    if (Progress.set) Progress.set(percent);
}

// Puts the context's switches back to their everyday values when an operation ends, also when
// it ends early.
class NormalModes {
public:
    NormalModes() = default;
    NormalModes(const NormalModes&) = delete;
    NormalModes& operator=(const NormalModes&) = delete;
    ~NormalModes() {
        DbContext->setAutoOpen(true);
        DbContext->setSafety(true);
        DbContext->setAccessMode(0);
    }
};

struct RebuildStep {
    const char* table;
    int progressAfter;
};

constexpr RebuildStep kRebuildOrder[] = {
    {"CUST5", 25}, {"GROUPS", 30}, {"Prod5", 35}, {"Pur5", 40},
    {"INV5", 60},  {"ITM5", 80},   {"PMT", 100},  {"LABELS", 100},
};

struct PackStep {
    int progressBefore;
    const char* table;
    bool compactMemo;
};

constexpr PackStep kPackOrder[] = {
    {10, "CUST5", true},   {30, "GROUPS", false}, {35, "INV5", true},  {50, "ITM5", false},
    {70, "LABELS", false}, {75, "PMT", false},    {85, "Pur5", false}, {100, "Prod5", true},
};

bool AnyMissing(const QStringList& files) {
    for (const QString& file : files) {
        if (!DbContext->env()->exists(DbContext->resolve(file.toStdString()))) return true;
    }
    return false;
}

// Whether the table's index files are its own: the group names the tags of its definition with
// their key expressions, and every tag's entries fit the table. An index from another table or
// another data set, or one that cannot be read, does not. The table is opened shared, as the
// check only reads: a report may run while the program has the table open.
bool IndexesFit(const TableSchema& table) {
    const int mode = DbContext->accessMode();
    DbContext->setAutoOpen(true);
    DbContext->setAccessMode(0);
    xbase::Table* t = DbContext->open(table.name);
    DbContext->setAccessMode(mode);
    DbContext->setAutoOpen(false);
    if (!t) {
        DbContext->errorCode();
        return false;
    }
    bool fits = t->tagCount() == static_cast<int>(table.tags.size());
    for (const xbase::TagInfo& want : table.tags) {
        xbase::Tag* tag = fits ? t->tag(want.name) : nullptr;
        std::string why;
        fits = tag && SameName(tag->expression(), want.expression) && t->tagFits(tag, &why);
    }
    DbContext->closeAll();
    DbContext->errorCode();
    return fits;
}

// Opens the table alone and writes its group file and index files, replacing any there.
bool RebuildGroup(const TableSchema& table) {
    xbase::Table* t = DbContext->open(table.name);
    if (!t) {
        ExitOnError();
        return false;
    }
    DbContext->createIndex(t, table.name, table.tags);
    DbContext->closeAll();
    return !ExitOnError();
}

}  // namespace

QStringList IndexFiles(const TableSchema& table) {
    QStringList files;
    for (const xbase::TagInfo& tag : table.tags) files << QString::fromStdString(tag.name) + ".ntx";
    files << QString::fromStdString(table.name) + ".cgp";
    return files;
}

bool RebuildIndexes(bool onlyMissing) {
    if (!MakeAddedTablesWhenMissing()) return false;
    NormalModes restore;
    DbContext->setAutoOpen(false);
    DbContext->setSafety(false);
    DbContext->setAccessMode(1);
    if (!onlyMissing) {
        ShowProgress(true, "Rebuilding Indexes");
        SetProgress(5);
    }
    for (const RebuildStep& step : kRebuildOrder) {
        const TableSchema& table = *SuppliedSchema().table(step.table);
        if (!onlyMissing || AnyMissing(IndexFiles(table)) || !IndexesFit(table)) {
            if (!RebuildGroup(table)) return false;
        }
        if (!onlyMissing) SetProgress(step.progressAfter);
    }
    if (!onlyMissing) ShowProgress(false, QString());
    return true;
}

bool IndexFilesMissing() {
    for (const RebuildStep& step : kRebuildOrder)
        if (AnyMissing(IndexFiles(*SuppliedSchema().table(step.table)))) return true;
    return false;
}

bool PackTable(const QString& name, bool compactMemo, QString* why) {
    NormalModes restore;
    DbContext->setAccessMode(1);
    DbContext->setAutoOpen(true);
    xbase::Table* t = DbContext->open(name.toStdString());
    bool packed = t && t->pack() == 0;
    if (packed && compactMemo) packed = t->memoCompress() == 0;
    if (t) t->close();
    // The engine replaces the files only once the new ones are complete, so a failed pack
    // leaves the table as it was; the error must not be left for the next open to report.
    const std::string reason = DbContext->errorText();
    if (DbContext->errorCode() < 0) packed = false;
    if (!packed && why) *why = QString::fromStdString(reason);
    return packed;
}

QStringList PackAll() {
    QStringList skipped;
    {
        NormalModes restore;
        DbContext->setAccessMode(1);
        ShowProgress(true, "Packing Data Files");
        for (const PackStep& step : kPackOrder) {
            SetProgress(step.progressBefore);
            QString why;
            if (!PackTable(step.table, step.compactMemo, &why))
                skipped << QString("%1: %2").arg(step.table, why);
        }
        ShowProgress(false, QString());
    }
    PackPending = false;
    return skipped;
}

QString PackFailureMessage(const QStringList& failed) {
    return "These tables could not be packed and were left as they were:\n" + failed.join(u'\n');
}
