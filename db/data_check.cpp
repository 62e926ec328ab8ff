#include "db/data_check.h"

#include <map>

#include "db/change.h"
#include "db/field_values.h"
#include "db/maintenance.h"
#include "db/program_state.h"
#include "db/schema.h"

namespace {

bool Present(const QString& file) {
    return DbContext->env()->exists(DbContext->resolve(file.toStdString()));
}

QString Name(const std::string& text) {
    return QString::fromStdString(text);
}

void CheckFields(xbase::Table* t, const TableSchema& schema, QStringList* problems) {
    for (const xbase::FieldInfo& want : schema.fields) {
        const xbase::Field* f = t->field(want.name);
        if (!f) {
            DbContext->errorCode();
            *problems << QString("%1: field %2 is missing").arg(Name(schema.name), Name(want.name));
        } else if (f->type() != want.type || f->length() != want.length ||
                   f->decimals() != want.decimals) {
            *problems << QString("%1: field %2 is %3 %4.%5, expected %6 %7.%8")
                             .arg(Name(schema.name), Name(want.name), QChar(f->type()))
                             .arg(f->length())
                             .arg(f->decimals())
                             .arg(QChar(want.type))
                             .arg(want.length)
                             .arg(want.decimals);
        }
    }
}

void CheckTags(xbase::Table* t, const TableSchema& schema, QStringList* problems) {
    for (const xbase::TagInfo& want : schema.tags) {
        const xbase::Tag* tag = t->tag(want.name);
        if (!tag) {
            DbContext->errorCode();
            *problems
                << QString("%1: tag %2 is not in %1.cgp").arg(Name(schema.name), Name(want.name));
        } else if (!SameName(tag->expression(), want.expression)) {
            *problems << QString("%1: tag %2 has the key \"%3\", expected \"%4\"")
                             .arg(Name(schema.name), Name(want.name), Name(tag->expression()),
                                  Name(want.expression));
        }
    }
}

// The numbers that identify a record and must not repeat among the live records.
void CheckUnique(xbase::Table* t, const TableSchema& schema, const char* fieldName,
                 const char* what, QStringList* problems) {
    xbase::Field* f = t->field(fieldName);
    if (!f) {
        DbContext->errorCode();
        return;
    }
    std::map<QString, uint32_t> seen;
    t->select(nullptr);
    for (int rc = t->top(); rc == xbase::kFound; rc = t->skip()) {
        if (t->deleted()) continue;
        const QString key = ReadText(f).trimmed();
        const auto [at, fresh] = seen.emplace(key, t->recNo());
        if (!fresh) {
            *problems << QString("%1: %2 %3 is used by records %4 and %5")
                             .arg(Name(schema.name), what, key)
                             .arg(at->second)
                             .arg(t->recNo());
        }
    }
}

void CheckTable(const TableSchema& schema, QStringList* problems) {
    const QString name = Name(schema.name);
    if (!Present(name + ".dbf")) {
        *problems << name + ".dbf is missing";
        return;
    }
    if (schema.hasMemo() && !Present(name + ".dbt")) *problems << name + ".dbt is missing";
    bool indexesPresent = true;
    if (!schema.tags.empty()) {
        for (const QString& file : IndexFiles(schema)) {
            if (Present(file)) continue;
            *problems << QString("%1: %2 is missing").arg(name, file);
            indexesPresent = false;
        }
    }
    DbContext->setAutoOpen(indexesPresent && !schema.tags.empty());
    xbase::Table* t = DbContext->open(schema.name);
    DbContext->setAutoOpen(true);
    if (!t) {
        const std::string why = DbContext->errorText();
        DbContext->errorCode();
        *problems << QString("%1 cannot be opened: %2").arg(name, Name(why));
        return;
    }
    CheckFields(t, schema, problems);
    if (indexesPresent && !schema.tags.empty()) CheckTags(t, schema, problems);
    std::vector<std::string> engineProblems;
    t->check(&engineProblems);
    for (const std::string& p : engineProblems) *problems << name + ": " + Name(p);
    if (schema.records > 0 && t->recCount() == 0) *problems << name + " holds no record";
    if (SameName(schema.name, "CUST5")) CheckUnique(t, schema, "cuno", "customer number", problems);
    if (SameName(schema.name, "INV5")) CheckUnique(t, schema, "IvNo", "invoice number", problems);
    if (SameName(schema.name, "Prod5")) CheckUnique(t, schema, "PrID", "product", problems);
    t->close();
    const std::string pending = DbContext->errorText();
    if (DbContext->errorCode() < 0) *problems << name + ": " + Name(pending);
}

}  // namespace

QStringList CheckDataFiles() {
    QStringList problems;
    if (const std::string fault = DbContext->journalFault(); !fault.empty())
        problems << "changes.jnl cannot be these data files' own (" + Name(fault) +
                        "): Corvane or a corvane-admin command that writes will keep it aside "
                        "without applying it.";
    else if (DbContext->journalLeft())
        problems << "A change was left unfinished (changes.jnl): the tables may hold half of it "
                    "until Corvane or a corvane-admin command that writes undoes it.";
    problems << InterruptedRewrites();
    for (const TableSchema& schema : SuppliedSchema().tables) CheckTable(schema, &problems);
    DbContext->closeAll();
    return problems;
}

QStringList DamagedTableHeaders() {
    QStringList damaged;
    for (const TableSchema& schema : SuppliedSchema().tables)
        if (const std::string fault = DbContext->headerFault(schema.name); !fault.empty())
            damaged << Name(fault);
    return damaged;
}
