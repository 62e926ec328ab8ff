#include "import/import_dirs.h"

#include "core/code_page.h"
#include "db/field_values.h"
#include "db/open_tables.h"
#include "db/program_state.h"

QString InfoDir;
QString OrderDir;

namespace {

struct ImpDirsTable {
    xbase::Table* table = nullptr;
    xbase::Field* info = nullptr;
    xbase::Field* order = nullptr;
};

// Opens ImpDirs without its index files, on its first record; false after OpenFailed.
bool OpenImpDirs(ImpDirsTable* t) {
    DbContext->setAutoOpen(false);
    DbContext->errorCode();  // an error left pending by an earlier call is not this open's
    t->table = DbContext->open("Impdirs");
    DbContext->setAutoOpen(true);
    if (t->table) {
        t->info = t->table->field("InfoDir");
        t->order = t->table->field("OrderDir");
    }
    if (DbContext->errorCode() < 0 || !t->table || !t->info || !t->order) {
        if (t->table) t->table->close();
        OpenFailed("ImpDirs.DBF");
        return false;
    }
    LastRc = t->table->top();
    return true;
}

}  // namespace

bool ReadImportDirs() {
    InfoDir.clear();
    OrderDir.clear();
    ImpDirsTable t;
    if (!OpenImpDirs(&t)) return false;
    if (LastRc == xbase::kFound) {
        InfoDir = ReadText(t.info).trimmed();
        OrderDir = ReadText(t.order).trimmed();
    }
    t.table->close();
    DbContext->errorCode();
    return true;
}

bool WriteImportDirs(QString* error) {
    error->clear();
    for (const QString* dir : {&InfoDir, &OrderDir}) {
        if (const QString foreign = FirstUnstorable(*dir); !foreign.isEmpty()) {
            *error = "The directory " + *dir + " cannot be kept. " + UnstorableMessage(foreign) +
                     " Please choose another.";
            return false;
        }
    }
    ImpDirsTable t;
    if (!OpenImpDirs(&t)) return false;
    int positioned = LastRc;
    if (positioned != xbase::kFound) positioned = t.table->appendBlank();
    if (positioned >= 0) {
        WriteWholeText(t.info, InfoDir.left(kMaxImportDirLength));
        WriteWholeText(t.order, OrderDir.left(kMaxImportDirLength));
    }
    const int flushed = positioned >= 0 ? t.table->flush() : positioned;
    const int closed = t.table->close();
    const int pending = DbContext->errorCode();
    if (flushed >= 0 && closed >= 0 && pending == 0) return true;
    *error = QString::fromStdString(DbContext->errorText());
    if (error->isEmpty()) *error = "The import directories could not be written.";
    return false;
}
