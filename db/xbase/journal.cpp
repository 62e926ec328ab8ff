#include "db/xbase/journal.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>
#include <set>
#include <thread>

#include "db/xbase/checksum.h"
#include "db/xbase/dbf.h"
#include "db/xbase/names.h"
#include "db/xbase/set_aside.h"

namespace xbase {
namespace {

constexpr uint64_t kPage = 1024;
constexpr size_t kHeader = 512;
constexpr char kMagic[8] = {'X', 'B', 'J', 'O', 'U', 'R', 'N', '2'};
constexpr char kEarlierMagic[8] = {'X', 'B', 'J', 'O', 'U', 'R', 'N', '1'};
constexpr size_t kIdBytes = 16;
constexpr size_t kHeadBytes = 32;
constexpr size_t kFileFixed = 87;  // an 'F' entry before its name
// Far beyond any table the engine writes: a size past it is not a size the journal recorded.
constexpr uint64_t kMaxFileSize = uint64_t{1} << 42;

void put64(char* p, uint64_t v) {
    put32(p, static_cast<uint32_t>(v));
    put32(p + 4, static_cast<uint32_t>(v >> 32));
}
uint64_t get64(const char* p) {
    return static_cast<uint64_t>(get32(p)) | static_cast<uint64_t>(get32(p + 4)) << 32;
}

std::string baseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void addEntry(std::string* body, std::string entry) {
    char crc[4];
    put32(crc, crc32(entry.data(), entry.size()));
    entry.append(crc, 4);
    *body += entry;
}

std::string fileEntry(uint32_t fileNo, uint64_t before, uint64_t after,
                      const std::string& headBefore, const std::string& headAfter,
                      const std::string& name) {
    std::string e(kFileFixed, '\0');
    e[0] = 'F';
    put32(&e[1], fileNo);
    put64(&e[5], before);
    put64(&e[13], after);
    headBefore.copy(&e[21], kHeadBytes);
    headAfter.copy(&e[53], kHeadBytes);
    put16(&e[85], static_cast<uint16_t>(name.size()));
    return e + name;
}

// The first kHeadBytes of a file of `size` bytes whose start is `bytes`, zero-padded.
std::string head(std::string bytes, uint64_t size) {
    bytes.resize(static_cast<size_t>(std::min<uint64_t>(size, kHeadBytes)));
    bytes.resize(kHeadBytes, '\0');
    return bytes;
}

// A name the journal may change: one of the directory's own table, memo or index files.
bool ownFileName(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos ||
        name.find('\0') != std::string::npos || name.find('\\') != std::string::npos)
        return false;
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0) return false;
    const std::string ext = name.substr(dot);
    return sameName(ext, ".dbf") || sameName(ext, ".dbt") || sameName(ext, ".ntx");
}

std::string pageEntry(uint32_t fileNo, uint64_t offset, const std::string& bytes) {
    std::string e(17, '\0');
    e[0] = 'P';
    put32(&e[1], fileNo);
    put64(&e[5], offset);
    put32(&e[13], static_cast<uint32_t>(bytes.size()));
    return e + bytes;
}

}  // namespace

// The original state of the changed files as a journal records it.
struct Journal::Original {
    std::vector<std::string> names;
    std::vector<uint64_t> sizes;
    std::vector<uint64_t> sizesAfter;
    std::vector<std::string> heads, headsAfter;
    struct Page {
        uint32_t fileNo;
        uint64_t offset;
        std::string bytes;
    };
    std::vector<Page> pages;
};

