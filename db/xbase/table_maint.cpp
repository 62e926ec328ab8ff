// Whole-table operations of TableImpl: pack, zap and memo compaction (each a rewrite that
// replaces the files atomically), tag building, and the integrity check.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <system_error>
#include <thread>

#include "db/xbase/chunk_memory.h"
#include "db/xbase/key_sort.h"
#include "db/xbase/names.h"
#include "db/xbase/rewrite_marker.h"
#include "db/xbase/table.h"

namespace xbase {
namespace {

constexpr size_t kScanBytes = 1 << 20;

constexpr uint32_t kThreadRecords = 1 << 16;
// The records a thread of a two-thread scan takes at a time.
constexpr uint32_t kRunRecords = 1 << 13;

// Reads the table front to back, handing each record to `fn(rec, bytes)`: through a view of the
// file where the Env offers one (no copy), else in large pieces. `fn` must not write the table.
// With `twoThreads`, a view, a second core and records enough, a second thread hands records
// to `fn` at the same time: each thread takes the next run of records not yet taken, so that
// neither waits for the other while records remain.
template <typename Fn>
Status scan(DbfFile* dbf, Fn fn, bool twoThreads = false) {
    const size_t length = static_cast<size_t>(dbf->recordLength());
    const uint32_t count = dbf->count();
    const uint64_t end = dbf->headerLength() + uint64_t{count} * length;
    std::unique_ptr<FileView> view;
    if (dbf->flush().ok() && dbf->file()->view(&view).ok() && view->size() >= end) {
        const char* records = view->data() + dbf->headerLength();
        const auto range = [&](uint32_t first, uint32_t last) -> Status {
            for (uint32_t r = first; r <= last; ++r) XBASE_TRY(fn(r, records + (r - 1) * length));
            return {};
        };
        if (!twoThreads || count < kThreadRecords || std::thread::hardware_concurrency() < 2)
            return range(1, count);
        std::atomic<uint64_t> taken{0};
        const auto runs = [&]() -> Status {
            for (uint64_t first;
                 (first = taken.fetch_add(kRunRecords, std::memory_order_relaxed)) < count;)
                XBASE_TRY(range(static_cast<uint32_t>(first + 1),
                                static_cast<uint32_t>(std::min<uint64_t>(count, first + kRunRecords))));
            return {};
        };
        Status second;
        std::thread other;
        try {
            other = std::thread([&] { second = runs(); });
        } catch (const std::system_error&) {
            return range(1, count);  // no second thread to be had: this one reads them all
        }
        const Status first = runs();
        other.join();
        return first.ok() ? second : first;
    }
    const uint32_t batch = std::max<uint32_t>(1, kScanBytes / dbf->recordLength());
    std::string buf;
    for (uint32_t first = 1; first <= dbf->count(); first += batch) {
        const uint32_t n = std::min(batch, dbf->count() - first + 1);
        buf.resize(static_cast<size_t>(n) * dbf->recordLength());
        XBASE_TRY(dbf->readRange(first, n, buf.data()));
        for (uint32_t i = 0; i < n; ++i)
            XBASE_TRY(fn(first + i, buf.data() + static_cast<size_t>(i) * dbf->recordLength()));
    }
    return {};
}

}  // namespace

template <typename Keep>
Status TableImpl::rewrite(Keep keep, bool compactMemo) {
    XBASE_TRY(writeAll());
    Env* env = ctx_->env();
    compactMemo = compactMemo && dbt_;
    const RewriteFiles files(dbfPath_, dbtPath_);
    const std::string& newDbf = files.newDbf;
    const std::string& newDbt = files.newDbt;
    const auto writeNewFiles = [&]() -> Status {
        std::unique_ptr<File> out;
        XBASE_TRY(env->open(newDbf, OpenMode::Create, &out));
        std::unique_ptr<DbtFile> memoOut;
        if (compactMemo) {
            XBASE_TRY(DbtFile::create(env, newDbt));
            XBASE_TRY(DbtFile::open(env, newDbt, &memoOut));
        }
        const int len = dbf_->recordLength();
        uint64_t at = static_cast<uint64_t>(dbf_->headerLength());
        uint32_t kept = 0;
        std::string pending, rec, memo;
        XBASE_TRY(scan(dbf_.get(), [&](uint32_t r, const char* bytes) -> Status {
            if (!keep(r, bytes[0] == '*')) return {};
            rec.assign(bytes, static_cast<size_t>(len));
            if (compactMemo) {
                for (size_t f = 0; f < dbf_->fields().size(); ++f) {
                    if (dbf_->fields()[f].type != 'M') continue;
                    char* text = rec.data() + dbf_->offsets()[f];
                    XBASE_TRY(dbt_->read(DbtFile::blockOf(text), &memo));
                    uint32_t block = 0;
                    XBASE_TRY(memoOut->append(memo, &block));
                    DbtFile::putBlock(text, block);
                }
            }
            pending += rec;
            ++kept;
            if (pending.size() >= kScanBytes) {
                XBASE_TRY(out->write(at, pending.data(), pending.size()));
                at += pending.size();
                pending.clear();
            }
            return {};
        }));
        pending.push_back('\x1A');
        XBASE_TRY(out->write(at, pending.data(), pending.size()));
        std::string header =
            DbfFile::headerBytes(dbf_->fields(), dbf_->hasMemo(), kept, dbf_->headerLength());
        char version = 0;
        size_t got = 0;
        XBASE_TRY(dbf_->file()->read(0, 1, &version, &got));
        header[0] = version;
        XBASE_TRY(out->write(0, header.data(), header.size()));
        XBASE_TRY(out->sync());
        if (memoOut) XBASE_TRY(memoOut->file()->sync());
        return {};
    };
    if (Status s = writeNewFiles(); !s.ok()) {
        // Partial new files would only take the room later tables need.
        for (const std::string* path : {&newDbf, &newDbt}) {
            if (path == &newDbt && !compactMemo) continue;
            if (Status removed = env->remove(*path); !removed.ok())
                s = Status(s.code(), s.message() + "; " + removed.message());
        }
        return s;
    }
    // The old tags go first: a crash from here on leaves them missing, and missing index files
    // are rebuilt from whichever table survived.
    std::vector<TagInfo> infos;
    const std::string selectedName = selected_ >= 0 ? tags_[selected_].handle->name() : "";
    for (auto& t : tags_) infos.push_back({t.handle->name(), t.index->expression()});
    std::vector<std::string> tagPaths;
    for (auto& t : tags_) tagPaths.push_back(t.index->path());
    tags_.clear();
    selected_ = -1;
    for (const std::string& p : tagPaths) XBASE_TRY(env->remove(p));
    if (compactMemo) {
        XBASE_TRY(writeMarker(env, files, true));
        XBASE_TRY(env->rename(newDbt, dbtPath_));
        XBASE_TRY(env->rename(newDbf, dbfPath_));
        XBASE_TRY(env->remove(files.marker));
    } else {
        XBASE_TRY(env->rename(newDbf, dbfPath_));
    }
    XBASE_TRY(reopen());
    if (!infos.empty()) XBASE_TRY(rebuildTags(infos, groupName_));
    for (size_t i = 0; i < tags_.size(); ++i)
        if (tags_[i].handle->name() == selectedName) selected_ = static_cast<int>(i);
    return {};
}

Status TableImpl::reopen() {
    dbt_.reset();
    dbf_.reset();
    changed_ = appended_ = false;
    memos_.clear();
    cursorValid_ = false;
    return openFiles(false);
}

Status TableImpl::rebuildTags(const std::vector<TagInfo>& tags, const std::string& groupName) {
    std::vector<KeyExpr> exprs(tags.size());
    for (size_t t = 0; t < tags.size(); ++t)
        XBASE_TRY(KeyExpr::compile(tags[t].expression, dbf_->fields(), dbf_->offsets(), &exprs[t]));
    const uint32_t n = dbf_->count();
    // Every key is written by the scan, so the arrays start uninitialised.
    std::vector<std::unique_ptr<BulkMemory>> keys(tags.size());
    for (size_t t = 0; t < tags.size(); ++t)
        keys[t] = std::make_unique<BulkMemory>(static_cast<size_t>(n) * exprs[t].length() + 1);
    XBASE_TRY(scan(
        dbf_.get(),
        [&](uint32_t r, const char* bytes) -> Status {
            for (size_t t = 0; t < tags.size(); ++t)
                exprs[t].eval(bytes,
                              keys[t]->data() + static_cast<size_t>(r - 1) * exprs[t].length());
            return {};
        },
        true));
    tags_.clear();
    selected_ = -1;
    std::vector<std::string> names;
    for (size_t t = 0; t < tags.size(); ++t) {
        const int kl = exprs[t].length();
        const std::vector<uint32_t> order = sortKeys(keys[t]->data(), kl, n);
        const std::string path = ctx_->resolve(tags[t].name + ".ntx");
        XBASE_TRY(NtxIndex::build(ctx_->env(), path + ".new", tags[t].expression, kl,
                                  keys[t]->data(), order));
        keys[t].reset();
        XBASE_TRY(ctx_->env()->rename(path + ".new", path));
        XBASE_TRY(openTag(tags[t].name));
        names.push_back(tags[t].name);
    }
    groupName_ = groupName;
    XBASE_TRY(writeGroupFile(ctx_->env(), ctx_->resolve(groupName + ".cgp"), names));
    built_ = true;
    return {};
}

Status TableImpl::createIndex(std::string_view name, const std::vector<TagInfo>& tags) {
    XBASE_TRY(writeAll());
    for (const TagInfo& t : tags) {
        KeyExpr e;
        XBASE_TRY(KeyExpr::compile(t.expression, dbf_->fields(), dbf_->offsets(), &e));
        if (ctx_->safety() && ctx_->env()->exists(ctx_->resolve(t.name + ".ntx")))
            return Status(kErrCreate, t.name + ".ntx already exists");
    }
    const std::string group(name);
    if (ctx_->safety() && ctx_->env()->exists(ctx_->resolve(group + ".cgp")))
        return Status(kErrCreate, group + ".cgp already exists");
    XBASE_TRY(rebuildTags(tags, group));
    if (recCount() > 0)
        atRecord(1);
    else
        atEof();
    return {};
}

template <typename Keep>
int TableImpl::rewriteAndTop(Keep keep, bool compactMemo) {
    if (ctx_->inTransaction())
        return fail(Status(kErrArgument, name_ + ": a table is rewritten only outside a change"));
    if (!broken_.ok()) return fail(broken_);
    Status s = rewrite(keep, compactMemo);
    if (!s.ok()) {
        broken_ = s;
        return fail(s);
    }
    const int rc = top();
    return rc < 0 ? rc : kFound;
}

int TableImpl::pack() {
    return rewriteAndTop([](uint32_t, bool deleted) { return !deleted; }, false);
}

int TableImpl::memoCompress() {
    if (!dbt_) return kFound;
    return rewriteAndTop([](uint32_t, bool) { return true; }, true);
}

int TableImpl::zap(uint32_t from, uint32_t count) {
    const uint64_t end = static_cast<uint64_t>(from) + count;
    return rewriteAndTop([&](uint32_t r, bool) { return r < from || r >= end; }, false);
}

void TableImpl::check(std::vector<std::string>* problems) {
    if (!broken_.ok()) {
        problems->push_back(broken_.message());
        return;
    }
    if (Status s = writeAll(); !s.ok()) problems->push_back(s.message());
    const size_t before = problems->size();
    dbf_->check(problems);
    if (problems->size() > before) return;  // the records cannot be trusted for the rest
    const uint32_t n = dbf_->count();
    if (dbt_) {
        Status s = scan(dbf_.get(), [&](uint32_t r, const char* bytes) -> Status {
            for (size_t f = 0; f < dbf_->fields().size(); ++f) {
                if (dbf_->fields()[f].type != 'M') continue;
                const uint32_t block = DbtFile::blockOf(bytes + dbf_->offsets()[f]);
                if (block >= dbt_->nextFree())
                    problems->push_back(dbtPath_ + ": record " + std::to_string(r) +
                                        " names memo block " + std::to_string(block) +
                                        " past the end of the memo file");
            }
            return {};
        });
        if (!s.ok()) problems->push_back(s.message());
    }
    std::string rec(static_cast<size_t>(dbf_->recordLength()), ' ');
    for (auto& t : tags_) {
        const std::string& path = t.index->path();
        std::vector<uint8_t> seen(static_cast<size_t>(n) + 1, 0);
        int reported = 0;
        auto problem = [&](const std::string& line) {
            if (++reported <= 10) problems->push_back(line);
        };
        const bool whole = t.index->check(problem, [&](std::string_view key, uint32_t r) {
            if (r == 0 || r > n)
                return problem(path + ": names record " + std::to_string(r) + " of " +
                               std::to_string(n));
            if (seen[r]++) return problem(path + ": lists record " + std::to_string(r) + " twice");
            if (!dbf_->read(r, rec.data()).ok() || t.expr.eval(rec.data()) != key)
                problem(path + ": stored key of record " + std::to_string(r) +
                        " differs from its expression's value");
        });
        if (whole)
            for (uint32_t r = 1; r <= n; ++r)
                if (!seen[r]) problem(path + ": record " + std::to_string(r) + " is missing");
        if (reported > 10)
            problems->push_back(path + ": " + std::to_string(reported - 10) + " more problems");
    }
}

}  // namespace xbase
