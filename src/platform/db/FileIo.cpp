#include "platform/db/FileIo.h"

#include "platform/db/DatabaseError.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace db::io {
namespace {

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

} // namespace

size_t readAt(int fd, void *buffer, size_t length, off_t offset, const QString &what)
{
    size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd, static_cast<char *>(buffer) + done, length - done, offset + off_t(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw EDatabaseError(QStringLiteral("Cannot read %1: %2").arg(what, systemError()));
        }
        if (n == 0)
            break;
        done += size_t(n);
    }
    return done;
}

void readExactly(int fd, void *buffer, size_t length, off_t offset, const QString &what)
{
    if (readAt(fd, buffer, length, offset, what) != length)
        throw EDatabaseError(QStringLiteral("%1 is truncated").arg(what));
}

void writeAt(int fd, const void *buffer, size_t length, off_t offset, const QString &what)
{
    size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pwrite(fd, static_cast<const char *>(buffer) + done, length - done, offset + off_t(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw EDatabaseError(QStringLiteral("Cannot write %1: %2").arg(what, systemError()));
        }
        done += size_t(n);
    }
}

off_t fileSize(int fd, const QString &what)
{
    struct stat info;
    if (::fstat(fd, &info) != 0)
        throw EDatabaseError(QStringLiteral("Cannot read %1: %2").arg(what, systemError()));
    return info.st_size;
}

FileHandle &FileHandle::operator=(FileHandle &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.release();
    }
    return *this;
}

FileHandle::~FileHandle()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

FileHandle openTableFile(const QString &path, bool &writable, const QString &what)
{
    const QByteArray name = QFile::encodeName(path);
    int fd = ::open(name.constData(), O_RDWR | O_CLOEXEC);
    writable = fd >= 0;
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw EDatabaseError(QStringLiteral("Cannot open %1: %2").arg(what, systemError()));
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw EDatabaseError(QStringLiteral("%1 is not a file").arg(what));
    }
    return FileHandle(fd);
}

} // namespace db::io