namespace {

// Reads the entries of a body that passed its CRC; false with *why when they do not hold
// together.
bool parseBody(const std::string& body, Journal::Original* o, std::string* why) {
    for (size_t at = 0; at < body.size();) {
        const char* e = body.data() + at;
        const size_t left = body.size() - at;
        size_t len = 0;
        if (e[0] == 'F' && left >= kFileFixed)
            len = kFileFixed + get16(e + 85);
        else if (e[0] == 'P' && left >= 17)
            len = 17 + static_cast<size_t>(get32(e + 13));
        if (len == 0 || len + 4 > left || crc32(e, len) != get32(e + len)) {
            *why = "an entry at byte " + std::to_string(kHeader + at) + " fails its check";
            return false;
        }
        const uint32_t fileNo = get32(e + 1);
        if (e[0] == 'F') {
            if (fileNo != o->names.size()) {
                *why = "its files are out of order";
                return false;
            }
            o->names.emplace_back(e + kFileFixed, len - kFileFixed);
            o->sizes.push_back(get64(e + 5));
            o->sizesAfter.push_back(get64(e + 13));
            o->heads.emplace_back(e + 21, kHeadBytes);
            o->headsAfter.emplace_back(e + 53, kHeadBytes);
        } else {
            if (fileNo >= o->names.size()) {
                *why = "a page names a file it does not list";
                return false;
            }
            o->pages.push_back({fileNo, get64(e + 5), std::string(e + 17, len - 17)});
        }
        at += len + 4;
    }
    return true;
}

// Why the entries cannot be this directory's change: names other than its own table, memo and
// index files, sizes or pages out of bounds, or a shrinking change whose cut-off bytes are not
// all recorded (a rollback would pad the file with zeros). Empty when none.
std::string outOfBounds(const Journal::Original& o) {
    std::set<std::string> seen;
    for (size_t i = 0; i < o.names.size(); ++i) {
        const std::string& name = o.names[i];
        if (!ownFileName(name))
            return "it names \"" + name + "\", not a data file of the directory";
        if (!seen.insert(name).second) return "it names " + name + " twice";
        if (o.sizes[i] > kMaxFileSize || o.sizesAfter[i] > kMaxFileSize)
            return "it gives " + name + " a size no data file has";
    }
    std::vector<std::set<uint64_t>> pages(o.names.size());
    for (const Journal::Original::Page& p : o.pages) {
        const uint64_t size = o.sizes[p.fileNo];
        if (p.offset % kPage != 0 || p.offset >= size ||
            p.bytes.size() != std::min(kPage, size - p.offset))
            return "a page of " + o.names[p.fileNo] + " lies outside the file it names";
        pages[p.fileNo].insert(p.offset / kPage);
    }
    for (size_t i = 0; i < o.names.size(); ++i)
        for (uint64_t n = o.sizesAfter[i] / kPage; n * kPage < o.sizes[i]; ++n)
            if (!pages[i].count(n))
                return "it would lengthen " + o.names[i] + " with bytes it does not hold";
    return {};
}

// Puts the original bytes and sizes back into `files` (by file number) and syncs them.
Status restore(const Journal::Original& o, const std::vector<File*>& files) {
    for (const Journal::Original::Page& p : o.pages)
        XBASE_TRY(files[p.fileNo]->write(p.offset, p.bytes.data(), p.bytes.size()));
    for (size_t i = 0; i < files.size(); ++i) {
        XBASE_TRY(files[i]->truncate(o.sizes[i]));
        XBASE_TRY(files[i]->sync());
    }
    return {};
}

}  // namespace

// A file opened read-write, with the changes held for it during a change.
struct Journal::Tracked {
    std::unique_ptr<File> file;
    std::string path;
    bool held = false;      // changed in this change
    uint64_t baseSize = 0;  // of the file itself, which the change does not write
    uint64_t size = 0;      // as the change sees it
    std::map<uint64_t, std::string> pages;  // page number -> kPage bytes

    Status hold() {
        if (held) return {};
        XBASE_TRY(file->size(&baseSize));
        size = baseSize;
        held = true;
        return {};
    }

    // The held copy of page `number`, read from the file first unless `whole` says the caller
    // overwrites all of it.
    Status page(uint64_t number, std::string** out, bool whole) {
        auto it = pages.find(number);
        if (it == pages.end()) {
            std::string bytes(kPage, '\0');
            const uint64_t start = number * kPage;
            const uint64_t limit = std::min(size, baseSize);
            if (start < limit && !whole) {
                size_t got = 0;
                XBASE_TRY(file->read(start, static_cast<size_t>(std::min(kPage, limit - start)),
                                     bytes.data(), &got));
            }
            it = pages.emplace(number, std::move(bytes)).first;
        }
        *out = &it->second;
        return {};
    }

