#include "tests/fuzz/mem_env.h"

#include <algorithm>
#include <cstring>

using xbase::Status;

namespace {

class MemFile : public xbase::File {
public:
    explicit MemFile(std::shared_ptr<std::string> data) : data_(std::move(data)) {}

    Status read(uint64_t offset, size_t n, char* dst, size_t* got) override {
        *got = 0;
        if (offset < data_->size()) {
            *got = static_cast<size_t>(std::min<uint64_t>(n, data_->size() - offset));
            std::memcpy(dst, data_->data() + offset, *got);
        }
        return {};
    }
    Status write(uint64_t offset, const char* src, size_t n) override {
        if (offset + n > MemEnv::kMaxFile) return Status(xbase::kErrWrite, "memory file full");
        if (offset + n > data_->size()) data_->resize(static_cast<size_t>(offset + n), '\0');
        std::memcpy(data_->data() + offset, src, n);
        return {};
    }
    Status sync() override { return {}; }
    Status truncate(uint64_t size) override {
        if (size > MemEnv::kMaxFile) return Status(xbase::kErrWrite, "memory file full");
        data_->resize(static_cast<size_t>(size), '\0');
        return {};
    }
    Status size(uint64_t* size) override {
        *size = data_->size();
        return {};
    }
    Status lock(uint64_t, uint64_t, bool) override { return {}; }
    Status unlock(uint64_t, uint64_t) override { return {}; }

private:
    std::shared_ptr<std::string> data_;
};

}  // namespace

void MemEnv::put(const std::string& path, std::string bytes) {
    files_[path] = std::make_shared<std::string>(std::move(bytes));
}

const std::string* MemEnv::get(const std::string& path) const {
    auto it = files_.find(path);
    return it == files_.end() ? nullptr : it->second.get();
}

Status MemEnv::open(const std::string& path, xbase::OpenMode mode,
                    std::unique_ptr<xbase::File>* file) {
    auto it = files_.find(path);
    if (mode == xbase::OpenMode::CreateNew && it != files_.end())
        return Status(xbase::kErrCreate, "cannot create " + path + ": it exists");
    if (mode == xbase::OpenMode::Create || mode == xbase::OpenMode::CreateNew) {
        put(path, {});
        it = files_.find(path);
    } else if (it == files_.end()) {
        return Status(xbase::kErrOpen, "cannot open " + path + ": no such file");
    }
    *file = std::make_unique<MemFile>(it->second);
    return {};
}

Status MemEnv::rename(const std::string& from, const std::string& to) {
    auto it = files_.find(from);
    if (it == files_.end()) return Status(xbase::kErrWrite, "cannot rename " + from);
    files_[to] = it->second;
    files_.erase(from);
    return {};
}

Status MemEnv::remove(const std::string& path) {
    files_.erase(path);
    return {};
}

Status MemEnv::list(const std::string& dir, std::vector<std::string>* names) {
    names->clear();
    const std::string prefix = dir + "/";
    for (const auto& [path, data] : files_)
        if (path.compare(0, prefix.size(), prefix) == 0 &&
            path.find('/', prefix.size()) == std::string::npos)
            names->push_back(path.substr(prefix.size()));
    return {};
}
