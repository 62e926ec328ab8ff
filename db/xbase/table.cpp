#include "db/xbase/table.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "db/xbase/names.h"

namespace xbase {
namespace {

constexpr size_t kMaxDirtyPages = 1 << 16;  // 64 MB of index pages

}  // namespace

TableImpl::TableImpl(Context* ctx, std::string name, std::string dbfPath)
    : ctx_(ctx), name_(std::move(name)), dbfPath_(std::move(dbfPath)) {}

TableImpl::~TableImpl() = default;

int TableImpl::fail(const Status& s) {
    if (!s.ok()) faulted_ = true;
    return ctx_->fail(s);
}

Status TableImpl::lockFile(File* file, uint64_t offset, uint64_t length) {
    return file->lock(offset, length, ctx_->accessMode() == 1);
}

Status TableImpl::openFiles(bool withTags) {
    XBASE_TRY(DbfFile::open(ctx_->env(), dbfPath_, ctx_->optimize(), &dbf_, ctx_->cache()));
    XBASE_TRY(lockFile(dbf_->file(), kLockBase + 1, kLockBase));
    if (fields_.empty()) {
        const auto& infos = dbf_->fields();
        for (size_t i = 0; i < infos.size(); ++i)
            fields_.emplace_back(
                new Field(this, static_cast<int>(i), infos[i], dbf_->offsets()[i]));
    }
    if (dbf_->hasMemo()) {
        dbtPath_ = ctx_->resolve(name_ + ".dbt");
        XBASE_TRY(DbtFile::open(ctx_->env(), dbtPath_, &dbt_));
    }
    buf_.assign(static_cast<size_t>(dbf_->recordLength()), ' ');
    orig_ = buf_;
    if (withTags) {
        std::string group = ctx_->resolve(name_ + ".cgp");
        if (ctx_->env()->exists(group)) {
            std::vector<std::string> names;
            XBASE_TRY(readGroupFile(ctx_->env(), group, &names));
            groupName_ = name_;
            for (const std::string& t : names) XBASE_TRY(openTag(t));
            std::vector<FitEntry> entries;
            stamped_ = !tags_.empty() && fitEntries(&entries, false).ok() &&
                       fitRecordMatches(ctx_->env(), fitPath(), entries);
        }
    }
    if (dbf_->count() > 0)
        atRecord(1);
    else
        atEof();
    return {};
}

Status TableImpl::openTag(const std::string& tagName) {
    TagState t;
    XBASE_TRY(
        NtxIndex::open(ctx_->env(), ctx_->resolve(tagName + ".ntx"), &t.index, ctx_->cache()));
    t.index->keep(&cursor_);
    XBASE_TRY(lockFile(t.index->file(), kLockBase, 1));
    Status s = KeyExpr::compile(t.index->expression(), dbf_->fields(), dbf_->offsets(), &t.expr);
    if (!s.ok()) return Status(kErrIndex, t.index->path() + ": " + s.message());
    if (t.expr.length() != t.index->keyLength())
        return Status(kErrIndex, t.index->path() + ": key size does not match its expression");
    t.handle.reset(
        new Tag(tagName, t.index->expression(), t.expr.length(), static_cast<int>(tags_.size())));
    tags_.push_back(std::move(t));
    return {};
}

Field* TableImpl::field(std::string_view name) {
    for (auto& f : fields_)
        if (sameName(f->name(), name)) return f.get();
    fail(Status(kErrField, name_ + ": no field " + std::string(name)));
    return nullptr;
}

Field* TableImpl::fieldAt(int index) {
    return index >= 0 && index < fieldCount() ? fields_[static_cast<size_t>(index)].get() : nullptr;
}

Tag* TableImpl::tag(std::string_view name) {
    for (auto& t : tags_)
        if (sameName(t.handle->name(), name)) return t.handle.get();
    fail(Status(kErrTag, name_ + ": no tag " + std::string(name)));
    return nullptr;
}

Tag* TableImpl::tagAt(int index) {
    return index >= 0 && index < tagCount() ? tags_[static_cast<size_t>(index)].handle.get()
                                            : nullptr;
}

void TableImpl::select(Tag* tag) {
    selected_ = -1;
    for (size_t i = 0; i < tags_.size(); ++i)
        if (tags_[i].handle.get() == tag) selected_ = static_cast<int>(i);
    cursorValid_ = false;
}

Tag* TableImpl::selected() const {
    return selected_ < 0 ? nullptr : tags_[static_cast<size_t>(selected_)].handle.get();
}

void TableImpl::atRecord(uint32_t rec) {
    rec_ = rec;
    eof_ = bof_ = false;
    loaded_ = false;
}

void TableImpl::atEof() {
    rec_ = recCount() + 1;
    eof_ = true;
    bof_ = false;
    loaded_ = false;
    cursorValid_ = false;
}

Status TableImpl::ensureLoaded() {
    if (loaded_) return broken_;
    Status s = broken_;
    const bool onRecord = !eof_ && rec_ != 0 && rec_ <= recCount();
    if (s.ok() && onRecord) s = dbf_->read(rec_, buf_.data());
    if (!s.ok() || !onRecord) std::fill(buf_.begin(), buf_.end(), ' ');
    orig_ = buf_;
    loaded_ = true;
    return s;
}

const char* TableImpl::record() {
    Status s = ensureLoaded();
    if (!s.ok()) fail(s);
    return buf_.data();
}

char* TableImpl::recordForWrite() {
    record();
    if (eof_ || !broken_.ok()) return nullptr;
    changed_ = true;
    return buf_.data();
}

std::string TableImpl::readMemo(int field) {
    if (auto it = memos_.find(field); it != memos_.end()) return it->second;
    const char* rec = record();
    if (!dbt_) return {};
    std::string text;
    Status s =
        dbt_->read(DbtFile::blockOf(rec + dbf_->offsets()[static_cast<size_t>(field)]), &text);
    if (!s.ok()) fail(s);
    return text;
}

void TableImpl::setMemo(int field, std::string_view text) {
    if (!recordForWrite()) return;
    std::string clean(text);
    std::replace(clean.begin(), clean.end(), '\x1A', ' ');
    memos_[field] = std::move(clean);
}

Status TableImpl::ensureCursor() {
    if (cursorValid_ || selected_ < 0 || eof_) return {};
    XBASE_TRY(broken_);
    // The key comes from the record as the file holds it: read in place when it is not loaded.
    const char* record = nullptr;
    if (!loaded_ && rec_ != 0 && rec_ <= recCount()) XBASE_TRY(dbf_->peek(rec_, &record));
    if (!record) {
        XBASE_TRY(ensureLoaded());
        record = orig_.data();
    }
    TagState& t = tags_[static_cast<size_t>(selected_)];
    bool found = false;
    keySought_.resize(static_cast<size_t>(t.expr.length()));
    t.expr.eval(record, keySought_.data());
    XBASE_TRY(t.index->find(keySought_, rec_, &cursor_, &found));
    if (!found)
        return Status(kErrIndex, t.index->path() + ": record " + std::to_string(rec_) +
                                     " is missing from the index");
    cursorValid_ = true;
    return {};
}

Status TableImpl::flushRecord() {
    if (!changed_) return {};
    changed_ = false;
    const uint32_t rec = rec_;
    if (dbt_) {
        for (auto& [field, text] : memos_) {
            uint32_t block = 0;
            std::string trimmed = text;
            Status s = dbt_->append(trimmed, &block);
            if (!s.ok()) {
                memos_.clear();
                loaded_ = false;
                return s;
            }
            DbtFile::putBlock(buf_.data() + dbf_->offsets()[static_cast<size_t>(field)], block);
        }
    }
    memos_.clear();
    Status s = dbf_->write(rec, buf_.data());
    modified_ = true;
    if (!s.ok()) {
        loaded_ = false;
        return s;
    }
    for (size_t i = 0; i < tags_.size(); ++i) {
        TagState& t = tags_[i];
        keyNow_.resize(static_cast<size_t>(t.expr.length()));
        t.expr.eval(buf_.data(), keyNow_.data());
        if (appended_) {
            XBASE_TRY(t.index->insert(keyNow_, rec));
        } else {
            keyBefore_.resize(keyNow_.size());
            t.expr.eval(orig_.data(), keyBefore_.data());
            if (keyBefore_ == keyNow_) continue;
            XBASE_TRY(t.index->remove(keyBefore_, rec));
            XBASE_TRY(t.index->insert(keyNow_, rec));
        }
        if (static_cast<int>(i) == selected_) cursorValid_ = false;
        if (!ctx_->optimize() || t.index->dirtyPages() > kMaxDirtyPages)
            XBASE_TRY(t.index->commit());
    }
    appended_ = false;
    orig_ = buf_;
    return {};
}

Status TableImpl::writeAll() {
    XBASE_TRY(broken_);
    XBASE_TRY(flushRecord());
    XBASE_TRY(dbf_->flush());
    for (auto& t : tags_) XBASE_TRY(t.index->commit());
    return {};
}

Status TableImpl::reload() {
    faulted_ = true;
    memos_.clear();
    changed_ = appended_ = false;
    cursorValid_ = false;
    Status s = dbf_->reload();
    if (s.ok() && dbt_) s = dbt_->reload();
    for (auto& t : tags_)
        if (s.ok()) s = t.index->reload();
    if (!s.ok()) broken_ = s;
    atEof();
    return s;
}

int TableImpl::flushCurrent() {
    if (!changed_ && broken_.ok()) return kFound;  // every move asks: nothing to write
    Status s = broken_.ok() ? flushRecord() : broken_;
    return s.ok() ? kFound : fail(s);
}

int TableImpl::flush() {
    Status s = writeAll();
    return s.ok() ? kFound : fail(s);
}

int TableImpl::positioned(const Status& s, int result) {
    if (!s.ok()) {
        cursorValid_ = false;
        return fail(s);
    }
    return result;
}

int TableImpl::landed(NtxIndex* index, const Status& s, bool found, int result) {
    if (!s.ok() || !found) {
        atEof();
        return positioned(s, kEof);
    }
    atRecord(index->rec(cursor_));
    cursorValid_ = true;
    return result;
}

int TableImpl::edge(bool first) {
    if (int rc = flushCurrent(); rc < 0) return rc;
    if (recCount() == 0) {
        atEof();
        return kEof;
    }
    if (selected_ < 0) {
        atRecord(first ? 1 : recCount());
        return kFound;
    }
    NtxIndex* index = tags_[static_cast<size_t>(selected_)].index.get();
    bool found = false;
    Status s = first ? index->first(&cursor_, &found) : index->last(&cursor_, &found);
    return landed(index, s, found, kFound);
}

int TableImpl::top() {
    return edge(true);
}

int TableImpl::bottom() {
    return edge(false);
}

int TableImpl::skip(long n) {
    if (int rc = flushCurrent(); rc < 0) return rc;
    if (recCount() == 0) {
        atEof();
        return n < 0 ? kBof : kEof;
    }
    if (eof_) {
        if (n >= 0) return kEof;
        if (int rc = bottom(); rc != kFound) return rc;
        ++n;
    }
    if (selected_ < 0) {
        const int64_t target = static_cast<int64_t>(rec_) + n;
        if (target > static_cast<int64_t>(recCount())) {
            atEof();
            return kEof;
        }
        if (target < 1) {
            atRecord(1);
            bof_ = true;
            return kBof;
        }
        atRecord(static_cast<uint32_t>(target));
        return kFound;
    }
    NtxIndex* index = tags_[static_cast<size_t>(selected_)].index.get();
    Status s = ensureCursor();
    if (!s.ok()) return positioned(s, 0);
    bool moved = true;
    for (; n > 0 && moved; --n) {
        s = index->next(&cursor_, &moved);
        if (!s.ok()) return positioned(s, 0);
    }
    if (!moved) {
        atEof();
        return kEof;
    }
    for (; n < 0 && moved; ++n) {
        s = index->prev(&cursor_, &moved);
        if (!s.ok()) return positioned(s, 0);
    }
    atRecord(index->rec(cursor_));
    if (!moved) {
        bof_ = true;
        return kBof;
    }
    return kFound;
}

int TableImpl::seek(std::string_view key) {
    if (int rc = flushCurrent(); rc < 0) return rc;
    if (selected_ < 0) return fail(Status(kErrTag, name_ + ": seek without a selected tag"));
    NtxIndex* index = tags_[static_cast<size_t>(selected_)].index.get();
    int result = kEof;
    Status s = index->seek(key, &cursor_, &result);
    return landed(index, s, result != kEof, result);
}

int TableImpl::go(uint32_t recNo) {
    if (int rc = flushCurrent(); rc < 0) return rc;
    if (recNo < 1 || recNo > recCount())
        return fail(Status(kErrRecord, name_ + ": no record " + std::to_string(recNo)));
    atRecord(recNo);
    cursorValid_ = false;
    return kFound;
}

double TableImpl::position() {
    if (flushCurrent() < 0 || recCount() == 0) return 0.0;
    if (eof_) return 1.0;
    if (selected_ < 0)
        return recCount() == 1 ? 0.0 : static_cast<double>(rec_ - 1) / (recCount() - 1);
    Status s = ensureCursor();
    if (!s.ok()) {
        fail(s);
        return 0.0;
    }
    return tags_[static_cast<size_t>(selected_)].index->position(cursor_);
}

uint32_t TableImpl::place() {
    if (flushCurrent() < 0 || eof_) return 0;
    if (selected_ < 0) return rec_;
    uint32_t before = 0;
    Status s = ensureCursor();
    if (s.ok()) s = tags_[static_cast<size_t>(selected_)].index->place(cursor_, &before);
    if (!s.ok()) {
        fail(s);
        return 0;
    }
    return before + 1;
}

int TableImpl::goPlace(uint32_t place) {
    if (int rc = flushCurrent(); rc < 0) return rc;
    if (place == 0) return fail(Status(kErrArgument, name_ + ": places start at 1"));
    if (selected_ < 0) {
        if (place > recCount()) {
            atEof();
            return kEof;
        }
        atRecord(place);
        cursorValid_ = false;
        return kFound;
    }
    NtxIndex* index = tags_[static_cast<size_t>(selected_)].index.get();
    bool found = false;
    Status s = index->seekPlace(place - 1, &cursor_, &found);
    return landed(index, s, found, kFound);
}

std::string TableImpl::currentKey() {
    if (selected_ < 0) return {};
    return tags_[static_cast<size_t>(selected_)].expr.eval(record());
}

bool TableImpl::deleted() {
    return record()[0] == '*';
}

void TableImpl::deleteRecord() {
    if (char* r = recordForWrite()) r[0] = '*';
}

void TableImpl::recall() {
    if (char* r = recordForWrite()) r[0] = ' ';
}

int TableImpl::appendBlank() {
    if (int rc = flushCurrent(); rc < 0) return rc;
    std::fill(buf_.begin(), buf_.end(), ' ');
    Status s = dbf_->append(buf_.data());
    modified_ = true;
    if (!s.ok()) return fail(s);
    atRecord(recCount());
    orig_ = buf_;
    loaded_ = true;
    changed_ = appended_ = true;
    cursorValid_ = false;
    return kFound;
}

int TableImpl::close() {
    int rc = flush();
    if (modified_ && broken_.ok()) {
        Status s = dbf_->file()->sync();
        if (s.ok() && dbt_) s = dbt_->file()->sync();
        for (auto& t : tags_)
            if (s.ok()) s = t.index->file()->sync();
        if (!s.ok() && rc >= 0) rc = fail(s);
    }
    if (rc >= 0 && trusted()) recordFit();
    ctx_->forget(this);
    return rc;
}

}  // namespace xbase
