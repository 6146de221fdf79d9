#pragma once
// The memo file (.dbt) of a dBASE table: texts stored in blocks, addressed by block number.
// Reads the dBASE III layout (text ended by 0x1A) and the dBASE IV layout (blocks that start
// with FF FF 08 00 and a length) with the block size its header gives; writes in the layout the
// file already has: a rewritten text goes back into its old blocks when it fits them, else into
// fresh blocks at the end.

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
    /// Stores `data` and answers its first block's number: in the blocks of the memo at
    /// `oldBlock` (0: none) when it fits them, else in fresh blocks.
    uint32_t write(const QByteArray &data, uint32_t oldBlock = 0);
    /// Writes from now on save what they overwrite in `journal` (nullptr: no longer).
    void setJournal(io::WriteJournal *journal) { m_journal = journal; }

    int blockSize() const { return m_blockSize; }
    int descriptor() const { return m_fd.get(); }

private:
    uint32_t nextFreeBlock(off_t size);
    /// The blocks the memo at `block` surely occupies; 0 when it is no memo this file holds.
    uint32_t blocksHeld(uint32_t block, uint32_t nextFree);
    void put(const void *bytes, size_t length, off_t offset);

    io::FileHandle m_fd;
    bool m_writable;
    Layout m_layout;
    int m_blockSize = 512;
    QString m_what;
    io::WriteJournal *m_journal = nullptr;
};

} // namespace db
