// The standard Env: POSIX files with pread/pwrite and fcntl byte-range locks.
#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "db/xbase/env.h"

namespace xbase {
namespace {

Status ioError(int code, const std::string& what, const std::string& path) {
    return Status(code, what + " " + path + ": " + std::strerror(errno));
}

// A file mapped read-only, for one pass right after it is taken. The engine replaces files by
// rename and shrinks them only when undoing a change (under the directory's lock) or cutting a
// failed append back to where it began, so the pages a pass reads, those of the file as its
// reader knows it, stay in place while the view lives.
class PosixView final : public FileView {
public:
    PosixView(void* data, uint64_t size) : data_(data), size_(size) {}
    ~PosixView() override { ::munmap(data_, static_cast<size_t>(size_)); }
    const char* data() const override { return static_cast<const char*>(data_); }
    uint64_t size() const override { return size_; }

private:
    void* data_;
    uint64_t size_;
};

class PosixFile final : public File {
public:
    PosixFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~PosixFile() override { ::close(fd_); }

    Status read(uint64_t offset, size_t n, char* dst, size_t* got) override {
        size_t done = 0;
        while (done < n) {
            ssize_t r = ::pread(fd_, dst + done, n - done, static_cast<off_t>(offset + done));
            if (r < 0) {
                if (errno == EINTR) continue;
                return ioError(kErrRead, "cannot read", path_);
            }
            if (r == 0) break;
            done += static_cast<size_t>(r);
        }
        *got = done;
        return {};
    }

    Status write(uint64_t offset, const char* src, size_t n) override {
        size_t done = 0;
        while (done < n) {
            ssize_t r = ::pwrite(fd_, src + done, n - done, static_cast<off_t>(offset + done));
            if (r < 0) {
                if (errno == EINTR) continue;
                return ioError(kErrWrite, "cannot write", path_);
            }
            done += static_cast<size_t>(r);
        }
        return {};
    }

    Status sync() override {
        if (::fdatasync(fd_) != 0) return ioError(kErrWrite, "cannot sync", path_);
        return {};
    }

    // Its failure is sync()'s to report: the bytes are only asked to go early.
    void startWriteback(uint64_t offset, uint64_t length) override {
        ::sync_file_range(fd_, static_cast<off_t>(offset), static_cast<off_t>(length),
                          SYNC_FILE_RANGE_WRITE);
    }

    Status truncate(uint64_t size) override {
        if (::ftruncate(fd_, static_cast<off_t>(size)) != 0)
            return ioError(kErrWrite, "cannot truncate", path_);
        return {};
    }

    Status size(uint64_t* size) override {
        struct stat st;
        if (::fstat(fd_, &st) != 0) return ioError(kErrRead, "cannot stat", path_);
        *size = static_cast<uint64_t>(st.st_size);
        return {};
    }

    Status lock(uint64_t offset, uint64_t length, bool exclusive) override {
        return setLock(exclusive ? F_WRLCK : F_RDLCK, offset, length);
    }

    Status unlock(uint64_t offset, uint64_t length) override {
        return setLock(F_UNLCK, offset, length);
    }

    Status stat(FileStat* out) override {
        struct stat st;
        if (::fstat(fd_, &st) != 0) return ioError(kErrRead, "cannot stat", path_);
        out->size = static_cast<uint64_t>(st.st_size);
        out->device = static_cast<uint64_t>(st.st_dev);
        out->inode = static_cast<uint64_t>(st.st_ino);
        out->modified = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
        out->changed = st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec;
        return {};
    }

    Status view(std::unique_ptr<FileView>* out) override {
        out->reset();
        uint64_t bytes = 0;
        XBASE_TRY(size(&bytes));
        if (bytes == 0) return Status(kErrArgument, path_ + " is empty");
        // The pages are mapped as a pass first touches them, not all up front: a pass on two
        // threads then maps them on both. The read of what is not yet in memory starts now.
        void* data = ::mmap(nullptr, static_cast<size_t>(bytes), PROT_READ, MAP_SHARED, fd_, 0);
        if (data == MAP_FAILED) return ioError(kErrRead, "cannot map", path_);
        ::madvise(data, static_cast<size_t>(bytes), MADV_WILLNEED);  // a hint: it may do nothing
        *out = std::make_unique<PosixView>(data, bytes);
        return {};
    }

private:
    Status setLock(short type, uint64_t offset, uint64_t length) {
        struct flock fl = {};
        fl.l_type = type;
        fl.l_whence = SEEK_SET;
        fl.l_start = static_cast<off_t>(offset);
        fl.l_len = static_cast<off_t>(length);
        if (::fcntl(fd_, F_SETLK, &fl) == 0) return {};
        if (errno == EACCES || errno == EAGAIN)
            return Status(kErrLocked, path_ + " is in use by another program");
        return ioError(kErrLocked, "cannot lock", path_);
    }

