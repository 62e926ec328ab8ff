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
//   header: "XBJOURN1" (8 bytes), body length (8), entry count (4), CRC-32 of bytes 0-19 (4),
//           zeros to 512.
//   body:   entries back to back; each is a kind byte, then
//           'F' (a changed file): file number (4), original size (8), name length (2), the
//               file's name within the directory;
//           'P' (an original page): file number (4), offset (8), length (4), the bytes;
//           and a CRC-32 of the entry from its kind byte on (4).
// The header is written only after the body is synced, so a journal whose header is missing,
// short or fails its CRC was never acted on: it is ignored and removed. A journal with a good
// header whose body fails a CRC or runs short is damaged and left for the user (kErrData).
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

namespace xbase {

class Journal final : public Env {
public:
    static constexpr const char* kJournalName = "changes.jnl";
    static constexpr const char* kLockName = "changes.lck";

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

    // Rolls back a journal left in `dir` by a crash; *rolledBack tells whether there was one
    // to roll back. A torn journal is removed without touching anything.
    static Status recover(Env* env, const std::string& dir, bool* rolledBack);
    // The same for this directory, under its lock taken exclusively (waiting up to `waitMs`).
    Status recover(int waitMs, bool* rolledBack);

    struct Tracked;
    struct Original;
    // A followed file's handle is being closed (it still holds its share of `t`).
    void release(Tracked* t);

private:
    Status writeJournal(const std::vector<Tracked*>& changed, Original* o);
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
