#include "platform/db/FileIo.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/JournalFormat.h"

#include "platform/rtl/WholeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

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

namespace {

constexpr size_t kMaxSavedRange = size_t(1) << 20;

QSet<QString> &journalsOfThisProcess()
{
    static QSet<QString> paths;
    return paths;
}

void appendLe(QByteArray &entry, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        entry.append(char(uint8_t(value >> (8 * i))));
}

bool writeAll(int fd, const char *bytes, size_t length, off_t offset) noexcept
{
    size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pwrite(fd, bytes + done, length - done, offset + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

// Writes back the `length` original bytes at `offset` where the file no longer holds them: a
// write that failed (past a file size limit) left the rest as it was, and may fail again.
bool putBack(int fd, const char *bytes, size_t length, off_t offset) noexcept
{
    constexpr size_t kChunk = 64 * 1024;
    std::vector<char> current(std::min(length, kChunk));
    for (size_t done = 0; done < length; done += kChunk) {
        const size_t part = std::min(kChunk, length - done);
        const ssize_t n = ::pread(fd, current.data(), part, offset + off_t(done));
        const bool same = n == ssize_t(part) && std::memcmp(current.data(), bytes + done, part) == 0;
        if (!same && !writeAll(fd, bytes + done, part, offset + off_t(done)))
            return false;
    }
    return true;
}

// Gives the file its earlier length. A file that has it already is left alone: under a file
// size limit smaller than the file, even a truncation to the same length fails.
bool cutTo(int fd, off_t size) noexcept
{
    struct stat info;
    if (::fstat(fd, &info) != 0)
        return false;
    return info.st_size == size || ::ftruncate(fd, size) == 0;
}

void syncFile(int fd, const QString &what)
{
    if (::fdatasync(fd) != 0 && errno != EINVAL)
        throw EDatabaseError(QStringLiteral("Cannot write %1: %2").arg(what, systemError()));
}

QString folderOf(const QString &path) { return QFileInfo(path).absolutePath(); }

void syncFolder(const QString &path)
{
    const int fd = ::open(QFile::encodeName(folderOf(path)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

WriteJournal::WriteJournal(QString journalPath) : m_journalPath(std::move(journalPath)) {}

WriteJournal::~WriteJournal()
{
    if (m_journalFd >= 0)
        ::close(m_journalFd);
    if (!m_journalPath.isEmpty())
        journalsOfThisProcess().remove(m_journalPath);
}

void WriteJournal::track(int fd, const QString &fileName)
{
    for (File &known : m_files)
        if (known.fd == fd)
            return;
    m_files.push_back({fd, -1, fileName, {}});
}

WriteJournal::File &WriteJournal::file(int fd, const QString &what)
{
    auto found = std::find_if(m_files.begin(), m_files.end(), [fd](const File &f) { return f.fd == fd; });
    if (found == m_files.end()) {
        m_files.push_back({fd, -1, QString(), {}});
        found = m_files.end() - 1;
    }
    if (found->size < 0) {
        struct stat info;
        if (::fstat(fd, &info) != 0)
            throw EDatabaseError(QStringLiteral("Cannot read %1: %2").arg(what, systemError()));
        found->size = info.st_size;
        if (!m_journalPath.isEmpty()) {
            // The file's identity lets a later recovery tell the file of the change from
            // another one that took its name.
            QByteArray entry(1, journal::kFileEntry);
            const QByteArray name = QFile::encodeName(found->name);
            appendLe(entry, uint64_t(found - m_files.begin()), 1);
            appendLe(entry, uint64_t(found->size), 8);
            appendLe(entry, uint64_t(info.st_dev), 8);
            appendLe(entry, uint64_t(info.st_ino), 8);
            appendLe(entry, uint64_t(name.size()), 2);
            entry.append(name);
            appendToJournalFile(entry, what);
            m_unsynced = true;
        }
    }
    return *found;
}

bool WriteJournal::isSaved(const File &file, off_t offset, off_t end) const
{
    auto after = file.saved.upper_bound(offset);
    if (after == file.saved.begin())
        return false;
    --after;
    return after->second >= end;
}

void WriteJournal::keep(File &file, off_t offset, QByteArray bytes, const QString &what)
{
    const off_t end = offset + off_t(bytes.size());
    if (!m_journalPath.isEmpty()) {
        appendRangeEntry(journal::kSavedEntry, file, offset, bytes.constData(), size_t(bytes.size()), what);
        m_unsynced = true;
    }
    // Joined with a saved range that ends where this one starts, so that lookups stay cheap.
    auto before = file.saved.upper_bound(offset);
    if (before != file.saved.begin() && std::prev(before)->second == offset)
        std::prev(before)->second = end;
    else
        file.saved[offset] = end;
    m_saved.push_back({file.fd, offset, std::move(bytes)});
}

void WriteJournal::save(int fd, off_t offset, size_t length, const QString &what)
{
    File &saving = file(fd, what);
    const off_t end = std::min<off_t>(offset + off_t(length), saving.size);
    // Bytes past the original end go with the truncation; a range saved once keeps the original.
    if (offset < end && !isSaved(saving, offset, end)) {
        QByteArray bytes(qsizetype(end - offset), '\0');
        readExactly(fd, bytes.data(), size_t(bytes.size()), offset, what);
        keep(saving, offset, std::move(bytes), what);
    }
    syncJournalFile(what);
}

void WriteJournal::saveRanges(int fd, const std::vector<std::pair<off_t, size_t>> &ranges, const QString &what)
{
    File &saving = file(fd, what);
    // Neighbouring ranges are read and kept as one, up to a bounded size.
    size_t next = 0;
    while (next < ranges.size()) {
        const off_t start = ranges[next].first;
        off_t end = start + off_t(ranges[next].second);
        for (++next; next < ranges.size() && ranges[next].first == end && size_t(end - start) < kMaxSavedRange; ++next)
            end += off_t(ranges[next].second);
        end = std::min(end, saving.size);
        if (start >= end || isSaved(saving, start, end))
            continue;
        QByteArray bytes(qsizetype(end - start), '\0');
        readExactly(fd, bytes.data(), size_t(bytes.size()), start, what);
        keep(saving, start, std::move(bytes), what);
    }
    syncJournalFile(what);
}

void WriteJournal::write(int fd, const void *buffer, size_t length, off_t offset, const QString &what)
{
    save(fd, offset, length, what);
    noteWritten(fd, offset, buffer, length, what);
    writeAt(fd, buffer, length, offset, what);
}

void WriteJournal::noteWritten(int fd, off_t offset, const void *buffer, size_t length, const QString &what)
{
    // Needs no sync of its own: a written range the journal lost shows as a change by someone
    // else, and the journal is then kept aside rather than rolled back.
    if (!m_journalPath.isEmpty())
        appendRangeEntry(journal::kWrittenEntry, file(fd, what), offset, buffer, length, what);
}

void WriteJournal::appendRangeEntry(char kind, const File &file, off_t offset, const void *bytes, size_t length, const QString &what)
{
    QByteArray entry(1, kind);
    entry.reserve(journal::kRangeEntryHead + qsizetype(length));
    appendLe(entry, uint64_t(&file - m_files.data()), 1);
    appendLe(entry, uint64_t(offset), 8);
    appendLe(entry, uint64_t(length), 4);
    entry.append(static_cast<const char *>(bytes), qsizetype(length));
    appendToJournalFile(entry, what);
}

void WriteJournal::appendToJournalFile(const QByteArray &entry, const QString &what)
{
    if (m_journalFd < 0) {
        const QByteArray name = QFile::encodeName(m_journalPath);
        m_journalFd = ::open(name.constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (m_journalFd < 0)
            throw EDatabaseError(QStringLiteral("Cannot write %1: the journal file %2 cannot be created: %3")
                                     .arg(what, QFileInfo(m_journalPath).fileName(), systemError()));
        journalsOfThisProcess().insert(m_journalPath);
        m_journalSize = 0;
        appendToJournalFile(QByteArray(journal::kMagic, sizeof journal::kMagic), what);
        m_unsynced = true;
        syncFolder(m_journalPath);
    }
    try {
        writeAt(m_journalFd, entry.constData(), size_t(entry.size()), m_journalSize,
                QStringLiteral("the journal file %1").arg(QFileInfo(m_journalPath).fileName()));
    } catch (const EDatabaseError &error) {
        throw EDatabaseError(QStringLiteral("Cannot write %1: %2").arg(what, QString::fromUtf8(error.what())));
    }
    m_journalSize += off_t(entry.size());
}

void WriteJournal::syncJournalFile(const QString &what)
{
    if (m_journalFd >= 0 && m_unsynced)
        syncFile(m_journalFd, QStringLiteral("%1: the journal file").arg(what));
    m_unsynced = false;
}

void WriteJournal::removeJournalFile() noexcept
{
    if (m_journalFd < 0)
        return;
    ::close(m_journalFd);
    m_journalFd = -1;
    ::unlink(QFile::encodeName(m_journalPath).constData());
    journalsOfThisProcess().remove(m_journalPath);
}

void WriteJournal::commit(const QString &what)
{
    // The changed files reach the disk before the journal that could undo them goes.
    if (m_journalFd >= 0)
        for (const File &changed : m_files)
            if (changed.size >= 0)
                syncFile(changed.fd, what);
    removeJournalFile();
    m_saved.clear();
    m_files.clear();
}

bool WriteJournal::restore() noexcept
{
    bool restored = true;
    // Latest first, so that where ranges overlap the bytes saved first (the originals) win.
    for (auto saved = m_saved.rbegin(); saved != m_saved.rend(); ++saved)
        restored = putBack(saved->fd, saved->bytes.constData(), size_t(saved->bytes.size()), saved->offset) && restored;
    for (const File &changed : m_files)
        if (changed.size >= 0)
            restored = cutTo(changed.fd, changed.size) && restored;
    if (restored) {
        for (const File &changed : m_files)
            if (changed.size >= 0)
                ::fdatasync(changed.fd);
        removeJournalFile();
    }
    m_saved.clear();
    m_files.clear();
    return restored;
}

QString journalPathFor(const QString &tablePath) { return tablePath + QStringLiteral("-journal"); }

bool isJournalOfThisProcess(const QString &journalPath) { return journalsOfThisProcess().contains(journalPath); }

mode_t usualFileMode()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
            bool ok = false;
            const uint mask = line.startsWith("Umask:") ? line.mid(6).trimmed().toUInt(&ok, 8) : 0;
            if (ok)
                return mode_t(0666 & ~mask);
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mode_t(0666 & ~mask);
}

bool modeAllowsWriting(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) != 0 || modeAllowsWriting(info.st_mode);
}

bool modeAllowsWriting(int fd)
{
    struct stat info;
    return ::fstat(fd, &info) == 0 && modeAllowsWriting(info.st_mode);
}

void checkModeAllowsWriting(const QString &path, const QString &what)
{
    if (!modeAllowsWriting(path))
        throw EDatabaseError(QStringLiteral("%1 is read-only").arg(what));
}

void renameFile(const QString &from, const QString &to, const QString &what)
{
    {
        const FileHandle written(::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC));
        if (!written.valid())
            throw EDatabaseError(QStringLiteral("Cannot write %1: %2").arg(what, systemError()));
        syncFile(written.get(), what);
    }
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        throw EDatabaseError(QStringLiteral("Cannot write %1: %2").arg(what, systemError()));
    syncFolder(to);
}

void saveWholeFile(const QString &path, const QByteArray &contents, bool replace)
{
    try {
        rtl::WriteWholeFile(path, contents, replace ? rtl::WholeFileTarget::Replace : rtl::WholeFileTarget::CreateNew);
    } catch (const rtl::Exception &error) {
        throw EDatabaseError(error.Message());
    }
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
    // The mode bits decide, also for root, whom the system would let write.
    if (writable && !modeAllowsWriting(info.st_mode)) {
        ::close(fd);
        writable = false;
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            throw EDatabaseError(QStringLiteral("Cannot open %1: %2").arg(what, systemError()));
    }
    return FileHandle(fd);
}

} // namespace db::io
