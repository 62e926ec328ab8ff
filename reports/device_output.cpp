#include "reports/device_output.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

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

std::optional<QString> WriteIntoDevice(const QString& fileName, const QByteArray& bytes) {
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
    std::optional<QString> reason = WriteAll(descriptor, bytes);
    if (::close(descriptor) != 0 && !reason && errno != EINTR) reason = SystemReason(errno);
    return reason;
}

}  // namespace reports
