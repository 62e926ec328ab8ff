// The one layer through which the table engine touches the file system. Every open, read,
// write, sync, truncate, rename and lock of a table, memo or index file passes through an Env,
// so that tests can substitute one that fails the k-th operation, and so that a journal can be
// added in one place.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "db/xbase/status.h"

namespace xbase {

// A read-only view of a whole file as it stood when taken, for one quick pass that reads a little
// of much of the file; dropped before the file is written again.
class FileView {
public:
    virtual ~FileView() = default;
    virtual const char* data() const = 0;
    virtual uint64_t size() const = 0;
};

// What the file system says of an open file: enough to tell whether it changed since it was last
// looked at. Times are nanoseconds since the epoch; `changed` also moves when the file's times are
// set by hand, so a file put back with its old modification time still differs.
struct FileStat {
    uint64_t size = 0;
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t modified = 0;
    int64_t changed = 0;
    bool operator==(const FileStat&) const = default;
};

class File {
public:
    virtual ~File() = default;
    // Reads up to n bytes at offset; *got is less than n only at the end of the file.
    virtual Status read(uint64_t offset, size_t n, char* dst, size_t* got) = 0;
    virtual Status write(uint64_t offset, const char* src, size_t n) = 0;
    virtual Status sync() = 0;
    // Starts bytes written at [offset, offset + length) on their way to the disk without waiting
    // for them, so that a later sync() has less left to wait for: a hint, nothing by default.
    virtual void startWriteback(uint64_t /*offset*/, uint64_t /*length*/) {}
    virtual Status truncate(uint64_t size) = 0;
    virtual Status size(uint64_t* size) = 0;
    // Advisory byte-range lock, never waiting: kErrLocked when another process holds it.
    virtual Status lock(uint64_t offset, uint64_t length, bool exclusive) = 0;
    virtual Status unlock(uint64_t offset, uint64_t length) = 0;
    // A view of the whole file; kErrArgument where a file offers none, and the caller reads it
    // instead.
    virtual Status view(std::unique_ptr<FileView>* out) {
        out->reset();
        return Status(kErrArgument, "no view of this file");
    }
    // What the file system says of the file; kErrArgument where a file offers none, and nothing
    // is then taken on its word.
    virtual Status stat(FileStat* out) {
        *out = {};
        return Status(kErrArgument, "no stat of this file");
    }
};

// Create and CreateNew never follow a link: a link under the name is refused (kErrCreate), so
// that a file the engine makes for itself (a journal, a marker, a new table beside the old one)
// never writes through it into another file. CreateNew also refuses any name that exists.
enum class OpenMode {
    ReadOnly,
    ReadWrite,
    Create,     // read-write, created or emptied
    CreateNew,  // read-write, created; kErrCreate when the name exists
};

// What a name in a directory is, the name itself looked at, not what a link leads to.
enum class FileKind { Missing, File, Link, Directory, Other };

class Env {
public:
    virtual ~Env() = default;
    // The real file system.
    static Env* standard();

    virtual Status open(const std::string& path, OpenMode mode, std::unique_ptr<File>* file) = 0;
    // Replaces `to` with `from` atomically and makes the change durable.
    virtual Status rename(const std::string& from, const std::string& to) = 0;
    virtual Status remove(const std::string& path) = 0;
    // Makes the creation and removal of files in `dir` durable.
    virtual Status syncDir(const std::string& dir) = 0;
    virtual bool exists(const std::string& path) = 0;
    virtual Status list(const std::string& dir, std::vector<std::string>* names) = 0;
    // What `path` names, without following a link. An Env without links or directories says
    // File or Missing.
    virtual FileKind kind(const std::string& path) {
        return exists(path) ? FileKind::File : FileKind::Missing;
    }
    // Whether `path`, when it is a link, leads to a file in `dir` itself; kErrOpen saying where it
    // leads when it leads elsewhere (or nowhere). An Env without links has nothing to refuse.
    virtual Status staysIn(const std::string& path, const std::string& dir) {
        (void)path;
        (void)dir;
        return {};
    }
};

}  // namespace xbase
