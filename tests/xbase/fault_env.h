// An Env over the real file system that fails on command: the k-th mutating operation (write,
// sync, truncate, rename, remove, create, directory sync) from now on returns kErrWrite as a
// full disk would, and every later one fails too until the fault is cleared; or only that one
// fails, as a passing I/O error would; or the process ends there at once, as in a crash.
#pragma once

#include "db/xbase/env.h"

class FaultEnv : public xbase::Env {
public:
    enum class Fault { Sticky, Once, Exit };
    // Fails the k-th mutating operation from now (1 = the next one); 0 clears the fault.
    void failAfter(int k, Fault fault = Fault::Sticky) {
        countdown_ = k;
        failing_ = false;
        fault_ = fault;
    }
    int operations() const { return operations_; }
    int syncs() const { return syncs_; }
    // Counts syncs without making them, for tests that recover thousands of times.
    void skipSyncs(bool on) { skipSyncs_ = on; }
    bool skippingSyncs() const { return skipSyncs_; }
    bool tripped() const { return failing_; }

    xbase::Status open(const std::string& path, xbase::OpenMode mode,
                       std::unique_ptr<xbase::File>* file) override;
    xbase::Status rename(const std::string& from, const std::string& to) override;
    xbase::Status remove(const std::string& path) override;
    xbase::Status syncDir(const std::string& dir) override;
    bool exists(const std::string& path) override { return base()->exists(path); }
    xbase::Status list(const std::string& dir, std::vector<std::string>* names) override {
        return base()->list(dir, names);
    }
    xbase::FileKind kind(const std::string& path) override { return base()->kind(path); }
    xbase::Status staysIn(const std::string& path, const std::string& dir) override {
        return base()->staysIn(path, dir);
    }

    // Counts one mutating operation; returns the failure when it is due.
    xbase::Status step(const std::string& what);

private:
    static xbase::Env* base() { return xbase::Env::standard(); }
    int countdown_ = 0;
    Fault fault_ = Fault::Sticky;
    int syncs_ = 0;
    bool skipSyncs_ = false;
    bool failing_ = false;
    int operations_ = 0;
};

// The change a crash leaves unfinished: a child process appends a record to `table` in `dir`
// with `text` in `field`, inside a change, and ends in the middle of its commit, the journal
// written. True when the child ended there.
bool LeaveUnfinishedAppend(const std::string& dir, const char* table, const char* field,
                           const char* text);
