#include "report/device_output.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <ctime>

#include <QFile>

namespace reports {
namespace {

QString SystemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// A descriptor connected to the socket at path, or -1 with errno set.
int ConnectSocket(const QByteArray& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<size_t>(path.size()) >= sizeof(address.sun_path)) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0) return -1;
    if (::connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0)
        return descriptor;
    const int error = errno;
    ::close(descriptor);
    errno = error;
    return -1;
}

// Holds SIGPIPE off this thread while it lives, so that a FIFO or socket whose reader went away
// makes the write fail with EPIPE, told like any other failure, instead of ending the program;
// a SIGPIPE raised meanwhile is taken back before the signal is let through again.
class BrokenPipeHeldOff {
public:
    BrokenPipeHeldOff() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigemptyset(&pending);
        wasPending_ = sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe_, &previous_);
    }
    ~BrokenPipeHeldOff() {
        if (!wasPending_) {
            const timespec now{};
            while (sigtimedwait(&pipe_, nullptr, &now) == SIGPIPE) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    BrokenPipeHeldOff(const BrokenPipeHeldOff&) = delete;
    BrokenPipeHeldOff& operator=(const BrokenPipeHeldOff&) = delete;

private:
    sigset_t pipe_;
    sigset_t previous_;
    bool wasPending_ = false;
};

}  // namespace

bool IsDeviceOutput(const QString& fileName) {
    struct stat status {};
    return ::stat(QFile::encodeName(fileName).constData(), &status) == 0 &&
           !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
}

std::optional<QString> WriteAll(int descriptor, const QByteArray& bytes) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n =
            ::write(descriptor, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return SystemReason(n < 0 ? errno : EIO);
        done += n;
    }
    return std::nullopt;
}

std::optional<QString> WriteAllChunks(int descriptor, const ChunkSource& source) {
    QByteArray chunk;
    while (source(chunk))
        if (std::optional<QString> reason = WriteAll(descriptor, chunk)) return reason;
    return std::nullopt;
}

std::optional<QString> WriteIntoDevice(const QString& fileName, const ChunkSource& source) {
    const QByteArray path = QFile::encodeName(fileName);
    struct stat status {};
    if (::stat(path.constData(), &status) != 0) return SystemReason(errno);
    if (S_ISBLK(status.st_mode))
        return QStringLiteral("it is a disk device, and an output is never written onto a disk");
    int descriptor = -1;
    do {
        descriptor = S_ISSOCK(status.st_mode)
                         ? ConnectSocket(path)
                         : ::open(path.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) return SystemReason(errno);
    std::optional<QString> reason;
    {
        const BrokenPipeHeldOff held;
        reason = WriteAllChunks(descriptor, source);
    }
    if (::close(descriptor) != 0 && !reason && errno != EINTR) reason = SystemReason(errno);
    return reason;
}

}  // namespace reports
