#pragma once
// Small positioned-I/O helpers over POSIX descriptors that report failures as EDatabaseError.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <map>
#include <sys/types.h>
#include <tuple>
#include <vector>

namespace db::io {

/// Reads up to `length` bytes at `offset`; answers the number read (short only at end of file).
size_t readAt(int fd, void *buffer, size_t length, off_t offset, const QString &what);
/// Reads exactly `length` bytes at `offset` or throws naming `what` as truncated.
void readExactly(int fd, void *buffer, size_t length, off_t offset, const QString &what);
/// Writes all `length` bytes at `offset` or throws.
void writeAt(int fd, const void *buffer, size_t length, off_t offset, const QString &what);
/// Current size of the file.
off_t fileSize(int fd, const QString &what);

inline uint16_t le16(const unsigned char *p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t le32(const unsigned char *p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void putLe16(unsigned char *p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void putLe32(unsigned char *p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

/// What the writes of one change overwrite, so that the files can be put back byte for byte
/// when a later write of the change fails (a full disk, a file size limit). A journal with a
/// file keeps the same beside the table, written and synced before the bytes it saves are
/// overwritten: a process killed in the middle of a change leaves it behind, and
/// `rollBackJournal` puts the files back from it.
class WriteJournal
{
public:
    /// A journal held in memory only.
    WriteJournal() = default;
    /// A journal also kept in the file `journalPath`, created when the first write is saved.
    explicit WriteJournal(QString journalPath);
    ~WriteJournal();
    WriteJournal(const WriteJournal &) = delete;
    WriteJournal &operator=(const WriteJournal &) = delete;

    /// Names the file behind `fd` (its name in the journal's folder) for the journal file.
    void track(int fd, const QString &fileName);
    /// Keeps what a write of `length` bytes at `offset` of `fd` is about to overwrite.
    void save(int fd, off_t offset, size_t length, const QString &what);
    /// Keeps, with a single sync of the journal file, what writes to the `ranges` (offset and
    /// length, ascending) of `fd` are about to overwrite.
    void saveRanges(int fd, const std::vector<std::pair<off_t, size_t>> &ranges, const QString &what);
    /// Writes `length` bytes at `offset` after saving what they overwrite.
    void write(int fd, const void *buffer, size_t length, off_t offset, const QString &what);
    /// Keeps in the journal file what a write of `length` bytes at `offset` of `fd` (whose
    /// earlier bytes are saved) is about to put there, so that a recovery can tell the
    /// change's bytes from another program's.
    void noteWritten(int fd, off_t offset, const void *buffer, size_t length, const QString &what);
    /// The change is complete: the files are synced and the journal file is removed.
    void commit(const QString &what);
    /// Puts every file back as it was before the first write; false when that failed too.
    /// The journal file is removed once the files are back.
    bool restore() noexcept;

private:
    struct Saved
    {
        int fd;
        off_t offset;
        QByteArray bytes;
    };
    struct File
    {
        int fd;
        off_t size;
        QString name;
        std::map<off_t, off_t> saved; ///< ranges already saved: start -> end
    };
    File &file(int fd, const QString &what);
    bool isSaved(const File &file, off_t offset, off_t end) const;
    void keep(File &file, off_t offset, QByteArray bytes, const QString &what);
    void appendRangeEntry(char kind, const File &file, off_t offset, const void *bytes, size_t length, const QString &what);
    void appendToJournalFile(const QByteArray &entry, const QString &what);
    void syncJournalFile(const QString &what);
    void removeJournalFile() noexcept;

    std::vector<File> m_files;
    std::vector<Saved> m_saved;
    QString m_journalPath;
    int m_journalFd = -1;
    off_t m_journalSize = 0;
    bool m_unsynced = false; ///< saved bytes not yet on the disk
};

/// The journal file a change of the table at `tablePath` keeps beside it.
QString journalPathFor(const QString &tablePath);
/// True while this process keeps a journal file at `journalPath` for a change under way.
bool isJournalOfThisProcess(const QString &journalPath);

/// Writes `contents` to `path` whole or not at all (rtl::WriteWholeFile): the new file replaces
/// `path` (with `replace`) or takes its name only when no file has it. Throws EDatabaseError.
void saveWholeFile(const QString &path, const QByteArray &contents, bool replace);
/// Moves the file at `from`, once it is on the disk, to `to`, replacing `to`; throws naming `what`.
void renameFile(const QString &from, const QString &to, const QString &what);
/// The mode new files get: 0666 less the process's umask.
mode_t usualFileMode();
/// False when the mode bits `mode` allow nobody to write the file; root included, as a rule.
inline bool modeAllowsWriting(mode_t mode) { return (mode & 0222) != 0; }
/// False when the mode bits of the file at `path` allow nobody to write it.
bool modeAllowsWriting(const QString &path);
/// The same for the open file `fd`; false when its mode cannot be read.
bool modeAllowsWriting(int fd);
/// Throws EDatabaseError naming `what` when the mode of the file at `path` allows no writing
/// (checked from its mode bits, which a process run as root would otherwise ignore).
void checkModeAllowsWriting(const QString &path, const QString &what);

/// Writes as `writeAt` does, saving first what the write overwrites in `journal` when one is given.
void writeAt(int fd, const void *buffer, size_t length, off_t offset, const QString &what, WriteJournal *journal);

/// An owned file descriptor, closed on destruction.
class FileHandle
{
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : m_fd(fd) {}
    FileHandle(FileHandle &&other) noexcept : m_fd(other.release()) {}
    FileHandle &operator=(FileHandle &&other) noexcept;
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;
    ~FileHandle();

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd = -1;
};

/// Opens `path` for reading and writing, or for reading only where writing is not allowed or
/// its mode bits allow nobody to write (also for root); `writable` tells which.
/// Throws EDatabaseError when neither works.
FileHandle openTableFile(const QString &path, bool &writable, const QString &what);

} // namespace db::io
