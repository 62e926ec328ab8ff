// Special files for tests of outputs: a FIFO made by the test with a thread that reads all that
// is written into it, and a character device that swallows what it is given, made where the
// test may make one (root). Both remove their file when they go.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

class FifoReader {
public:
    // Makes the FIFO at path and starts reading it; ok() is false when it cannot be made.
    explicit FifoReader(std::string path);
    // Ends the reader and removes the FIFO (or what took its place).
    ~FifoReader();
    FifoReader(const FifoReader&) = delete;
    FifoReader& operator=(const FifoReader&) = delete;

    bool ok() const { return ok_; }
    // Waits (ten seconds at most) until a writer closed the FIFO and returns all it wrote.
    const std::string& received();

private:
    void Finish(std::chrono::milliseconds patience);

    std::string path_;
    bool ok_ = false;
    std::string text_;
    std::atomic<bool> done_{false};
    std::atomic<bool> stop_{false};
    std::thread reader_;
};

// A character device node at path that behaves as the null device. False when the test may not
// make one (not root, or no room for device nodes); the caller then uses a FIFO instead.
bool MakeNullDevice(const std::string& path);

// The kind of file at path, links followed: 'c' character device, 'p' FIFO, 's' socket,
// 'b' block device, 'f' regular file, 'd' directory, '-' none.
char FileKind(const std::string& path);
