// A fresh data directory for one test, made the current directory while the fixture lives (the
// program opens its tables from the current directory); the old directory is put back and the
// temporary one removed afterwards.
#pragma once

#include <filesystem>

class TempDataDir {
public:
    enum Contents { Empty, SuppliedTables };
    explicit TempDataDir(Contents contents = Empty);
    ~TempDataDir();
    TempDataDir(const TempDataDir&) = delete;
    TempDataDir& operator=(const TempDataDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path file(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};
