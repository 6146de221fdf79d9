#include "platform/rtl/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace rtl {
namespace {

constexpr int kNameAttempts = 100;

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
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = target + ".tmp";
    for (int i = 0; i < 6; ++i)
        name += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
    return name;
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
    for (int attempt = 0; attempt < kNameAttempts && m_fd < 0; ++attempt) {
        m_temporary = temporaryName(m_target);
        // 0666 less the umask, as for any new file; a replaced file keeps its mode.
        m_fd = ::open(m_temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
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
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        fail("write", errno);
    if (m_mode == WholeFileTarget::CreateNew) {
        if (::link(m_temporary.constData(), m_target.constData()) != 0)
            fail("create", errno);
        discard();
    } else {
        if (::rename(m_temporary.constData(), m_target.constData()) != 0)
            fail("write", errno);
        m_temporary.clear();
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

void WriteWholeFile(const QString &fileName, QByteArrayView contents, WholeFileTarget target)
{
    WholeFileWriter file(fileName, target);
    file.write(contents);
    file.commit();
}

} // namespace rtl