    Status read(uint64_t offset, size_t n, char* dst, size_t* got) {
        *got = 0;
        if (offset >= size) return {};
        n = static_cast<size_t>(std::min<uint64_t>(n, size - offset));
        const uint64_t limit = std::min(size, baseSize);
        for (size_t done = 0; done < n;) {
            const uint64_t at = offset + done;
            auto it = pages.lower_bound(at / kPage);
            size_t part = 0;
            if (it != pages.end() && it->first == at / kPage) {
                part = static_cast<size_t>(std::min<uint64_t>(n - done, kPage - at % kPage));
                std::memcpy(dst + done, it->second.data() + at % kPage, part);
            } else {
                const uint64_t stop =
                    it == pages.end() ? offset + n : std::min(offset + n, it->first * kPage);
                part = static_cast<size_t>(stop - at);
                size_t fromFile = 0;
                if (at < limit) {
                    const size_t want = static_cast<size_t>(std::min<uint64_t>(part, limit - at));
                    XBASE_TRY(file->read(at, want, dst + done, &fromFile));
                }
                std::memset(dst + done + fromFile, 0, part - fromFile);
            }
            done += part;
        }
        *got = n;
        return {};
    }

    Status write(uint64_t offset, const char* src, size_t n) {
        XBASE_TRY(hold());
        for (size_t done = 0; done < n;) {
            const uint64_t at = offset + done;
            const size_t part = static_cast<size_t>(std::min<uint64_t>(n - done, kPage - at % kPage));
            std::string* p = nullptr;
            XBASE_TRY(page(at / kPage, &p, part == kPage));
            std::memcpy(p->data() + at % kPage, src + done, part);
            done += part;
        }
        size = std::max(size, offset + n);
        return {};
    }

    Status truncate(uint64_t newSize) {
        XBASE_TRY(hold());
        size = newSize;
        pages.erase(pages.lower_bound((newSize + kPage - 1) / kPage), pages.end());
        if (auto it = pages.find(newSize / kPage); it != pages.end())
            std::fill(it->second.begin() + static_cast<long>(newSize % kPage), it->second.end(),
                      '\0');
        return {};
    }

    // The held pages into the file, cut at the new size, in runs of neighbours.
    Status apply() {
        std::string run;
        uint64_t runStart = 0;
        for (auto it = pages.begin(); it != pages.end(); ++it) {
            const uint64_t start = it->first * kPage;
            if (run.empty()) runStart = start;
            run.append(it->second, 0, static_cast<size_t>(std::min(kPage, size - start)));
            auto next = std::next(it);
            if (next == pages.end() || next->first != it->first + 1 || run.size() >= (1 << 20)) {
                XBASE_TRY(file->write(runStart, run.data(), run.size()));
                run.clear();
            }
        }
        if (size != baseSize) XBASE_TRY(file->truncate(size));
        return file->sync();
    }

    void drop() {
        held = false;
        pages.clear();
    }
};

namespace {

class JournalFile final : public File {
public:
    JournalFile(std::shared_ptr<Journal::Tracked> t, Journal* journal)
        : t_(std::move(t)), journal_(journal) {}
    ~JournalFile() override { journal_->release(t_.get()); }

    Status read(uint64_t offset, size_t n, char* dst, size_t* got) override {
        if (!t_->held) return t_->file->read(offset, n, dst, got);
        return t_->read(offset, n, dst, got);
    }
    Status write(uint64_t offset, const char* src, size_t n) override {
        if (!journal_->active()) return t_->file->write(offset, src, n);
        Status s = t_->write(offset, src, n);
        journal_->failed(s);
        return s;
    }
    // Inside a change the commit syncs every changed file once.
    Status sync() override { return journal_->active() ? Status() : t_->file->sync(); }
    void startWriteback(uint64_t offset, uint64_t length) override {
        if (!journal_->active()) t_->file->startWriteback(offset, length);
    }
    Status truncate(uint64_t size) override {
        if (!journal_->active()) return t_->file->truncate(size);
        Status s = t_->truncate(size);
        journal_->failed(s);
        return s;
    }
    Status size(uint64_t* size) override {
        if (!t_->held) return t_->file->size(size);
        *size = t_->size;
        return {};
    }
    Status lock(uint64_t offset, uint64_t length, bool exclusive) override {
        return t_->file->lock(offset, length, exclusive);
    }
    Status unlock(uint64_t offset, uint64_t length) override {
        return t_->file->unlock(offset, length);
    }
    // Pages held for a change are not in the file: a file changed in the change is read.
    Status view(std::unique_ptr<FileView>* out) override {
        if (t_->held) return File::view(out);
        return t_->file->view(out);
    }
    // A file changed in the change differs from what the file system says of it.
    Status stat(FileStat* out) override {
        if (t_->held) return File::stat(out);
        return t_->file->stat(out);
    }

private:
    std::shared_ptr<Journal::Tracked> t_;
    Journal* journal_;
};

}  // namespace

