#include "db/xbase/dbf.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>

namespace xbase {
namespace {

Status damaged(const std::string& path, const std::string& what) {
    return Status(kErrData, path + ": " + what);
}

bool validField(const FieldInfo& f) {
    if (f.name.empty() || f.name.size() > 10) return false;
    switch (f.type) {
        case 'C':
            return f.length >= 1 && f.length <= 254 && f.decimals == 0;
        case 'N':
            return f.length >= 1 && f.length <= 19 && f.decimals >= 0 &&
                   (f.decimals == 0 || f.decimals <= f.length - 2);
        case 'D':
            return f.length == 8;
        case 'L':
            return f.length == 1;
        case 'M':
            return f.length == 10;
        default:
            return false;
    }
}

// Bytes 1-3 of the header: the date of the last update.
void stampDate(char* head) {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    head[1] = static_cast<char>(tm.tm_year);
    head[2] = static_cast<char>(tm.tm_mon + 1);
    head[3] = static_cast<char>(tm.tm_mday);
}

}  // namespace

std::string DbfFile::headerBytes(const std::vector<FieldInfo>& fields, bool memo, uint32_t count,
                                 int headerLength) {
    std::string h(static_cast<size_t>(headerLength), '\0');
    int recordLength = 1;
    for (const FieldInfo& f : fields) recordLength += f.length;
    h[0] = static_cast<char>(memo ? 0x83 : 0x03);
    stampDate(h.data());
    put32(&h[4], count);
    put16(&h[8], static_cast<uint16_t>(headerLength));
    put16(&h[10], static_cast<uint16_t>(recordLength));
    h[29] = static_cast<char>(kLanguageDriver);
    for (size_t i = 0; i < fields.size(); ++i) {
        char* d = &h[32 + 32 * i];
        for (size_t k = 0; k < fields[i].name.size(); ++k)
            d[k] = static_cast<char>(std::toupper(static_cast<unsigned char>(fields[i].name[k])));
        d[11] = fields[i].type;
        d[16] = static_cast<char>(fields[i].length);
        d[17] = static_cast<char>(fields[i].decimals);
    }
    h[32 + 32 * fields.size()] = 0x0D;
    return h;
}

Status DbfFile::create(Env* env, const std::string& path, const std::vector<FieldInfo>& fields) {
    if (fields.empty() || fields.size() > 255)
        return Status(kErrArgument, "a table needs 1 to 255 fields");
    int recordLength = 1;
    bool memo = false;
    for (const FieldInfo& f : fields) {
        if (!validField(f)) return Status(kErrArgument, "invalid field " + f.name);
        recordLength += f.length;
        memo = memo || f.type == 'M';
    }
    if (recordLength > 65535) return Status(kErrArgument, "record too long");
    int headerLength = 32 * static_cast<int>(fields.size()) + 33;
    std::string bytes = headerBytes(fields, memo, 0, headerLength);
    bytes.push_back(0x1A);
    std::unique_ptr<File> file;
    XBASE_TRY(env->open(path, OpenMode::Create, &file));
    XBASE_TRY(file->write(0, bytes.data(), bytes.size()));
    return file->sync();
}

Status DbfFile::open(Env* env, const std::string& path, bool optimize,
                     std::unique_ptr<DbfFile>* out, CacheBudget* budget) {
    std::unique_ptr<DbfFile> d(new DbfFile);
    d->path_ = path;
    d->optimize_ = optimize;
    d->budget_ = budget;
    if (budget) budget->join(d.get());
    XBASE_TRY(env->open(path, OpenMode::ReadWrite, &d->file_));
    XBASE_TRY(d->parse());
    d->written_ = d->count_;
    // A table larger than an eighth of the budget is kept in small chunks, so that reading it at
    // random costs a small read per record; a smaller one in large chunks, read once.
    const uint64_t bytes = d->headerLength_ + uint64_t{d->count_} * d->recordLength_;
    d->chunk_ = budget && bytes > budget->limit() / 8 ? kSmallChunk : kLargeChunk;
    *out = std::move(d);
    return {};
}

Status DbfFile::reload() {
    fields_.clear();
    offsets_.clear();
    hasMemo_ = false;
    tail_.clear();
    dropChunks();
    XBASE_TRY(parse());
    written_ = count_;
    return {};
}

DbfFile::~DbfFile() {
    dropChunks();
    if (budget_) budget_->leave(this);
}

void DbfFile::dropChunks() {
    while (order_.oldest()) dropOldest();
    chunks_.clear();
    spare_.clear();
}

uint64_t DbfFile::oldestUse() {
    const CacheLink* oldest = order_.oldest();
    return oldest ? oldest->used : UINT64_MAX;
}

void DbfFile::dropOldest() {
    Chunk* c = static_cast<Chunk*>(order_.oldest());
    order_.take(c);
    // A few chunks given up are kept for the next reads instead of freed.
    if (spare_.size() < kReadAhead)
        spare_.push_back(std::move(chunks_[c->index]));
    else
        chunks_[c->index].reset();
    budget_->shrank(chunk_);
}

Status DbfFile::openForRepair(Env* env, const std::string& path, std::unique_ptr<DbfFile>* out) {
    std::unique_ptr<DbfFile> d(new DbfFile);
    d->path_ = path;
    XBASE_TRY(env->open(path, OpenMode::ReadOnly, &d->file_));
    XBASE_TRY(d->parse(true));
    d->written_ = d->count_;
    *out = std::move(d);
    return {};
}

Status DbfFile::parse(bool countFromSize) {
    uint64_t size = 0;
    XBASE_TRY(file_->size(&size));
    char head[32];
    size_t got = 0;
    XBASE_TRY(file_->read(0, 32, head, &got));
    if (got < 32) return damaged(path_, "file too short for a table header");
    const uint8_t version = static_cast<uint8_t>(head[0]);
    if ((version & 0x07) != 0x03) return damaged(path_, "not a dBASE III table");
    count_ = statedCount_ = get32(head + 4);
    headerLength_ = get16(head + 8);
    recordLength_ = get16(head + 10);
    if (headerLength_ < 65 || recordLength_ < 2) return damaged(path_, "bad header lengths");
    std::string desc(static_cast<size_t>(headerLength_ - 32), '\0');
    XBASE_TRY(file_->read(32, desc.size(), desc.data(), &got));
    if (got < desc.size()) return damaged(path_, "header runs past the end of the file");
    int offset = 1;
    for (size_t p = 0; p + 32 <= desc.size() && desc[p] != 0x0D; p += 32) {
        FieldInfo f;
        f.name.assign(desc.data() + p, strnlen(desc.data() + p, 11));
        f.type = static_cast<char>(std::toupper(static_cast<unsigned char>(desc[p + 11])));
        f.length = static_cast<uint8_t>(desc[p + 16]);
        f.decimals = f.type == 'N' ? static_cast<uint8_t>(desc[p + 17]) : 0;
        if (f.name.empty() || f.length == 0) return damaged(path_, "bad field descriptor");
        // Only the dBASE III shapes: another dialect's memo pointer or a short date would be
        // read across its neighbours.
        const bool shape = (f.type == 'C') || (f.type == 'N' && f.length <= 20) ||
                           (f.type == 'D' && f.length == 8) || (f.type == 'L' && f.length == 1) ||
                           (f.type == 'M' && f.length == 10);
        if (!shape) return damaged(path_, "field " + f.name + " has an unsupported type or width");
        if (f.type == 'M') hasMemo_ = true;
        offsets_.push_back(offset);
        offset += f.length;
        fields_.push_back(std::move(f));
    }
    if (fields_.empty()) return damaged(path_, "no fields");
    if (offset != recordLength_) return damaged(path_, "field lengths disagree with record length");
    if (countFromSize) {
        count_ = static_cast<uint32_t>(
            std::min<uint64_t>((size - headerLength_) / recordLength_, UINT32_MAX));
        return {};
    }
    const uint64_t expected = static_cast<uint64_t>(headerLength_) +
                              static_cast<uint64_t>(count_) * static_cast<uint64_t>(recordLength_);
    if (size < expected)
        return damaged(path_, "record count " + std::to_string(count_) +
                                  " runs past the end of the file (truncated)");
    if (size > expected + 1)
        return damaged(path_,
                       "record count " + std::to_string(count_) + " disagrees with the file size");
    return {};
}

Status DbfFile::useChunk(size_t index, Chunk** out) {
    if (index >= chunks_.size()) chunks_.resize(index + 1);
    if (!chunks_[index]) XBASE_TRY(loadChunks(index));
    *out = chunks_[index].get();
    if (budget_) order_.use(*out, budget_->tick());
    return {};
}

Status DbfFile::read(uint32_t rec, char* dst) {
    if (rec == 0 || rec > count_) return Status(kErrRecord, "no record " + std::to_string(rec));
    if (rec > written_) {
        std::memcpy(dst, tail_.data() + static_cast<size_t>(rec - written_ - 1) * recordLength_,
                    static_cast<size_t>(recordLength_));
        return {};
    }
    uint64_t offset = headerLength_ + static_cast<uint64_t>(rec - 1) * recordLength_;
    if (!optimize_) return readRange(rec, 1, dst);
    size_t left = static_cast<size_t>(recordLength_);
    while (left > 0) {
        size_t within = static_cast<size_t>(offset % chunk_);
        Chunk* c = nullptr;
        XBASE_TRY(useChunk(static_cast<size_t>(offset / chunk_), &c));
        size_t n = std::min(left, chunk_ - within);
        std::memcpy(dst, c->data() + within, n);
        dst += n;
        offset += n;
        left -= n;
    }
    if (budget_) budget_->trim();
    return {};
}

Status DbfFile::peek(uint32_t rec, const char** at) {
    *at = nullptr;
    if (rec == 0 || rec > count_) return Status(kErrRecord, "no record " + std::to_string(rec));
    if (rec > written_) {
        *at = tail_.data() + static_cast<size_t>(rec - written_ - 1) * recordLength_;
        return {};
    }
    const uint64_t offset = headerLength_ + static_cast<uint64_t>(rec - 1) * recordLength_;
    const size_t index = static_cast<size_t>(offset / chunk_);
    const size_t within = static_cast<size_t>(offset % chunk_);
    if (!optimize_ || within + static_cast<size_t>(recordLength_) > chunk_) return {};
    Chunk* c = nullptr;
    XBASE_TRY(useChunk(index, &c));
    // The chunk was used last, so it goes only when nothing else is left to give up.
    if (budget_) budget_->trim();
    if (chunks_[index]) *at = c->data() + within;
    return {};
}

Status DbfFile::loadChunks(size_t first) {
    // A miss right after the chunk before reads on ahead, more the longer the run goes on.
    run_ = lastMiss_ + 1 == first ? std::min(run_ * 2, kReadAhead) : 1;
    lastMiss_ = first;
    const size_t end = static_cast<size_t>(
        (headerLength_ + uint64_t{written_} * recordLength_ + chunk_ - 1) / chunk_);
    const size_t reach = std::min(first + run_, end);
    if (chunks_.size() < reach) chunks_.resize(reach);
    size_t count = 1;
    while (first + count < reach && !chunks_[first + count]) ++count;
    ChunkPtr fresh[kReadAhead];
    for (size_t i = 0; i < count; ++i) {
        ChunkPtr& c = fresh[i];
        if (!spare_.empty()) {
            c = std::move(spare_.back());
            spare_.pop_back();
        } else {
            c = newChunk();
        }
    }
    // One chunk is read in place; a run through one buffer, then shared out.
    char* into = count == 1 ? fresh[0]->data() : nullptr;
    if (!into) {
        staging_.resize(count * chunk_);
        into = staging_.data();
    }
    size_t got = 0;
    XBASE_TRY(file_->read(static_cast<uint64_t>(first) * chunk_, count * chunk_, into, &got));
    for (size_t i = 0; i < count; ++i) {
        ChunkPtr& c = fresh[i];
        c->index = first + i;
        if (count > 1) std::memcpy(c->data(), into + i * chunk_, chunk_);
        if (budget_) {
            budget_->grew(chunk_);
            order_.use(c.get(), budget_->tick());
        }
        chunks_[first + i] = std::move(c);
    }
    return {};
}

Status DbfFile::readRange(uint32_t first, uint32_t n, char* dst) {
    if (first == 0 || first + n - 1 > count_) return Status(kErrRecord, "no such records");
    if (first + n - 1 > written_) XBASE_TRY(flush());
    uint64_t offset = headerLength_ + static_cast<uint64_t>(first - 1) * recordLength_;
    size_t bytes = static_cast<size_t>(n) * recordLength_;
    size_t got = 0;
    XBASE_TRY(file_->read(offset, bytes, dst, &got));
    if (got < bytes) return damaged(path_, "truncated record");
    return {};
}

void DbfFile::updateCache(uint64_t offset, const char* src, size_t n) {
    while (n > 0) {
        size_t chunk = static_cast<size_t>(offset / chunk_);
        size_t within = static_cast<size_t>(offset % chunk_);
        size_t part = std::min(n, chunk_ - within);
        if (chunk < chunks_.size() && chunks_[chunk])
            std::memcpy(chunks_[chunk]->data() + within, src, part);
        src += part;
        offset += part;
        n -= part;
    }
}

Status DbfFile::write(uint32_t rec, const char* src) {
    if (rec == 0 || rec > count_) return Status(kErrRecord, "no record " + std::to_string(rec));
    if (rec > written_) {
        std::memcpy(tail_.data() + static_cast<size_t>(rec - written_ - 1) * recordLength_, src,
                    static_cast<size_t>(recordLength_));
        return {};
    }
    uint64_t offset = headerLength_ + static_cast<uint64_t>(rec - 1) * recordLength_;
    XBASE_TRY(file_->write(offset, src, static_cast<size_t>(recordLength_)));
    updateCache(offset, src, static_cast<size_t>(recordLength_));
    return {};
}

Status DbfFile::append(const char* src) {
    tail_.append(src, static_cast<size_t>(recordLength_));
    ++count_;
    if (!optimize_ || tail_.size() >= (1 << 20)) return flush();
    return {};
}

Status DbfFile::flush() {
    if (tail_.empty()) return {};
    uint64_t offset = headerLength_ + static_cast<uint64_t>(written_) * recordLength_;
    tail_.push_back(0x1A);
    Status s = file_->write(offset, tail_.data(), tail_.size());
    if (s.ok()) s = writeCount();
    if (!s.ok()) {
        // The appended records are lost: put the file back to what its header says it holds.
        const char eof = 0x1A;
        if (file_->truncate(offset).ok()) (void)file_->write(offset, &eof, 1);
        count_ = written_;
        tail_.clear();
        return s;
    }
    updateCache(offset, tail_.data(), tail_.size());
    written_ = count_;
    tail_.clear();
    return {};
}

Status DbfFile::writeCount() {
    char head[8];
    size_t got = 0;
    XBASE_TRY(file_->read(0, 1, head, &got));
    stampDate(head);
    put32(head + 4, count_);
    XBASE_TRY(file_->write(0, head, 8));
    updateCache(0, head, 8);
    return {};
}

void DbfFile::check(std::vector<std::string>* problems) {
    if (Status s = flush(); !s.ok()) problems->push_back(s.message());
    uint64_t size = 0;
    if (!file_->size(&size).ok()) {
        problems->push_back(path_ + ": cannot read its size");
        return;
    }
    const uint64_t expected = headerLength_ + static_cast<uint64_t>(count_) * recordLength_;
    if (size < expected || size > expected + 1) {
        problems->push_back(path_ + ": header record count " + std::to_string(count_) +
                            " disagrees with the file size " + std::to_string(size));
        return;
    }
    const uint32_t batch = std::max<uint32_t>(1, (1 << 20) / recordLength_);
    std::string buf;
    for (uint32_t first = 1; first <= count_; first += batch) {
        uint32_t n = std::min(batch, count_ - first + 1);
        buf.resize(static_cast<size_t>(n) * recordLength_);
        if (!readRange(first, n, buf.data()).ok()) {
            problems->push_back(path_ + ": cannot read records from " + std::to_string(first));
            return;
        }
        for (uint32_t i = 0; i < n; ++i) {
            char flag = buf[static_cast<size_t>(i) * recordLength_];
            if (flag != ' ' && flag != '*')
                problems->push_back(path_ + ": record " + std::to_string(first + i) +
                                    " has a bad deletion flag");
        }
    }
}

}  // namespace xbase
