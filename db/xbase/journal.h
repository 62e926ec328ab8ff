// All-or-nothing changes for the engine's files: a rollback journal kept in the data directory.
// Internal to the engine; the Context wraps its Env in a Journal and drives begin, commit and
// rollback.
//
// Between begin and commit the changes to every file opened read-write through the Journal are
// held in memory, page by page (1024-byte pages at page-aligned offsets), together with each
// file's new size; the data files are not written at all. Commit then:
//   1. writes the journal: every original page the change overwrites or truncates away, and the
//      original size of each changed file; syncs it, writes its header, syncs it again and syncs
//      the directory;
//   2. writes the held pages and sizes to the data files and syncs each changed file once;
//   3. removes the journal (the commit point) and syncs the directory.
// A failure in step 2, or of the removal, writes the original pages back from memory and
// removes the journal; a crash leaves the journal, and the next opening of the directory rolls
// it back. A failure or crash before the header is written leaves the data files untouched.
// Once the journal is removed the change stands, even should the directory sync after it fail.
// A change's pages stay in memory until it ends, so its size is bounded by memory.
//
// Journal layout (little-endian): a 512-byte header, then the body from offset 512.
//   header: "XBJOURN2" (8 bytes), body length (8), entry count (4), the directory's id (16),
//           CRC-32 of the body (4), CRC-32 of bytes 0-39 (4), zeros to 512.
//   body:   entries back to back; each is a kind byte, then
//           'F' (a changed file): file number (4), size before the change (8), size after it
//               (8), the file's first 32 bytes before and after (32 each, zero-padded), name
//               length (2), the file's name within the directory;
//           'P' (an original page): file number (4), offset (8), length (4), the bytes;
//           and a CRC-32 of the entry from its kind byte on (4).
// The header is written only after the body is synced, so a journal whose 512 header bytes are
// still all zero was never acted on: it is removed.
//
// What makes a journal belong to the directory it is found in, all of which recovery checks
// before it writes a byte:
//   - it is a plain file (not a link, not a directory) and its header and body pass their CRCs,
//     every entry its own, and the body's length and entry count agree with the header;
//   - its directory id equals the 16 bytes of kIdName in the directory, a file of random bytes
//     the journal makes for the directory the first time it commits there;
//   - every name is one of the directory's own table, memo or index files (.dbf, .dbt, .ntx,
//     in any letter case; no '/', nothing else), named once, and a link only within the
//     directory;
//   - every page lies inside the size before the change, whole pages at page offsets, and the
//     pages cover all that a shrinking change cut off, so that a rollback never pads a file;
//   - each file stands somewhere between its state before and after the change: its size
//     between the two sizes and its first 32 bytes those of one of them.
// A journal that fails any of this is never applied and never removed: recovery renames it
// beside itself, "changes.jnl.damaged-YYYYMMDD-HHMMSS" when it is torn or fails a CRC,
// "changes.jnl.foreign-YYYYMMDD-HHMMSS" when it is whole but not this directory's, and says why;
// the caller checks the tables and tells the user. A journal of the earlier layout ("XBJOURN1")
// carries none of these marks and is set aside as foreign.
//
// The journal, the id and the lock file are the engine's own and never followed through a link:
// the journal and the id are created new (O_EXCL), and a link under any of the three names is
// refused or set aside, never written through.
//
// Rolling back writes every 'P' entry's bytes at its offset, truncates each 'F' file to its
// original size, syncs the files, removes the journal and syncs the directory.
//
// The directory lock: byte 0 of kLockName in the directory, taken exclusively for a change and
// shared by readers, so that a reader in another process never sees half a change.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "db/xbase/env.h"
#include "db/xbase/xbase.h"

namespace xbase {

class Journal final : public Env {
public:
    static constexpr const char* kJournalName = "changes.jnl";
    static constexpr const char* kLockName = "changes.lck";
    static constexpr const char* kIdName = "changes.id";

    Journal(Env* base, std::string dir);
    ~Journal() override;

    // Files opened read-write are followed; inside a change their writes are held in memory.
    Status open(const std::string& path, OpenMode mode, std::unique_ptr<File>* file) override;
    Status rename(const std::string& from, const std::string& to) override;
    Status remove(const std::string& path) override;
    bool exists(const std::string& path) override { return base_->exists(path); }
    Status list(const std::string& dir, std::vector<std::string>* names) override {
        return base_->list(dir, names);
    }
    Status syncDir(const std::string& dir) override { return base_->syncDir(dir); }
    FileKind kind(const std::string& path) override { return base_->kind(path); }
    Status staysIn(const std::string& path, const std::string& dir) override {
        return base_->staysIn(path, dir);
    }

    // Takes the directory lock, exclusive or shared, waiting up to `waitMs` for other
    // processes; kErrLocked when they keep it.
    Status lockDirectory(bool exclusive, int waitMs);
    void unlockDirectory();

    // Starts a change: takes the directory lock exclusively, waiting up to `waitMs`.
    Status begin(int waitMs);
    // Makes the held changes durable (steps 1-3 above). On failure nothing of the change is in
    // the files (or the journal left behind will undo it), and the held changes are dropped.
    Status commit();
    // Drops the held changes (the files were never written) and ends the change.
    void rollback();
    bool active() const { return active_; }
    // The first failed write of the change, which makes commit refuse.
    const Status& failure() const { return failure_; }
    void failed(const Status& s);

    // Rolls back a journal left in `dir` by a crash when it belongs there; sets one that does
    // not aside (see above). A journal torn before its header is removed without touching
    // anything.
    static Status recover(Env* env, const std::string& dir, Context::Recovery* found);
    // The same for this directory, under its lock taken exclusively (waiting up to `waitMs`).
    Status recover(int waitMs, Context::Recovery* found);
    // Why recovery would set the journal in `dir` aside; empty when there is none, or when it
    // would be rolled back or removed. Changes nothing.
    static std::string fault(Env* env, const std::string& dir);

    struct Tracked;
    struct Original;
    // A followed file's handle is being closed (it still holds its share of `t`).
    void release(Tracked* t);

private:
    Status writeJournal(const std::vector<Tracked*>& changed, Original* o);
    Status directoryId(std::string* id);
    void endLock();

    Env* base_;
    std::string dir_;
    std::vector<std::shared_ptr<Tracked>> files_;
    std::unique_ptr<File> lock_;
    bool shared_ = false;  // a reader's hold, kept across changes
    bool active_ = false;
    Status failure_;
};

}  // namespace xbase
