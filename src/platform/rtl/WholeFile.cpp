#include "platform/rtl/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <QDirIterator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace rtl {
namespace {

constexpr int kNameAttempts = 100;
constexpr char kTemporaryLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kTemporaryLetterCount = 6;

// The file at the end of a chain of symbolic links; that file is replaced, the links stay.
// A chain that loops ends where the system would give up following it.
QByteArray resolvedTarget(const QString &fileName)
{
    constexpr int kMostLinksFollowed = 40;
    QFileInfo info(fileName);
    for (int followed = 0; info.isSymLink() && followed < kMostLinksFollowed; ++followed)
        info.setFile(info.symLinkTarget());
    return QFile::encodeName(info.absoluteFilePath());
}

QByteArray temporaryName(const QByteArray &target)
{
    QByteArray name = target + ".tmp";
    for (int i = 0; i < kTemporaryLetterCount; ++i)
        name += kTemporaryLetters[QRandomGenerator::global()->bounded(int(sizeof kTemporaryLetters - 1))];
    return name;
}

bool isTemporaryNameOf(const QString &name, const QString &target)
{
    const QString prefix = target + QStringLiteral(".tmp");
    return name.size() == prefix.size() + kTemporaryLetterCount && name.startsWith(prefix)
           && std::all_of(name.begin() + prefix.size(), name.end(),
                          [](QChar c) { return c.unicode() < 0x80 && std::strchr(kTemporaryLetters, char(c.unicode())); });
}

void syncFolderOf(const QByteArray &path) noexcept
{
    // Makes the rename itself durable; a folder that cannot be synced (some file systems
    // refuse) does not undo a file already in place.
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(path)).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

QString FileErrorMessage(const char *action, const QString &fileName, int error)
{
    return QStringLiteral("Cannot %1 the file %2: %3")
        .arg(QLatin1String(action), QDir::toNativeSeparators(fileName),
             QString::fromLocal8Bit(std::generic_category().message(error)));
}

WholeFileWriter::WholeFileWriter(const QString &fileName, WholeFileTarget target)
    : m_fileName(fileName), m_target(resolvedTarget(fileName)), m_mode(target)
{
    struct stat existing {};
    const bool exists = ::stat(m_target.constData(), &existing) == 0;
    if (exists && m_mode == WholeFileTarget::CreateNew)
        fail("create", EEXIST);
    if (exists && ::access(m_target.constData(), W_OK) != 0)
        fail("write", errno);
    RemoveLeftoverNewFiles(fileName);
    for (int attempt = 0; attempt < kNameAttempts && m_fd < 0; ++attempt) {
        m_temporary = temporaryName(m_target);
        // 0666 less the umask, as for any new file; a replaced file keeps its mode.
        m_fd = ::open(m_temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    // Held until the file is in place: a file nobody holds is a killed writer's leftover.
    if (m_fd >= 0)
        ::flock(m_fd, LOCK_EX | LOCK_NB);
    if (m_fd < 0) {
        const int error = errno;
        m_temporary.clear();
        fail("create", error);
    }
    if (exists && ::fchmod(m_fd, existing.st_mode & 07777) != 0)
        fail("create", errno);
}

WholeFileWriter::~WholeFileWriter() { discard(); }

void WholeFileWriter::write(QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            fail("write", errno);
        if (written == 0)
            fail("write", ENOSPC);
        data += written;
        left -= written;
        m_written += written;
    }
}

void WholeFileWriter::commit()
{
    if (::fsync(m_fd) != 0)
        fail("write", errno);
    struct stat written {};
    if (::fstat(m_fd, &written) != 0)
        fail("write", errno);
    if (written.st_size != m_written)
        fail("write", EIO);
    // Still open, so still locked: no cleaner takes the file for a leftover before it is in place.
    if (m_mode == WholeFileTarget::CreateNew) {
        if (::link(m_temporary.constData(), m_target.constData()) != 0)
            fail("create", errno);
        discard();
    } else {
        if (::rename(m_temporary.constData(), m_target.constData()) != 0)
            fail("write", errno);
        m_temporary.clear();
        const int fd = m_fd;
        m_fd = -1;
        ::close(fd);
    }
    syncFolderOf(m_target);
}

void WholeFileWriter::fail(const char *action, int error)
{
    discard();
    throw EInOutError(FileErrorMessage(action, m_fileName, error));
}

void WholeFileWriter::discard() noexcept
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.isEmpty()) {
        ::unlink(m_temporary.constData());
        m_temporary.clear();
    }
}

void RemoveLeftoverNewFiles(const QString &fileName) noexcept
{
    const QFileInfo target(QFile::decodeName(resolvedTarget(fileName)));
    QDirIterator entries(target.absolutePath(), {target.fileName() + QStringLiteral(".tmp*")}, QDir::Files | QDir::Hidden);
    while (entries.hasNext()) {
        const QString path = entries.next();
        if (!isTemporaryNameOf(entries.fileName(), target.fileName()))
            continue;
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(QFile::encodeName(path).constData());
        ::close(fd);
    }
}

void WriteWholeFile(const QString &fileName, QByteArrayView contents, WholeFileTarget target)
{
    WholeFileWriter file(fileName, target);
    file.write(contents);
    file.commit();
}

} // namespace rtl
