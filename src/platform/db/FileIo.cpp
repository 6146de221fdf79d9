#include "platform/db/FileIo.h"

#include "platform/db/DatabaseError.h"

#include <QFile>

#include <algorithm>

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

off_t WriteJournal::originalSize(int fd, const QString &what)
{
    for (const auto &[known, size] : m_sizes)
        if (known == fd)
            return size;
    m_sizes.emplace_back(fd, fileSize(fd, what));
    return m_sizes.back().second;
}

void WriteJournal::save(int fd, off_t offset, size_t length, const QString &what)
{
    const off_t size = originalSize(fd, what);
    // Bytes past the original end go with the truncation; a range saved once keeps the original.
    if (offset >= size || !m_savedRanges.emplace(fd, offset, length).second)
        return;
    QByteArray bytes(qsizetype(std::min<off_t>(off_t(length), size - offset)), '\0');
    readExactly(fd, bytes.data(), size_t(bytes.size()), offset, what);
    m_saved.push_back({fd, offset, std::move(bytes)});
}

void WriteJournal::write(int fd, const void *buffer, size_t length, off_t offset, const QString &what)
{
    save(fd, offset, length, what);
    writeAt(fd, buffer, length, offset, what);
}

bool WriteJournal::restore() noexcept
{
    bool restored = true;
    // Latest first, so that where ranges overlap the bytes saved first (the originals) win.
    for (auto saved = m_saved.rbegin(); saved != m_saved.rend(); ++saved) {
        size_t done = 0;
        while (done < size_t(saved->bytes.size())) {
            const ssize_t n = ::pwrite(saved->fd, saved->bytes.constData() + done, size_t(saved->bytes.size()) - done,
                                       saved->offset + off_t(done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                restored = false;
                break;
            }
            done += size_t(n);
        }
    }
    for (const auto &[fd, size] : m_sizes)
        restored = ::ftruncate(fd, size) == 0 && restored;
    m_saved.clear();
    m_savedRanges.clear();
    m_sizes.clear();
    return restored;
}

void writeAt(int fd, const void *buffer, size_t length, off_t offset, const QString &what, WriteJournal *journal)
{
    if (journal)
        journal->write(fd, buffer, length, offset, what);
    else
        writeAt(fd, buffer, length, offset, what);
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
