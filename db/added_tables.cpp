#include "db/added_tables.h"

#include <QFileInfo>

#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/schema.h"

QStringList AddedTables() {
    return {"Terms", "RemLevel", "Reminded", "MailSet", "SentLog"};
}

bool MakeAddedTablesWhenMissing() {
    for (const QString& name : AddedTables()) {
        const std::string table = name.toStdString();
        if (QFileInfo::exists(QString::fromStdString(DbContext->resolve(table + ".dbf")))) continue;
        DbContext->errorCode();
        if (xbase::Table* t = DbContext->create(table, SuppliedSchema().table(table)->fields))
            t->close();
        if (ExitOnError()) return false;
    }
    return true;
}
