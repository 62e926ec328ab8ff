#include <algorithm>

#include "db/xbase/dbt.h"
#include "db/xbase/journal.h"
#include "db/xbase/names.h"
#include "db/xbase/table.h"

namespace xbase {

Context::Context(std::string dir, Env* env)
    : dir_(std::move(dir)), env_(env), journal_(std::make_unique<Journal>(env, dir_)) {}

Context::~Context() {
    if (inTransaction()) rollback();
    closeAll();
}

Env* Context::env() const {
    return journal_.get();
}

int Context::begin() {
    return fail(journal_->begin(lockWaitMs_));
}

int Context::commit() {
    if (!inTransaction()) return fail(Status(kErrArgument, "commit without a change"));
    for (const auto& t : tables_)
        if (Status s = static_cast<TableImpl*>(t.get())->writeAll(); !s.ok()) journal_->failed(s);
    Status s = journal_->commit();
    if (!s.ok()) reloadTables();
    return fail(s);
}

int Context::rollback() {
    if (!inTransaction()) return fail(Status(kErrArgument, "rollback without a change"));
    journal_->rollback();
    reloadTables();
    return kOk;
}

bool Context::inTransaction() const {
    return journal_->active();
}

void Context::reloadTables() {
    for (const auto& t : tables_)
        if (Status s = static_cast<TableImpl*>(t.get())->reload(); !s.ok()) fail(s);
}

int Context::lockShared() {
    return fail(journal_->lockDirectory(false, lockWaitMs_));
}

int Context::recoverJournal(bool* rolledBack) {
    *rolledBack = false;
    if (!tables_.empty() || inTransaction())
        return fail(Status(kErrArgument, "recovery runs before any table is opened"));
    return fail(journal_->recover(lockWaitMs_, rolledBack));
}

bool Context::journalLeft() const {
    return env_->exists(dir_ + "/" + Journal::kJournalName);
}

int Context::errorCode() {
    const int code = error_;
    error_ = 0;
    return code;
}

int Context::fail(const Status& status) {
    if (status.ok()) return kOk;
    if (error_ == 0) {
        error_ = status.code();
        errorText_ = status.message();
    }
    return status.code();
}

std::string Context::resolve(std::string_view fileName) const {
    std::vector<std::string> names;
    if (env_->list(dir_, &names).ok())
        for (const std::string& n : names)
            if (sameName(n, fileName)) return dir_ + "/" + n;
    return dir_ + "/" + std::string(fileName);
}

namespace {

// Finishes or undoes a rewrite that a crash interrupted. With the commit marker present the
// new files are complete and take over; without it they are incomplete and go.
Status recover(Env* env, const std::string& dbfPath, const std::string& dbtPath) {
    const std::string marker = dbfPath + ".commit";
    if (env->exists(marker)) {
        if (env->exists(dbtPath + ".new")) XBASE_TRY(env->rename(dbtPath + ".new", dbtPath));
        if (env->exists(dbfPath + ".new")) XBASE_TRY(env->rename(dbfPath + ".new", dbfPath));
        return env->remove(marker);
    }
    XBASE_TRY(env->remove(dbfPath + ".new"));
    return env->remove(dbtPath + ".new");
}

}  // namespace

Table* Context::open(std::string_view name) {
    const std::string base(name);
    const std::string dbfPath = resolve(base + ".dbf");
    if (!env_->exists(dbfPath)) {
        fail(Status(kErrOpen, "cannot open " + dbfPath + ": no such file"));
        return nullptr;
    }
    for (const auto& t : tables_)
        if (static_cast<TableImpl*>(t.get())->dbfPath() == dbfPath) {
            fail(Status(kErrOpen, dbfPath + " is already open"));
            return nullptr;
        }
    auto table = std::make_unique<TableImpl>(this, base, dbfPath);
    const std::string dbtPath = resolve(base + ".dbt");
    Status s;
    if (env_->exists(dbfPath + ".new") || env_->exists(dbtPath + ".new") ||
        env_->exists(dbfPath + ".commit")) {
        // A rewrite was interrupted. Only the holder of the table's lock may finish or undo
        // it: take the lock by opening the table alone, then recover and open it afresh.
        s = table->openFiles(false);
        if (s.ok()) s = recover(env(), dbfPath, dbtPath);
        table = std::make_unique<TableImpl>(this, base, dbfPath);
    }
    if (s.ok()) s = table->openFiles(autoOpen_);
    if (!s.ok()) {
        fail(s);
        return nullptr;
    }
    tables_.push_back(std::move(table));
    return tables_.back().get();
}

Table* Context::create(std::string_view name, const std::vector<FieldInfo>& fields) {
    const std::string base(name);
    if (inTransaction()) {
        fail(Status(kErrArgument, "a table is created only outside a change"));
        return nullptr;
    }
    const std::string dbfPath = dir_ + "/" + base + ".dbf";
    if (env_->exists(resolve(base + ".dbf"))) {
        fail(Status(kErrCreate, dbfPath + " already exists"));
        return nullptr;
    }
    Status s = DbfFile::create(env(), dbfPath, fields);
    const bool memo =
        std::any_of(fields.begin(), fields.end(), [](const FieldInfo& f) { return f.type == 'M'; });
    if (s.ok() && memo) s = DbtFile::create(env(), dir_ + "/" + base + ".dbt");
    if (!s.ok()) {
        fail(s);
        return nullptr;
    }
    return open(name);
}

int Context::createIndex(Table* table, std::string_view name, const std::vector<TagInfo>& tags) {
    if (inTransaction())
        return fail(Status(kErrArgument, "an index is created only outside a change"));
    return fail(static_cast<TableImpl*>(table)->createIndex(name, tags));
}

int Context::closeAll() {
    int rc = kOk;
    while (!tables_.empty()) {
        const int r = tables_.back()->close();
        if (r < 0 && rc == kOk) rc = r;
    }
    return rc;
}

void Context::forget(Table* table) {
    auto it = std::find_if(tables_.begin(), tables_.end(),
                           [&](const auto& t) { return t.get() == table; });
    if (it != tables_.end()) tables_.erase(it);
}

}  // namespace xbase
