// Status values returned at every I/O boundary of the table engine, and the engine's error
// codes. A Status is cheap to copy; a default one is success. Error codes are negative, as the
// context's errorCode() reports them.
#pragma once

#include <string>
#include <utility>

namespace xbase {

enum ErrorCode : int {
    kOk = 0,
    kErrOpen = -60,      // a file is missing or cannot be opened
    kErrRead = -70,      // a read failed
    kErrWrite = -80,     // a write, sync, truncate or rename failed (disk full included)
    kErrCreate = -90,    // a file cannot be created
    kErrLocked = -100,   // another process holds the file
    kErrData = -110,     // a damaged table or memo file
    kErrIndex = -120,    // a damaged index file, or one whose key does not match its tag
    kErrExpr = -130,     // a key expression the engine does not support
    kErrTag = -140,      // no tag of that name
    kErrField = -150,    // no field of that name
    kErrRecord = -160,   // no record of that number
    kErrArgument = -170  // a call that makes no sense (value too wide for its field, ...)
};

class [[nodiscard]] Status {
public:
    Status() = default;
    Status(int code, std::string message) : code_(code), message_(std::move(message)) {}

    bool ok() const { return code_ == kOk; }
    int code() const { return code_; }
    const std::string& message() const { return message_; }

private:
    int code_ = kOk;
    std::string message_;
};

#define XBASE_TRY(expr)                    \
    do {                                   \
        ::xbase::Status status_ = (expr);  \
        if (!status_.ok()) return status_; \
    } while (0)

}  // namespace xbase