    int fd_;
    std::string path_;
};

Status syncDirectory(const std::string& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return ioError(kErrWrite, "cannot open directory", dir);
    int r = ::fsync(fd);
    ::close(fd);
    if (r != 0) return ioError(kErrWrite, "cannot sync directory", dir);
    return {};
}

Status syncDirOf(const std::string& path) {
    std::string dir = ".";
    if (auto slash = path.find_last_of('/'); slash != std::string::npos)
        dir = slash == 0 ? "/" : path.substr(0, slash);
    return syncDirectory(dir);
}

class PosixEnv final : public Env {
public:
    Status open(const std::string& path, OpenMode mode, std::unique_ptr<File>* file) override {
        int flags = O_CLOEXEC;
        switch (mode) {
            case OpenMode::ReadOnly:
                flags |= O_RDONLY;
                break;
            case OpenMode::ReadWrite:
                flags |= O_RDWR;
                break;
            case OpenMode::Create:
                flags |= O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW;
                break;
            case OpenMode::CreateNew:
                flags |= O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW;
                break;
        }
        const bool creating = mode == OpenMode::Create || mode == OpenMode::CreateNew;
        int fd = ::open(path.c_str(), flags, 0644);
        if (fd < 0 && creating && errno == ELOOP)
            return Status(kErrCreate, "cannot create " + path +
                                          ": the name is a link to another file; remove the link");
        if (fd < 0) return ioError(creating ? kErrCreate : kErrOpen, "cannot open", path);
        *file = std::make_unique<PosixFile>(fd, path);
        return {};
    }

    Status rename(const std::string& from, const std::string& to) override {
        if (::rename(from.c_str(), to.c_str()) != 0)
            return ioError(kErrWrite, "cannot rename to " + to + ":", from);
        return syncDirOf(to);
    }

    Status remove(const std::string& path) override {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT)
            return ioError(kErrWrite, "cannot remove", path);
        return {};
    }

    Status syncDir(const std::string& dir) override { return syncDirectory(dir); }

    bool exists(const std::string& path) override { return ::access(path.c_str(), F_OK) == 0; }

    FileKind kind(const std::string& path) override {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) return FileKind::Missing;
        if (S_ISREG(st.st_mode)) return FileKind::File;
        if (S_ISLNK(st.st_mode)) return FileKind::Link;
        if (S_ISDIR(st.st_mode)) return FileKind::Directory;
        return FileKind::Other;
    }

    Status staysIn(const std::string& path, const std::string& dir) override {
        if (kind(path) != FileKind::Link) return {};
        char* target = ::realpath(path.c_str(), nullptr);
        char* home = ::realpath(dir.c_str(), nullptr);
        // The folder the link's target lies in; "/" for a file at the root.
        const std::string_view found = target ? target : "";
        const std::string folder(found.substr(0, std::max<size_t>(found.find_last_of('/'), 1)));
        const bool inside = target && home && folder == home;
        const std::string where = target ? target : "a file that does not exist";
        std::free(target);
        std::free(home);
        if (inside) return {};
        return Status(kErrOpen, path + " is a link to " + where +
                                    ", outside the data directory: data files must be in the "
                                    "data directory itself. Put the file there in place of the "
                                    "link.");
    }

    Status list(const std::string& dir, std::vector<std::string>* names) override {
        DIR* d = ::opendir(dir.c_str());
        if (!d) return ioError(kErrOpen, "cannot list", dir);
        names->clear();
        while (struct dirent* e = ::readdir(d)) names->emplace_back(e->d_name);
        ::closedir(d);
        return {};
    }
};

}  // namespace

Env* Env::standard() {
    static PosixEnv env;
    return &env;
}

}  // namespace xbase