Journal::Journal(Env* base, std::string dir) : base_(base), dir_(std::move(dir)) {}

Journal::~Journal() = default;

Status Journal::open(const std::string& path, OpenMode mode, std::unique_ptr<File>* file) {
    // A data file of the directory that is a link to a file elsewhere is not opened at all.
    const std::string prefix = dir_ + "/";
    if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
        path.find('/', prefix.size()) == std::string::npos)
        XBASE_TRY(base_->staysIn(path, dir_));
    if (mode != OpenMode::ReadWrite) {
        if (active_ && (mode == OpenMode::Create || mode == OpenMode::CreateNew))
            return Status(kErrArgument, "cannot create " + path + " inside a change");
        return base_->open(path, mode, file);
    }
    // A file closed and opened again in the same change sees what the change wrote to it.
    for (const auto& held : files_)
        if (held->held && held->path == path) {
            *file = std::make_unique<JournalFile>(held, this);
            return {};
        }
    auto t = std::make_shared<Tracked>();
    t->path = path;
    XBASE_TRY(base_->open(path, mode, &t->file));
    files_.push_back(t);
    *file = std::make_unique<JournalFile>(std::move(t), this);
    return {};
}

void Journal::release(Tracked* t) {
    // A file closed during a change keeps its held changes until the change ends; one still
    // open through another handle stays followed.
    if (active_ && t->held) return;
    files_.erase(std::remove_if(files_.begin(), files_.end(),
                                [&](const auto& f) { return f.get() == t && f.use_count() <= 2; }),
                 files_.end());
}

Status Journal::rename(const std::string& from, const std::string& to) {
    if (active_) return Status(kErrArgument, "cannot replace " + to + " inside a change");
    return base_->rename(from, to);
}

Status Journal::remove(const std::string& path) {
    if (active_) return Status(kErrArgument, "cannot remove " + path + " inside a change");
    return base_->remove(path);
}

void Journal::failed(const Status& s) {
    if (!s.ok() && failure_.ok()) failure_ = s;
}

