#include "db/data_check.h"

#include <algorithm>
#include <map>

#include "db/added_tables.h"
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

// The lines of a table's own damage listed before the rest are counted.
constexpr int kTableDamageShown = 10;

// The problems found so far, each line added with its remedy.
class Problems {
public:
    explicit Problems(std::vector<DataProblem>* found) : found_(found) {}
    void add(const QString& text, Remedy remedy, int count = 1) {
        found_->push_back({text, remedy, count});
    }
    void add(const QStringList& texts, Remedy remedy) {
        for (const QString& text : texts) add(text, remedy);
    }

private:
    std::vector<DataProblem>* found_;
};

// Whether corvane-admin repair mends the damage of the table `name` (not open): only when its
// dry run finds something to mend and can read all it would need to.
bool RepairMends(const std::string& name) {
    xbase::Context::Repair repair;
    const bool mends =
        DbContext->repairTable(name, false, &repair) == xbase::kOk && repair.needed();
    DbContext->errorCode();
    return mends;
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

// The numbers that identify a record, by table.
struct UniqueNumber {
    const char* table;
    const char* field;
    const char* what;
};
constexpr UniqueNumber kUniqueNumbers[] = {
    {"CUST5", "cuno", "customer number"},
    {"INV5", "IvNo", "invoice number"},
    {"Prod5", "PrID", "product"},
};

void CheckTable(const TableSchema& schema, Problems* problems) {
    const QString name = Name(schema.name);
    if (!Present(name + ".dbf")) {
        // A table added since is made when missing, by the next command or start that writes.
        if (!AddedTables().contains(name, Qt::CaseInsensitive))
            problems->add(name + ".dbf is missing", Remedy::Restore);
        return;
    }
    if (schema.hasMemo() && !Present(name + ".dbt"))
        problems->add(name + ".dbt is missing", Remedy::Restore);
    bool indexesPresent = true;
    if (!schema.tags.empty()) {
        for (const QString& file : IndexFiles(schema)) {
            if (Present(file)) continue;
            problems->add(QString("%1: %2 is missing").arg(name, file), Remedy::Repair);
            indexesPresent = false;
        }
    }
    DbContext->setAutoOpen(indexesPresent && !schema.tags.empty());
    xbase::Table* t = DbContext->open(schema.name);
    DbContext->setAutoOpen(true);
    if (!t) {
        const std::string why = DbContext->errorText();
        DbContext->errorCode();
        problems->add(QString("%1 cannot be opened: %2").arg(name, Name(why)),
                      RepairMends(schema.name) ? Remedy::Repair : Remedy::Restore);
        return;
    }
    QStringList wrongFields;
    CheckFields(t, schema, &wrongFields);
    QStringList tagProblems;
    if (indexesPresent && !schema.tags.empty()) CheckTags(t, schema, &tagProblems);
    // The engine's lines name the file they are about: an index's are mended by making the
    // indexes afresh, the table's and its memo file's only when repair can mend the table.
    std::vector<std::string> engineProblems;
    t->check(&engineProblems);
    QStringList tableDamage;
    QStringList indexDamage;
    const QStringList indexFiles = schema.tags.empty() ? QStringList() : IndexFiles(schema);
    for (const std::string& p : engineProblems) {
        const QString line = Name(p);
        const bool aboutIndex =
            std::any_of(indexFiles.begin(), indexFiles.end(), [&line](const QString& file) {
                return line.startsWith(Name(DbContext->resolve(file.toStdString())) + ':');
            });
        (aboutIndex ? indexDamage : tableDamage) << name + ": " + line;
    }
    const bool noRecord = schema.records > 0 && t->recCount() == 0;
    QStringList repeated;
    for (const auto& [table, field, what] : kUniqueNumbers)
        if (SameName(schema.name, table)) CheckUnique(t, schema, field, what, &repeated);
    t->close();
    const std::string pending = DbContext->errorText();
    if (DbContext->errorCode() < 0) tableDamage << name + ": " + Name(pending);

    problems->add(wrongFields, Remedy::Restore);
    problems->add(tagProblems, Remedy::Repair);
    if (!tableDamage.isEmpty()) {
        const Remedy remedy = RepairMends(schema.name) ? Remedy::Repair : Remedy::Restore;
        problems->add(tableDamage.mid(0, kTableDamageShown), remedy);
        if (const int more = static_cast<int>(tableDamage.size()) - kTableDamageShown; more > 0)
            problems->add(QString("%1: %2 more problems of the same table").arg(name).arg(more),
                          remedy, more);
    }
    problems->add(indexDamage, Remedy::Repair);
    if (noRecord) problems->add(name + " holds no record", Remedy::Restore);
    problems->add(repeated, Remedy::Correct);
}

}  // namespace

std::vector<DataProblem> FindDataProblems() {
    std::vector<DataProblem> found;
    Problems problems(&found);
    if (const std::string fault = DbContext->journalFault(); !fault.empty())
        problems.add("changes.jnl cannot be these data files' own (" + Name(fault) +
                         "): Corvane or a corvane-admin command that writes will keep it aside "
                         "without applying it.",
                     Remedy::Settle);
    else if (DbContext->journalLeft())
        problems.add(
            "A change was left unfinished (changes.jnl): the tables may hold half of it "
            "until Corvane or a corvane-admin command that writes undoes it.",
            Remedy::Settle);
    problems.add(InterruptedRewrites(), Remedy::Settle);
    for (const TableSchema& schema : SuppliedSchema().tables) CheckTable(schema, &problems);
    DbContext->closeAll();
    return found;
}

QStringList CheckDataFiles() {
    QStringList texts;
    for (const DataProblem& problem : FindDataProblems()) texts << problem.text;
    return texts;
}

QStringList DamagedTableHeaders() {
    QStringList damaged;
    for (const TableSchema& schema : SuppliedSchema().tables)
        if (const std::string fault = DbContext->headerFault(schema.name); !fault.empty())
            damaged << Name(fault);
    return damaged;
}
