// An Env that keeps its files in memory, for the fuzz targets: an input becomes a file without
// touching the disk, and the engine's writes land in the same buffers. Locks always succeed.
// A write that would grow a file past kMaxFile fails as a full disk would.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "db/xbase/env.h"

class MemEnv : public xbase::Env {
public:
    static constexpr uint64_t kMaxFile = 64 << 20;

    void put(const std::string& path, std::string bytes);
    // The file's bytes, or nullptr when there is no such file.
    const std::string* get(const std::string& path) const;

    xbase::Status open(const std::string& path, xbase::OpenMode mode,
                       std::unique_ptr<xbase::File>* file) override;
    xbase::Status rename(const std::string& from, const std::string& to) override;
    xbase::Status remove(const std::string& path) override;
    xbase::Status syncDir(const std::string&) override { return {}; }
    bool exists(const std::string& path) override { return files_.count(path) > 0; }
    xbase::Status list(const std::string& dir, std::vector<std::string>* names) override;

private:
    std::map<std::string, std::shared_ptr<std::string>> files_;
};
