#include "tests/xbase/fault_env.h"

#include <sys/wait.h>
#include <unistd.h>
#include <fstream>

#include "db/xbase/journal.h"
#include "db/xbase/xbase.h"

using xbase::Status;

namespace {

class FaultFile : public xbase::File {
public:
    FaultFile(std::unique_ptr<xbase::File> file, FaultEnv* env)
        : file_(std::move(file)), env_(env) {}
    Status read(uint64_t offset, size_t n, char* dst, size_t* got) override {
        return file_->read(offset, n, dst, got);
    }
    Status write(uint64_t offset, const char* src, size_t n) override {
        XBASE_TRY(env_->step("write"));
        return file_->write(offset, src, n);
    }
    Status sync() override {
        XBASE_TRY(env_->step("sync"));
        return env_->skippingSyncs() ? Status() : file_->sync();
    }
    Status truncate(uint64_t size) override {
        XBASE_TRY(env_->step("truncate"));
        return file_->truncate(size);
    }
    Status size(uint64_t* size) override { return file_->size(size); }
    Status lock(uint64_t offset, uint64_t length, bool exclusive) override {
        return file_->lock(offset, length, exclusive);
    }
    Status unlock(uint64_t offset, uint64_t length) override {
        return file_->unlock(offset, length);
    }
    Status stat(xbase::FileStat* out) override { return file_->stat(out); }

private:
    std::unique_ptr<xbase::File> file_;
    FaultEnv* env_;
};

}  // namespace

Status FaultEnv::step(const std::string& what) {
    ++operations_;
    if (what.starts_with("sync")) ++syncs_;
    if (countdown_ > 0 && --countdown_ == 0) {
        if (fault_ == Fault::Exit) _exit(0);
        failing_ = true;
        if (fault_ == Fault::Once) return Status(xbase::kErrWrite, "injected fault: " + what);
    }
    if (failing_ && fault_ == Fault::Sticky) return Status(xbase::kErrWrite, "injected fault: " + what);
    return {};
}

Status FaultEnv::open(const std::string& path, xbase::OpenMode mode,
                      std::unique_ptr<xbase::File>* file) {
    if (mode == xbase::OpenMode::Create || mode == xbase::OpenMode::CreateNew)
        XBASE_TRY(step("create"));
    std::unique_ptr<xbase::File> inner;
    XBASE_TRY(base()->open(path, mode, &inner));
    *file = std::make_unique<FaultFile>(std::move(inner), this);
    return {};
}

Status FaultEnv::rename(const std::string& from, const std::string& to) {
    XBASE_TRY(step("rename"));
    return base()->rename(from, to);
}

Status FaultEnv::remove(const std::string& path) {
    XBASE_TRY(step("remove"));
    return base()->remove(path);
}

Status FaultEnv::syncDir(const std::string& dir) {
    XBASE_TRY(step("sync directory"));
    return skipSyncs_ ? Status() : base()->syncDir(dir);
}

bool LeaveUnfinishedAppend(const std::string& dir, const char* table, const char* field,
                           const char* text) {
    // The crash comes after the journal is written: with the directory's id made already, its
    // steps are the same in every directory.
    const std::string id = dir + "/" + xbase::Journal::kIdName;
    if (xbase::Env::standard()->kind(id) == xbase::FileKind::Missing)
        std::ofstream(id, std::ios::binary) << std::string(16, 'i');
    const pid_t pid = fork();
    if (pid == 0) {
        FaultEnv env;
        xbase::Context ctx(dir, &env);
        xbase::Table* t = ctx.open(table);
        if (!t || ctx.begin() != 0 || t->appendBlank() != 0) _exit(1);
        t->field(field)->assign(text);
        env.failAfter(8, FaultEnv::Fault::Exit);
        ctx.commit();
        _exit(2);  // not reached: the crash ends the process
    }
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
