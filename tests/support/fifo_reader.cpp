#include "tests/support/fifo_reader.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <utility>

FifoReader::FifoReader(std::string path) : path_(std::move(path)) {
    ok_ = ::mkfifo(path_.c_str(), 0600) == 0;
    if (!ok_) return;
    // Opened here, not blocking, so that a writer finds its reader at once; the thread waits
    // for a writer with poll, which reports nothing until one has come, and reads until it
    // closes.
    const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
    ok_ = fd >= 0;
    if (!ok_) return;
    reader_ = std::thread([this, fd] {
        char buffer[4096];
        while (!stop_) {
            pollfd wait{fd, POLLIN, 0};
            if (::poll(&wait, 1, 20) <= 0) continue;
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) {
                text_.append(buffer, static_cast<size_t>(n));
            } else if (n == 0 || errno != EAGAIN) {
                break;
            }
        }
        ::close(fd);
        done_ = true;
    });
}

FifoReader::~FifoReader() {
    Finish(std::chrono::seconds(0));
    ::unlink(path_.c_str());
}

const std::string& FifoReader::received() {
    Finish(std::chrono::seconds(10));
    return text_;
}

void FifoReader::Finish(std::chrono::milliseconds patience) {
    if (!reader_.joinable()) return;
    const auto until = std::chrono::steady_clock::now() + patience;
    while (!done_ && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    stop_ = true;
    reader_.join();
}

bool MakeNullDevice(const std::string& path) {
    return ::geteuid() == 0 && ::mknod(path.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
}

char FileKind(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return '-';
    if (S_ISCHR(status.st_mode)) return 'c';
    if (S_ISFIFO(status.st_mode)) return 'p';
    if (S_ISSOCK(status.st_mode)) return 's';
    if (S_ISBLK(status.st_mode)) return 'b';
    if (S_ISDIR(status.st_mode)) return 'd';
    return 'f';
}
