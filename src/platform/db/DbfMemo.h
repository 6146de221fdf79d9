#pragma once
// The memo file (.dbt) of a dBASE table: texts stored in blocks, addressed by block number.
// Reads the dBASE III layout (text ended by 0x1A) and the dBASE IV layout (blocks that start
// with FF FF 08 00 and a length) with the block size its header gives; writes in the layout the
// file already has, always into fresh blocks at its end.

#include "platform/db/FileIo.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace db {

class DbfMemo
{
public:
    enum class Layout { DBase3, DBase4 };

    /// Takes over `fd`. `layout` follows the table's version byte. Throws on a bad header.
    DbfMemo(io::FileHandle fd, bool writable, Layout layout, QString what);

    /// Writes an empty memo file in the dBASE III layout (512-byte blocks).
    static QByteArray emptyFile();

    /// The bytes of the memo at `block`; throws when the block lies outside the file.
    QByteArray read(uint32_t block);
    /// Stores `data` in fresh blocks and answers the first block's number.
    uint32_t write(const QByteArray &data);

    int blockSize() const { return m_blockSize; }

private:
    uint32_t nextFreeBlock(off_t size);

    io::FileHandle m_fd;
    bool m_writable;
    Layout m_layout;
    int m_blockSize = 512;
    QString m_what;
};

} // namespace db
