#include "bench/counting_env.h"

#include <algorithm>

namespace bench {
namespace {

xbase::Env* Standard() {
    return xbase::Env::standard();
}

}  // namespace

class CountingEnv::CountingFile final : public xbase::File {
public:
    CountingFile(std::unique_ptr<xbase::File> file, CountingEnv* env)
        : file_(std::move(file)), env_(env) {
        env_->files_.push_back(this);
    }
    ~CountingFile() override { std::erase(env_->files_, this); }

    bool written = false;

    xbase::Status read(uint64_t offset, size_t n, char* dst, size_t* got) override {
        return file_->read(offset, n, dst, got);
    }
    xbase::Status write(uint64_t offset, const char* src, size_t n) override {
        written = true;
        return file_->write(offset, src, n);
    }
    xbase::Status sync() override {
        ++env_->syncs;
        written = false;
        return file_->sync();
    }
    xbase::Status truncate(uint64_t size) override {
        written = true;
        return file_->truncate(size);
    }
    xbase::Status size(uint64_t* size) override { return file_->size(size); }
    xbase::Status lock(uint64_t offset, uint64_t length, bool exclusive) override {
        return file_->lock(offset, length, exclusive);
    }
    xbase::Status unlock(uint64_t offset, uint64_t length) override {
        return file_->unlock(offset, length);
    }

private:
    std::unique_ptr<xbase::File> file_;
    CountingEnv* env_;
};

xbase::Status CountingEnv::syncWritten() {
    for (CountingFile* f : files_)
        if (f->written) XBASE_TRY(f->sync());
    return {};
}

xbase::Status CountingEnv::open(const std::string& path, xbase::OpenMode mode,
                                std::unique_ptr<xbase::File>* file) {
    std::unique_ptr<xbase::File> inner;
    XBASE_TRY(Standard()->open(path, mode, &inner));
    *file = std::make_unique<CountingFile>(std::move(inner), this);
    return {};
}

xbase::Status CountingEnv::rename(const std::string& from, const std::string& to) {
    ++renames;
    return Standard()->rename(from, to);
}

xbase::Status CountingEnv::remove(const std::string& path) {
    return Standard()->remove(path);
}

xbase::Status CountingEnv::syncDir(const std::string& dir) {
    ++syncs;
    return Standard()->syncDir(dir);
}

bool CountingEnv::exists(const std::string& path) {
    return Standard()->exists(path);
}

xbase::Status CountingEnv::list(const std::string& dir, std::vector<std::string>* names) {
    return Standard()->list(dir, names);
}

}  // namespace bench
