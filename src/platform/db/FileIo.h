#pragma once
// Small positioned-I/O helpers over POSIX descriptors that report failures as EDatabaseError.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <set>
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
/// when a later write of the change fails (a full disk, a file size limit).
class WriteJournal
{
public:
    /// Keeps what a write of `length` bytes at `offset` of `fd` is about to overwrite.
    void save(int fd, off_t offset, size_t length, const QString &what);
    /// Writes `length` bytes at `offset` after saving what they overwrite.
    void write(int fd, const void *buffer, size_t length, off_t offset, const QString &what);
    /// Puts every file back as it was before the first write; false when that failed too.
    bool restore() noexcept;

private:
    struct Saved
    {
        int fd;
        off_t offset;
        QByteArray bytes;
    };
    off_t originalSize(int fd, const QString &what);

    std::vector<std::pair<int, off_t>> m_sizes;
    std::vector<Saved> m_saved;
    std::set<std::tuple<int, off_t, size_t>> m_savedRanges;
};

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

/// Opens `path` for reading and writing, or for reading only where writing is not allowed;
/// `writable` tells which. Throws EDatabaseError when neither works.
FileHandle openTableFile(const QString &path, bool &writable, const QString &what);

} // namespace db::io
