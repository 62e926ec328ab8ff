// An Env over the real file system that fails on command: the k-th mutating operation (write,
// sync, truncate, rename, remove, create) from now on returns kErrWrite as a full disk would,
// and every later one fails too until the fault is cleared.
#pragma once

#include "db/xbase/env.h"

class FaultEnv : public xbase::Env {
public:
    // Fails the k-th mutating operation from now (1 = the next one); 0 clears the fault.
    void failAfter(int k) {
        countdown_ = k;
        failing_ = false;
    }
    int operations() const { return operations_; }
    bool tripped() const { return failing_; }

    xbase::Status open(const std::string& path, xbase::OpenMode mode,
                       std::unique_ptr<xbase::File>* file) override;
    xbase::Status rename(const std::string& from, const std::string& to) override;
    xbase::Status remove(const std::string& path) override;
    bool exists(const std::string& path) override { return base()->exists(path); }
    xbase::Status list(const std::string& dir, std::vector<std::string>* names) override {
        return base()->list(dir, names);
    }

    // Counts one mutating operation; returns the failure when it is due.
    xbase::Status step(const std::string& what);

private:
    static xbase::Env* base() { return xbase::Env::standard(); }
    int countdown_ = 0;
    bool failing_ = false;
    int operations_ = 0;
};
