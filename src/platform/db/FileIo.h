#pragma once
// Small positioned-I/O helpers over POSIX descriptors that report failures as EDatabaseError.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

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
