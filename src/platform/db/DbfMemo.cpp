#include "platform/db/DbfMemo.h"

#include "platform/db/DatabaseError.h"

#include <algorithm>

namespace db {
namespace {

constexpr int kHeaderSize = 512;
constexpr unsigned char kDBase4Signature[4] = {0xFF, 0xFF, 0x08, 0x00};

// A text memo ends at its first end-of-text mark; dBASE IV writers use either.
qsizetype textEnd(const QByteArray &data)
{
    for (qsizetype i = 0; i < data.size(); ++i)
        if (data[i] == '\x1A' || data[i] == '\x1F')
            return i;
    return data.size();
}

} // namespace

DbfMemo::DbfMemo(io::FileHandle fd, bool writable, Layout layout, QString what)
    : m_fd(std::move(fd)), m_writable(writable), m_layout(layout), m_what(std::move(what))
{
    unsigned char header[24] = {};
    io::readExactly(m_fd.get(), header, sizeof header, 0, m_what);
    if (m_layout == Layout::DBase4) {
        const int size = io::le16(header + 20);
        if (size != 0) {
            if (size < 32)
                throw EDatabaseError(QStringLiteral("%1 has an invalid block size %2").arg(m_what).arg(size));
            m_blockSize = size;
        }
    }
}

QByteArray DbfMemo::emptyFile()
{
    QByteArray file(kHeaderSize, '\0');
    io::putLe32(reinterpret_cast<unsigned char *>(file.data()), 1);
    return file;
}

QByteArray DbfMemo::read(uint32_t block)
{
    const off_t size = io::fileSize(m_fd.get(), m_what);
    const off_t start = off_t(block) * m_blockSize;
    if (block == 0 || start >= size)
        throw EDatabaseError(QStringLiteral("%1: memo block %2 lies outside the file").arg(m_what).arg(block));

    unsigned char head[8] = {};
    const size_t headLength = io::readAt(m_fd.get(), head, sizeof head, start, m_what);
    if (headLength == sizeof head && std::equal(head, head + 4, kDBase4Signature)) {
        const uint32_t length = io::le32(head + 4);
        if (length < 8 || off_t(length) > size - start)
            throw EDatabaseError(QStringLiteral("%1: memo at block %2 has an invalid length").arg(m_what).arg(block));
        QByteArray data(qsizetype(length - 8), '\0');
        io::readExactly(m_fd.get(), data.data(), size_t(data.size()), start + 8, m_what);
        data.truncate(textEnd(data));
        return data;
    }

    // dBASE III: text up to the end mark, at most up to the end of the file.
    QByteArray data;
    off_t offset = start;
    while (offset < size) {
        const qsizetype chunk = qsizetype(std::min<off_t>(4096, size - offset));
        const qsizetype old = data.size();
        data.resize(old + chunk);
        io::readExactly(m_fd.get(), data.data() + old, size_t(chunk), offset, m_what);
        offset += chunk;
        const qsizetype end = data.indexOf('\x1A', old);
        if (end >= 0) {
            data.truncate(end);
            return data;
        }
    }
    return data;
}

uint32_t DbfMemo::nextFreeBlock(off_t size)
{
    unsigned char header[4];
    io::readExactly(m_fd.get(), header, sizeof header, 0, m_what);
    const uint32_t recorded = io::le32(header);
    // Never trust a pointer that would overwrite blocks already in the file.
    const off_t used = (size + m_blockSize - 1) / m_blockSize;
    const off_t next = std::max<off_t>({off_t(recorded), used, 1});
    if (next > off_t(UINT32_MAX) / 2)
        throw EDatabaseError(QStringLiteral("%1 is full").arg(m_what));
    return uint32_t(next);
}

uint32_t DbfMemo::blocksHeld(uint32_t block, uint32_t nextFree)
{
    if (block == 0 || block >= nextFree)
        return 0;
    const off_t start = off_t(block) * m_blockSize;
    unsigned char head[8] = {};
    const size_t headLength = io::readAt(m_fd.get(), head, sizeof head, start, m_what);
    qint64 bytes = 0;
    if (m_layout == Layout::DBase4) {
        if (headLength != sizeof head || !std::equal(head, head + 4, kDBase4Signature))
            return 0;
        bytes = io::le32(head + 4);
    } else {
        try {
            bytes = read(block).size() + 1; // the text and at least one end mark
        } catch (const EDatabaseError &) {
            return 0; // a damaged reference: the text goes to fresh blocks
        }
    }
    const qint64 blocks = (bytes + m_blockSize - 1) / m_blockSize;
    return uint32_t(std::min<qint64>(blocks, nextFree - block));
}

void DbfMemo::put(const void *bytes, size_t length, off_t offset)
{
    io::writeAt(m_fd.get(), bytes, length, offset, m_what, m_journal);
}

uint32_t DbfMemo::write(const QByteArray &data, uint32_t oldBlock)
{
    if (!m_writable)
        throw EDatabaseError(QStringLiteral("%1 is read-only").arg(m_what));
    const off_t size = io::fileSize(m_fd.get(), m_what);
    const uint32_t nextFree = nextFreeBlock(size);

    QByteArray bytes;
    if (m_layout == Layout::DBase4) {
        bytes.append(reinterpret_cast<const char *>(kDBase4Signature), 4);
        bytes.append(4, '\0');
        io::putLe32(reinterpret_cast<unsigned char *>(bytes.data()) + 4, uint32_t(data.size() + 8));
        bytes.append(data);
    } else {
        bytes = data;
        bytes.append("\x1A\x1A", 2);
    }
    const qsizetype padded = (bytes.size() + m_blockSize - 1) / m_blockSize * m_blockSize;
    bytes.append(padded - bytes.size(), '\0');
    const uint32_t needed = uint32_t(padded / m_blockSize);

    if (oldBlock != 0 && needed <= blocksHeld(oldBlock, nextFree)) {
        put(bytes.constData(), size_t(bytes.size()), off_t(oldBlock) * m_blockSize);
        return oldBlock;
    }
    // The blocks are complete before the header hands them out.
    put(bytes.constData(), size_t(bytes.size()), off_t(nextFree) * m_blockSize);
    unsigned char next[4];
    io::putLe32(next, nextFree + needed);
    put(next, sizeof next, 0);
    return nextFree;
}

} // namespace db
