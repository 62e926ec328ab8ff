#include <algorithm>

#include "db/xbase/cache.h"
#include "db/xbase/dbf.h"
#include "db/xbase/dbt.h"
#include "db/xbase/journal.h"
#include "db/xbase/names.h"
#include "db/xbase/rewrite_marker.h"
#include "db/xbase/table.h"

namespace xbase {

Context::Context(std::string dir, Env* env)
    : dir_(std::move(dir)),
      env_(env),
      journal_(std::make_unique<Journal>(env, dir_)),
      cache_(std::make_unique<CacheBudget>()) {}

Context::~Context() {
    if (inTransaction()) rollback();
    closeAll();
}

void Context::setCacheLimit(size_t bytes) {
    cache_->setLimit(bytes);
}

size_t Context::cacheLimit() const {
    return cache_->limit();
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

int Context::recoverJournal(Recovery* found) {
    *found = {};
    if (!tables_.empty() || inTransaction())
        return fail(Status(kErrArgument, "recovery runs before any table is opened"));
    return fail(journal_->recover(lockWaitMs_, found));
}

bool Context::journalLeft() const {
    return env_->kind(dir_ + "/" + Journal::kJournalName) != FileKind::Missing;
}

std::string Context::journalFault() const {
    return Journal::fault(env_, dir_);
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
    std::string path = dir_ + "/" + std::string(fileName);
    if (env_->exists(path)) return path;
    std::vector<std::string> names;
    if (env_->list(dir_, &names).ok())
        for (const std::string& n : names)
            if (sameName(n, fileName)) return dir_ + "/" + n;
    return path;
}

namespace {

// Why the new table file cannot take the place of the table, whose fields are `want`; empty
// when it can: its header fits its size, its fields are the table's, every deletion flag is
// valid, and every memo pointer lies inside the memo file it will be read with.
std::string newTableFault(Env* env, const RewriteFiles& files, const std::vector<FieldInfo>& want) {
    std::unique_ptr<DbfFile> fresh;
    if (Status s = DbfFile::open(env, files.newDbf, false, &fresh); !s.ok()) return s.message();
    std::vector<std::string> problems;
    fresh->check(&problems);
    if (!problems.empty()) return problems.front();
    const auto& got = fresh->fields();
    const bool sameFields =
        want.size() == got.size() &&
        std::equal(want.begin(), want.end(), got.begin(), [](const auto& a, const auto& b) {
            return sameName(a.name, b.name) && a.type == b.type && a.length == b.length &&
                   a.decimals == b.decimals;
        });
    if (!sameFields) return files.newDbf + ": its fields are not the table's";
    if (!fresh->hasMemo()) return {};
    std::unique_ptr<DbtFile> memo;
    const std::string& memoPath = env->exists(files.newDbt) ? files.newDbt : files.dbt;
    if (Status s = DbtFile::open(env, memoPath, &memo); !s.ok()) return s.message();
    std::string rec(static_cast<size_t>(fresh->recordLength()), ' ');
    for (uint32_t r = 1; r <= fresh->count(); ++r) {
        if (Status s = fresh->read(r, rec.data()); !s.ok()) return s.message();
        for (size_t f = 0; f < got.size(); ++f) {
            if (got[f].type != 'M') continue;
            if (DbtFile::blockOf(rec.data() + fresh->offsets()[f]) >= memo->nextFree())
                return files.newDbf + ": record " + std::to_string(r) +
                       " points past the end of " + memoPath;
        }
    }
    return {};
}

// New files without a marker, or with one never written, were still being written: they go.
// With a whole marker they are taken when every file stands as the marker says and the new
// table checks whole; anything else is not this table's rewrite and is kept aside.
Context::Leftover inspect(Env* env, const RewriteFiles& files, const std::vector<FieldInfo>& want) {
    if (!files.any(env)) return {};
    for (const std::string* path : {&files.newDbf, &files.newDbt, &files.marker}) {
        const FileKind kind = env->kind(*path);
        if (kind == FileKind::Directory || kind == FileKind::Other)
            return {Context::Leftover::kSetAside, *path + " is not a file a rewrite leaves"};
    }
    if (env->kind(files.marker) == FileKind::Missing)
        return {Context::Leftover::kDiscard, "the rewrite did not finish writing them"};
    RewriteMarker marker;
    switch (readMarker(env, files, &marker)) {
        case MarkerRead::kEmpty:
            return {Context::Leftover::kDiscard, "the rewrite did not finish writing them"};
        case MarkerRead::kOther:
            return {Context::Leftover::kSetAside,
                    files.marker + " is not a marker of this program's"};
        case MarkerRead::kWhole:
            break;
    }
    if (std::string why = markerMismatch(env, files, marker); !why.empty())
        return {Context::Leftover::kSetAside, std::move(why)};
    if (env->kind(files.newDbf) == FileKind::Missing) return {Context::Leftover::kFinish, {}};
    std::string why = newTableFault(env, files, want);
    if (why.empty()) return {Context::Leftover::kFinish, {}};
    return {Context::Leftover::kDiscard, std::move(why)};
}

Status apply(Env* env, const RewriteFiles& files, const Context::Leftover& leftover) {
    switch (leftover.action) {
        case Context::Leftover::kNone:
            return {};
        case Context::Leftover::kFinish:
            if (env->kind(files.newDbt) != FileKind::Missing)
                XBASE_TRY(env->rename(files.newDbt, files.dbt));
            if (env->kind(files.newDbf) != FileKind::Missing)
                XBASE_TRY(env->rename(files.newDbf, files.dbf));
            return env->remove(files.marker);
        case Context::Leftover::kSetAside:
            return setLeftoversAside(env, files);
        case Context::Leftover::kDiscard:
            break;
    }
    for (const std::string* path : {&files.newDbf, &files.newDbt, &files.marker})
        XBASE_TRY(env->remove(*path));
    return {};
}

}  // namespace

Context::Leftover Context::inspectRewrite(std::string_view name) const {
    const std::string base(name);
    const RewriteFiles files(resolve(base + ".dbf"), resolve(base + ".dbt"));
    std::unique_ptr<DbfFile> table;
    if (!files.any(env_)) return {};
    if (Status s = DbfFile::open(env_, files.dbf, false, &table); !s.ok())
        return {Leftover::kDiscard, s.message()};
    return inspect(env_, files, table->fields());
}

int Context::finishRewrite(std::string_view name, Leftover* leftover) {
    const std::string base(name);
    const RewriteFiles files(resolve(base + ".dbf"), resolve(base + ".dbt"));
    *leftover = {};
    if (!files.any(env_)) return kOk;
    for (const auto& t : tables_)
        if (static_cast<TableImpl*>(t.get())->dbfPath() == files.dbf)
            return fail(Status(kErrArgument, files.dbf + " is open"));
    // Only the holder of the table's lock may finish or undo the rewrite. New files without
    // their marker go whatever state the table is in (a repair killed before its rename leaves
    // a damaged table beside them), unless another program holds the table.
    auto holder = std::make_unique<TableImpl>(this, base, files.dbf);
    if (Status s = holder->openFiles(false); !s.ok()) {
        if (s.code() == kErrLocked || env_->kind(files.marker) != FileKind::Missing) return fail(s);
        holder.reset();
        *leftover = {Leftover::kDiscard, "the rewrite did not finish writing them"};
        return fail(apply(env(), files, *leftover));
    }
    // The table's fields come from the open holder: opening its file again and closing it would
    // drop the holder's lock.
    std::vector<FieldInfo> fields;
    for (int i = 0; i < holder->fieldCount(); ++i) {
        const Field* f = holder->fieldAt(i);
        fields.push_back({f->name(), f->type(), f->length(), f->decimals()});
    }
    *leftover = inspect(env_, files, fields);
    const Status s = apply(env(), files, *leftover);
    holder.reset();
    return fail(s);
}

Status Context::oneFileNamed(const std::vector<std::string>& names,
                             const std::string& fileName) const {
    std::string found;
    for (const std::string& n : names) {
        if (!sameName(n, fileName)) continue;
        if (!found.empty()) {
            const auto [first, second] = std::minmax(found, n);
            return Status(kErrOpen, dir_ + "/" + first + " and " + second +
                                        " differ only in letter case: which one holds the "
                                        "data cannot be told");
        }
        found = n;
    }
    return {};
}

Table* Context::open(std::string_view name) {
    const std::string base(name);
    std::vector<std::string> names;
    if (env_->list(dir_, &names).ok())
        for (const char* ext : {".dbf", ".dbt", ".cgp"})
            if (Status s = oneFileNamed(names, base + ext); !s.ok()) {
                fail(s);
                return nullptr;
            }
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
    if (Status s = table->openFiles(autoOpen_); !s.ok()) {
        fail(s);
        return nullptr;
    }
    tables_.push_back(std::move(table));
    return tables_.back().get();
}

std::string Context::headerFault(std::string_view name) const {
    const std::string base(name);
    std::unique_ptr<DbfFile> dbf;
    if (Status s = DbfFile::open(env_, resolve(base + ".dbf"), false, &dbf); !s.ok())
        return s.message();
    std::unique_ptr<DbtFile> memo;
    if (dbf->hasMemo())
        if (Status s = DbtFile::open(env_, resolve(base + ".dbt"), &memo); !s.ok())
            return s.message();
    return {};
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
