// The standard file layer with its syncs counted, for the benchmarks that say how many syncs a
// save asks of the disk; it can also sync every file written since that file's last sync, as a
// save that is durable but not all-or-nothing would.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "db/xbase/env.h"

namespace bench {

class CountingEnv final : public xbase::Env {
public:
    CountingEnv() = default;
    CountingEnv(const CountingEnv&) = delete;
    CountingEnv& operator=(const CountingEnv&) = delete;

    long syncs = 0;    // of files and of directories
    long renames = 0;  // each made durable by the standard layer with a sync of its directory

    // Syncs every open file written since its last sync.
    xbase::Status syncWritten();

    xbase::Status open(const std::string& path, xbase::OpenMode mode,
                       std::unique_ptr<xbase::File>* file) override;
    xbase::Status rename(const std::string& from, const std::string& to) override;
    xbase::Status remove(const std::string& path) override;
    xbase::Status syncDir(const std::string& dir) override;
    bool exists(const std::string& path) override;
    xbase::Status list(const std::string& dir, std::vector<std::string>* names) override;

private:
    class CountingFile;
    std::vector<CountingFile*> files_;
};

}  // namespace bench