Status Journal::lockDirectory(bool exclusive, int waitMs) {
    if (!lock_) {
        const std::string path = dir_ + "/" + kLockName;
        const FileKind kind = base_->kind(path);
        if (kind != FileKind::File && kind != FileKind::Missing)
            return Status(kErrOpen, path + " is not the lock file the engine makes but a " +
                                        (kind == FileKind::Link ? "link" : "directory or device") +
                                        "; remove it, then try again");
        XBASE_TRY(base_->open(path, kind == FileKind::File ? OpenMode::ReadWrite : OpenMode::Create,
                              &lock_));
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        Status s = lock_->lock(0, 1, exclusive);
        if (s.ok()) {
            if (!exclusive) shared_ = true;
            return {};
        }
        if (s.code() != kErrLocked) return s;
        if (std::chrono::steady_clock::now() >= deadline)
            return Status(kErrLocked, exclusive ? "the data files are being read or changed by "
                                                  "another program; try again when it has finished"
                                                : "the data files are being changed by another "
                                                  "program; try again when it has finished");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void Journal::unlockDirectory() {
    shared_ = false;
    if (lock_) (void)lock_->unlock(0, 1);  // closing the lock file below releases it anyway
    lock_.reset();
}

Status Journal::begin(int waitMs) {
    if (active_) return Status(kErrArgument, "a change is already in progress");
    XBASE_TRY(lockDirectory(true, waitMs));
    if (base_->kind(dir_ + "/" + kJournalName) != FileKind::Missing) {
        endLock();
        return Status(kErrData, dir_ + " holds an unfinished change; open the data files again "
                                       "to undo it");
    }
    active_ = true;
    failure_ = {};
    return {};
}

void Journal::endLock() {
    // A reader's shared hold outlives the change; otherwise the lock goes.
    if (shared_ ? lock_->lock(0, 1, false).ok() : lock_->unlock(0, 1).ok()) return;
    unlockDirectory();
}

void Journal::rollback() {
    for (auto& f : files_) f->drop();
    active_ = false;
    files_.erase(std::remove_if(files_.begin(), files_.end(),
                                [](const auto& f) { return f.use_count() == 1; }),
                 files_.end());
    endLock();
}

Status Journal::commit() {
    if (!active_) return Status(kErrArgument, "no change in progress");
    Status s = failure_;
    std::vector<Tracked*> changed;
    for (auto& f : files_)
        if (f->held) changed.push_back(f.get());
    if (s.ok() && !changed.empty()) {
        const std::string path = dir_ + "/" + kJournalName;
        Original o;
        s = writeJournal(changed, &o);
        if (s.ok()) {
            for (Tracked* t : changed)
                if (s.ok()) s = t->apply();
            if (s.ok()) s = base_->remove(path);
            // The removal is the commit point: the change is in the files and no journal will
            // undo it, so a failing directory sync afterwards cannot make it fail any more.
            if (s.ok()) (void)base_->syncDir(dir_);
            if (!s.ok()) {
                // Put the files back now; should that fail too, the journal stays for the
                // next opening of the directory to roll back.
                std::vector<File*> files;
                for (Tracked* t : changed) files.push_back(t->file.get());
                if (restore(o, files).ok() && base_->remove(path).ok())
                    (void)base_->syncDir(dir_);  // a journal that comes back undoes nothing new
            }
        } else {
            // The data files were not written: a journal without its header is ignored.
            (void)base_->remove(path);
        }
    }
    rollback();
    return s;
}

Status Journal::directoryId(std::string* id) {
    const std::string path = dir_ + "/" + kIdName;
    const FileKind kind = base_->kind(path);
    if (kind == FileKind::File) {
        std::unique_ptr<File> file;
        XBASE_TRY(base_->open(path, OpenMode::ReadOnly, &file));
        id->assign(kIdBytes + 1, '\0');
        size_t got = 0;
        XBASE_TRY(file->read(0, id->size(), id->data(), &got));
        if (got == kIdBytes) {
            id->resize(kIdBytes);
            return {};
        }
    }
    // Missing or not what the journal made: no journal can be left that names it (a change
    // begins only where none is), so a new one takes its place.
    if (kind != FileKind::Missing) XBASE_TRY(base_->remove(path));
    std::random_device random;
    id->clear();
    while (id->size() < kIdBytes) {
        char word[4];
        put32(word, random());
        id->append(word, 4);
    }
    std::unique_ptr<File> file;
    XBASE_TRY(base_->open(path, OpenMode::CreateNew, &file));
    XBASE_TRY(file->write(0, id->data(), id->size()));
    XBASE_TRY(file->sync());
    return base_->syncDir(dir_);
}

Status Journal::writeJournal(const std::vector<Tracked*>& changed, Original* o) {
    std::string body;
    for (uint32_t i = 0; i < changed.size(); ++i) {
        Tracked* t = changed[i];
        const std::string name = baseName(t->path);
        if (!ownFileName(name) || t->path != dir_ + "/" + name)
            return Status(kErrArgument, t->path + ": only the tables, memo and index files of " +
                                            dir_ + " are changed inside a change");
        std::string first(kHeadBytes, '\0');
        size_t got = 0;
        XBASE_TRY(t->file->read(0, kHeadBytes, first.data(), &got));
        const std::string before = head(first, t->baseSize);
        const auto zero = t->pages.find(0);
        const std::string after = head(zero == t->pages.end() ? first : zero->second, t->size);
        o->names.push_back(name);
        o->sizes.push_back(t->baseSize);
        addEntry(&body, fileEntry(i, t->baseSize, t->size, before, after, name));
        // Every original page the change overwrites, or cuts off by shrinking the file.
        std::set<uint64_t> numbers;
        for (const auto& [number, bytes] : t->pages)
            if (number * kPage < t->baseSize) numbers.insert(number);
        for (uint64_t n = t->size / kPage; n * kPage < t->baseSize; ++n) numbers.insert(n);
        for (uint64_t n : numbers) {
            std::string bytes(static_cast<size_t>(std::min(kPage, t->baseSize - n * kPage)), '\0');
            XBASE_TRY(t->file->read(n * kPage, bytes.size(), bytes.data(), &got));
            if (got < bytes.size()) return Status(kErrRead, t->path + ": short read");
            addEntry(&body, pageEntry(i, n * kPage, bytes));
            o->pages.push_back({i, n * kPage, std::move(bytes)});
        }
    }
    std::string id;
    XBASE_TRY(directoryId(&id));
    char header[kHeader] = {};
    std::memcpy(header, kMagic, 8);
    put64(header + 8, body.size());
    put32(header + 16, static_cast<uint32_t>(o->pages.size() + o->names.size()));
    std::memcpy(header + 20, id.data(), kIdBytes);
    put32(header + 36, crc32(body.data(), body.size()));
    put32(header + 40, crc32(header, 40));
    std::unique_ptr<File> file;
    XBASE_TRY(base_->open(dir_ + "/" + kJournalName, OpenMode::CreateNew, &file));
    XBASE_TRY(file->write(kHeader, body.data(), body.size()));
    XBASE_TRY(file->sync());
    XBASE_TRY(file->write(0, header, kHeader));
    XBASE_TRY(file->sync());
    return base_->syncDir(dir_);
}

Status Journal::recover(int waitMs, Context::Recovery* found) {
    XBASE_TRY(lockDirectory(true, waitMs));
    Status s = recover(base_, dir_, found);
    endLock();
    return s;
}

namespace {

// What recovery makes of the journal in a directory.
struct Examined {
    enum Verdict { kNone, kTorn, kBelongs, kDamaged, kForeign };
    Verdict verdict = kNone;
    std::string why;
    Journal::Original o;
};

Status readAll(Env* env, const std::string& path, std::string* bytes) {
    std::unique_ptr<File> file;
    XBASE_TRY(env->open(path, OpenMode::ReadOnly, &file));
    uint64_t size = 0;
    XBASE_TRY(file->size(&size));
    bytes->resize(static_cast<size_t>(size));
    size_t got = 0;
    XBASE_TRY(file->read(0, bytes->size(), bytes->data(), &got));
    bytes->resize(got);
    return {};
}

// Whether file `i` of the journal stands between its states before and after the change;
// empty when it does, else why not.
std::string stateFault(Env* env, const std::string& dir, const Journal::Original& o, size_t i) {
    const std::string& name = o.names[i];
    const std::string path = dir + "/" + name;
    const FileKind kind = env->kind(path);
    if (kind != FileKind::File && kind != FileKind::Link)
        return "it names " + name + ", which is not a file of the directory";
    if (Status s = env->staysIn(path, dir); !s.ok()) return s.message();
    std::unique_ptr<File> file;
    uint64_t size = 0;
    std::string first(kHeadBytes, '\0');
    size_t got = 0;
    Status s = env->open(path, OpenMode::ReadOnly, &file);
    if (s.ok()) s = file->size(&size);
    if (s.ok()) s = file->read(0, kHeadBytes, first.data(), &got);
    if (!s.ok()) return s.message();
    const auto [low, high] = std::minmax(o.sizes[i], o.sizesAfter[i]);
    if (size < low || size > high)
        return name + " holds " + std::to_string(size) + " bytes, where the change left it " +
               (low == high ? std::to_string(low)
                            : "between " + std::to_string(low) + " and " + std::to_string(high));
    const std::string now = head(first, size);
    if (now != o.heads[i] && now != o.headsAfter[i])
        return name + " does not begin as it did before or after the change";
    return {};
}

Status examine(Env* env, const std::string& dir, Examined* out) {
    const std::string path = dir + "/" + Journal::kJournalName;
    const FileKind kind = env->kind(path);
    if (kind == FileKind::Missing) return {};
    out->verdict = Examined::kForeign;
    if (kind != FileKind::File) {
        out->why = kind == FileKind::Link        ? "it is a link, not a journal"
                   : kind == FileKind::Directory ? "it is a directory, not a journal"
                                                 : "it is not a plain file";
        return {};
    }
    std::string bytes;
    XBASE_TRY(readAll(env, path, &bytes));
    const std::string header = bytes.substr(0, kHeader);
    if (header.find_first_not_of('\0') == std::string::npos) {
        // Torn before its header: the change never reached the data files.
        out->verdict = Examined::kTorn;
        return {};
    }
    const char* h = bytes.data();
    if (bytes.size() >= 8 && std::memcmp(h, kEarlierMagic, 8) == 0) {
        out->why =
            "it was written by an earlier version of the program, without the marks "
            "that tell whose it is";
        return {};
    }
    if (bytes.size() < 8 || std::memcmp(h, kMagic, 8) != 0) {
        out->why = "it is not a journal of this program";
        return {};
    }
    out->verdict = Examined::kDamaged;
    if (bytes.size() < kHeader || crc32(h, 40) != get32(h + 40)) {
        out->why = "its header is torn or fails its check";
        return {};
    }
    const uint64_t length = get64(h + 8);
    if (length > bytes.size() - kHeader) {
        out->why = "it is shorter than its header says";
        return {};
    }
    const std::string body = bytes.substr(kHeader, static_cast<size_t>(length));
    if (crc32(body.data(), body.size()) != get32(h + 36)) {
        out->why = "its body fails its check";
        return {};
    }
    if (!parseBody(body, &out->o, &out->why)) return {};
    if (out->o.names.size() + out->o.pages.size() != get32(h + 16)) {
        out->why = "its entries disagree with its header";
        return {};
    }
    out->verdict = Examined::kForeign;
    std::string id;
    const std::string idPath = dir + "/" + Journal::kIdName;
    if (env->kind(idPath) == FileKind::File) XBASE_TRY(readAll(env, idPath, &id));
    if (id.size() != kIdBytes || std::memcmp(id.data(), h + 20, kIdBytes) != 0) {
        out->why = "it was written for another data directory";
        return {};
    }
    out->why = outOfBounds(out->o);
    for (size_t i = 0; i < out->o.names.size() && out->why.empty(); ++i)
        out->why = stateFault(env, dir, out->o, i);
    if (out->why.empty()) out->verdict = Examined::kBelongs;
    return {};
}

}  // namespace

std::string Journal::fault(Env* env, const std::string& dir) {
    Examined e;
    if (Status s = examine(env, dir, &e); !s.ok()) return s.message();
    return e.verdict == Examined::kDamaged || e.verdict == Examined::kForeign ? e.why : "";
}

Status Journal::recover(Env* env, const std::string& dir, Context::Recovery* found) {
    *found = {};
    const std::string path = dir + "/" + kJournalName;
    Examined e;
    XBASE_TRY(examine(env, dir, &e));
    switch (e.verdict) {
        case Examined::kNone:
            return {};
        case Examined::kTorn:
            XBASE_TRY(env->remove(path));
            return env->syncDir(dir);
        case Examined::kDamaged:
        case Examined::kForeign: {
            // Kept, under a name that says what it is and that nothing takes for a journal.
            std::string keptAs;
            XBASE_TRY(setAside(env, path, e.verdict == Examined::kDamaged ? "damaged" : "foreign",
                               &keptAs));
            found->keptAs = keptAs.substr(dir.size() + 1);
            found->why = e.why;
            return {};
        }
        case Examined::kBelongs:
            break;
    }
    std::vector<std::unique_ptr<File>> owned;
    std::vector<File*> files;
    for (const std::string& name : e.o.names) {
        owned.emplace_back();
        XBASE_TRY(env->open(dir + "/" + name, OpenMode::ReadWrite, &owned.back()));
        files.push_back(owned.back().get());
    }
    XBASE_TRY(restore(e.o, files));
    owned.clear();
    XBASE_TRY(env->remove(path));
    XBASE_TRY(env->syncDir(dir));
    found->rolledBack = true;
    return {};
}

}  // namespace xbase
