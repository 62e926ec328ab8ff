#include "db/xbase/journal.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <set>
#include <thread>

#include "db/xbase/dbf.h"

namespace xbase {
namespace {

constexpr uint64_t kPage = 1024;
constexpr size_t kHeader = 512;
constexpr char kMagic[8] = {'X', 'B', 'J', 'O', 'U', 'R', 'N', '1'};

uint32_t crc32(const char* data, size_t n) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) c = table[(c ^ static_cast<uint8_t>(data[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

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

std::string fileEntry(uint32_t fileNo, uint64_t size, const std::string& name) {
    std::string e(15, '\0');
    e[0] = 'F';
    put32(&e[1], fileNo);
    put64(&e[5], size);
    put16(&e[13], static_cast<uint16_t>(name.size()));
    return e + name;
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
    struct Page {
        uint32_t fileNo;
        uint64_t offset;
        std::string bytes;
    };
    std::vector<Page> pages;
};

namespace {

Status parseBody(const std::string& path, const std::string& body, Journal::Original* o) {
    const Status damaged(kErrData, path + ": damaged journal; the data files may hold half a "
                                          "change");
    for (size_t at = 0; at < body.size();) {
        const char* e = body.data() + at;
        const size_t left = body.size() - at;
        size_t len = 0;
        if (e[0] == 'F' && left >= 15)
            len = 15 + get16(e + 13);
        else if (e[0] == 'P' && left >= 17)
            len = 17 + static_cast<size_t>(get32(e + 13));
        if (len == 0 || len + 4 > left || crc32(e, len) != get32(e + len)) return damaged;
        const uint32_t fileNo = get32(e + 1);
        if (e[0] == 'F') {
            if (fileNo != o->names.size()) return damaged;
            o->names.emplace_back(e + 15, len - 15);
            o->sizes.push_back(get64(e + 5));
        } else {
            if (fileNo >= o->names.size()) return damaged;
            o->pages.push_back({fileNo, get64(e + 5), std::string(e + 17, len - 17)});
        }
        at += len + 4;
    }
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

private:
    std::shared_ptr<Journal::Tracked> t_;
    Journal* journal_;
};

}  // namespace

Journal::Journal(Env* base, std::string dir) : base_(base), dir_(std::move(dir)) {}

Journal::~Journal() = default;

Status Journal::open(const std::string& path, OpenMode mode, std::unique_ptr<File>* file) {
    if (mode != OpenMode::ReadWrite) {
        if (active_ && mode == OpenMode::Create)
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
        XBASE_TRY(base_->open(path, base_->exists(path) ? OpenMode::ReadWrite : OpenMode::Create,
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
    if (base_->exists(dir_ + "/" + kJournalName)) {
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

Status Journal::writeJournal(const std::vector<Tracked*>& changed, Original* o) {
    std::string body;
    for (uint32_t i = 0; i < changed.size(); ++i) {
        Tracked* t = changed[i];
        o->names.push_back(baseName(t->path));
        o->sizes.push_back(t->baseSize);
        addEntry(&body, fileEntry(i, t->baseSize, o->names.back()));
        // Every original page the change overwrites, or cuts off by shrinking the file.
        std::set<uint64_t> numbers;
        for (const auto& [number, bytes] : t->pages)
            if (number * kPage < t->baseSize) numbers.insert(number);
        for (uint64_t n = t->size / kPage; n * kPage < t->baseSize; ++n) numbers.insert(n);
        for (uint64_t n : numbers) {
            std::string bytes(static_cast<size_t>(std::min(kPage, t->baseSize - n * kPage)), '\0');
            size_t got = 0;
            XBASE_TRY(t->file->read(n * kPage, bytes.size(), bytes.data(), &got));
            if (got < bytes.size()) return Status(kErrRead, t->path + ": short read");
            addEntry(&body, pageEntry(i, n * kPage, bytes));
            o->pages.push_back({i, n * kPage, std::move(bytes)});
        }
    }
    char header[kHeader] = {};
    std::memcpy(header, kMagic, 8);
    put64(header + 8, body.size());
    put32(header + 16, static_cast<uint32_t>(o->pages.size() + o->names.size()));
    put32(header + 20, crc32(header, 20));
    std::unique_ptr<File> file;
    XBASE_TRY(base_->open(dir_ + "/" + kJournalName, OpenMode::Create, &file));
    XBASE_TRY(file->write(kHeader, body.data(), body.size()));
    XBASE_TRY(file->sync());
    XBASE_TRY(file->write(0, header, kHeader));
    XBASE_TRY(file->sync());
    return base_->syncDir(dir_);
}

Status Journal::recover(int waitMs, bool* rolledBack) {
    XBASE_TRY(lockDirectory(true, waitMs));
    Status s = recover(base_, dir_, rolledBack);
    endLock();
    return s;
}

Status Journal::recover(Env* env, const std::string& dir, bool* rolledBack) {
    *rolledBack = false;
    const std::string path = dir + "/" + kJournalName;
    if (!env->exists(path)) return {};
    std::string bytes;
    {
        std::unique_ptr<File> file;
        XBASE_TRY(env->open(path, OpenMode::ReadOnly, &file));
        uint64_t size = 0;
        XBASE_TRY(file->size(&size));
        bytes.resize(static_cast<size_t>(size));
        size_t got = 0;
        XBASE_TRY(file->read(0, bytes.size(), bytes.data(), &got));
        bytes.resize(got);
    }
    const char* h = bytes.data();
    const bool whole = bytes.size() >= kHeader && std::memcmp(h, kMagic, 8) == 0 &&
                       crc32(h, 20) == get32(h + 20);
    if (!whole) {
        // Torn before its header: the change never reached the data files.
        XBASE_TRY(env->remove(path));
        return env->syncDir(dir);
    }
    const uint64_t length = get64(h + 8);
    if (length > bytes.size() - kHeader)
        return Status(kErrData, path + ": the journal is shorter than its header says");
    Original o;
    XBASE_TRY(parseBody(path, bytes.substr(kHeader, static_cast<size_t>(length)), &o));
    if (o.names.size() + o.pages.size() != get32(h + 16))
        return Status(kErrData, path + ": the journal's entries disagree with its header");
    std::vector<std::unique_ptr<File>> owned;
    std::vector<File*> files;
    for (const std::string& name : o.names) {
        owned.emplace_back();
        XBASE_TRY(env->open(dir + "/" + name, OpenMode::ReadWrite, &owned.back()));
        files.push_back(owned.back().get());
    }
    XBASE_TRY(restore(o, files));
    owned.clear();
    XBASE_TRY(env->remove(path));
    XBASE_TRY(env->syncDir(dir));
    *rolledBack = true;
    return {};
}

}  // namespace xbase
