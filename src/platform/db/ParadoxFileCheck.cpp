#include "platform/db/ParadoxFileCheck.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/FileIo.h"

#include <vector>

namespace db {
namespace {

// Offsets of the fields of the common file header.
constexpr int kRecordSize = 0x00;
constexpr int kHeaderSize = 0x02;
constexpr int kFileType = 0x04;
constexpr int kMaxTableSize = 0x05;
constexpr int kNumRecords = 0x06;
constexpr int kNextBlock = 0x0A;
constexpr int kFileBlocks = 0x0C;
constexpr int kFirstBlock = 0x0E;
constexpr int kLastBlock = 0x10;
constexpr int kNumFields = 0x21;
constexpr int kEncryption1 = 0x25;
constexpr int kFileVersion = 0x39;
constexpr int kEncryption2 = 0x5C;
constexpr int kCommonHeaderSize = 0x58;
constexpr int kDataHeaderEnd = 0x78;
constexpr int kFieldInfoSize = 2;
constexpr int kBlockHeaderSize = 6;
constexpr uint32_t kEncryptionInDataHeader = 0xFF00FF00;

enum FileType { IndexedTable = 0, PlainTable = 2 };

// The bytes a field of Paradox type `type` takes in a record, given the length byte of its
// description; 0 for an unknown type or a length the type cannot have.
int storedLength(int type, int length)
{
    switch (type) {
    case 0x01: case 0x18: return length; // alpha, bytes
    case 0x02: case 0x04: case 0x14: case 0x16: return length == 4 ? 4 : 0; // date, long, time, autoinc
    case 0x03: return length == 2 ? 2 : 0; // short
    case 0x05: case 0x06: case 0x15: return length == 8 ? 8 : 0; // currency, number, timestamp
    case 0x09: return length == 1 ? 1 : 0; // logical
    case 0x0C: case 0x0D: case 0x0E: case 0x0F: case 0x10: return length >= 10 ? length : 0; // blobs: a 10-byte reference
    case 0x17: return length <= 32 ? 17 : 0; // BCD: the length byte holds the decimals
    default: return 0;
    }
}

class HeaderCheck
{
public:
    HeaderCheck(int fd, const QString &what) : m_fd(fd), m_what(what) {}

    void run()
    {
        const off_t size = io::fileSize(m_fd, m_what);
        if (size < kCommonHeaderSize)
            fail(QStringLiteral("the file is shorter than a Paradox header"));
        unsigned char head[kDataHeaderEnd] = {};
        io::readAt(m_fd, head, sizeof head, 0, m_what);

        const int fileType = head[kFileType];
        if (fileType != IndexedTable && fileType != PlainTable)
            fail(QStringLiteral("the file is no Paradox data table (file type %1)").arg(fileType));
        const int version = head[kFileVersion];
        if (version < 3 || version > 12)
            fail(QStringLiteral("unknown file version %1").arg(version));
        // Tables of version 4 and later have a second header part before the field list.
        const bool dataHeader = version >= 5;
        if (dataHeader && size < kDataHeaderEnd)
            fail(QStringLiteral("the file is shorter than a Paradox header"));
        m_fieldInfoOffset = dataHeader ? kDataHeaderEnd : kCommonHeaderSize;
        checkEncryption(head, dataHeader);

        const int recordSize = io::le16(head + kRecordSize);
        const int headerSize = io::le16(head + kHeaderSize);
        const int blockKilobytes = head[kMaxTableSize];
        const int fieldCount = int(int16_t(io::le16(head + kNumFields)));
        if (blockKilobytes < 1 || blockKilobytes > 32)
            fail(QStringLiteral("invalid block size %1 KB").arg(blockKilobytes));
        m_blockSize = blockKilobytes * 1024;
        if (fieldCount < 1 || fieldCount > 255)
            fail(QStringLiteral("invalid field count %1").arg(fieldCount));
        if (headerSize < m_fieldInfoOffset + fieldCount * kFieldInfoSize || off_t(headerSize) > size)
            fail(QStringLiteral("invalid header size %1").arg(headerSize));
        if (recordSize < 1 || recordSize > m_blockSize - kBlockHeaderSize)
            fail(QStringLiteral("invalid record size %1").arg(recordSize));
        m_headerSize = headerSize;
        m_recordSize = recordSize;
        checkFieldSizes(fieldCount);
        checkBlocks(head, size);
    }

private:
    [[noreturn]] void fail(const QString &problem) const
    {
        throw EDatabaseError(QStringLiteral("%1 is damaged: %2").arg(m_what, problem));
    }

    void checkEncryption(const unsigned char *head, bool dataHeader) const
    {
        uint32_t encryption = io::le32(head + kEncryption1);
        if (encryption == kEncryptionInDataHeader && dataHeader)
            encryption = io::le32(head + kEncryption2);
        if (encryption != 0)
            throw EDatabaseError(QStringLiteral("%1 is protected by a password and cannot be opened").arg(m_what));
    }

    void checkFieldSizes(int fieldCount) const
    {
        std::vector<unsigned char> infos(size_t(fieldCount) * kFieldInfoSize);
        io::readExactly(m_fd, infos.data(), infos.size(), m_fieldInfoOffset, m_what);
        int total = 0;
        for (int i = 0; i < fieldCount; ++i) {
            const int type = infos[size_t(i) * 2];
            const int length = infos[size_t(i) * 2 + 1];
            const int stored = storedLength(type, length);
            if (stored == 0)
                fail(QStringLiteral("field %1 has the type %2 with the length %3").arg(i + 1).arg(type).arg(length));
            total += stored;
        }
        if (total != m_recordSize)
            fail(QStringLiteral("the fields need %1 bytes but a record has %2").arg(total).arg(m_recordSize));
    }

    void checkBlocks(const unsigned char *head, off_t size) const
    {
        const int fileBlocks = io::le16(head + kFileBlocks);
        const int nextBlock = io::le16(head + kNextBlock);
        const int firstBlock = io::le16(head + kFirstBlock);
        const int lastBlock = io::le16(head + kLastBlock);
        const uint32_t records = io::le32(head + kNumRecords);
        if (off_t(m_headerSize) + off_t(fileBlocks) * m_blockSize > size)
            fail(QStringLiteral("the header counts %1 blocks, the file holds fewer").arg(fileBlocks));
        if (nextBlock > fileBlocks + 1)
            fail(QStringLiteral("invalid next block %1").arg(nextBlock));
        const bool empty = fileBlocks == 0;
        if ((empty && (firstBlock != 0 || lastBlock != 0 || records != 0))
            || (!empty && (firstBlock < 1 || firstBlock > fileBlocks || lastBlock < 1 || lastBlock > fileBlocks)))
            fail(QStringLiteral("invalid first or last block"));
        if (!empty)
            checkChain(fileBlocks, firstBlock, lastBlock, records);
    }

    // Follows the blocks from the first to the last: every block in the file, none twice, and
    // together they hold the records the header counts.
    void checkChain(int fileBlocks, int firstBlock, int lastBlock, uint32_t records) const
    {
        const int perBlock = (m_blockSize - kBlockHeaderSize) / m_recordSize;
        std::vector<bool> seen(size_t(fileBlocks) + 1, false);
        uint64_t counted = 0;
        int previous = 0;
        int block = firstBlock;
        while (true) {
            if (block < 1 || block > fileBlocks || seen[size_t(block)])
                fail(QStringLiteral("the block list is broken at block %1").arg(block));
            seen[size_t(block)] = true;
            unsigned char blockHead[kBlockHeaderSize];
            io::readExactly(m_fd, blockHead, sizeof blockHead, off_t(m_headerSize) + off_t(block - 1) * m_blockSize, m_what);
            const int next = io::le16(blockHead);
            const int prev = io::le16(blockHead + 2);
            const int used = int(int16_t(io::le16(blockHead + 4)));
            const int held = used < 0 ? 0 : used / m_recordSize + 1;
            if (prev != previous || used < -m_recordSize || used % m_recordSize != 0 || held > perBlock)
                fail(QStringLiteral("block %1 has an invalid header").arg(block));
            counted += uint64_t(held);
            if (block == lastBlock) {
                if (next != 0)
                    fail(QStringLiteral("the block list goes on after the last block"));
                break;
            }
            previous = block;
            block = next;
        }
        if (counted != records)
            fail(QStringLiteral("the header counts %1 records, the blocks hold %2").arg(records).arg(counted));
    }

    int m_fd;
    const QString &m_what;
    int m_fieldInfoOffset = 0;
    int m_blockSize = 0;
    int m_headerSize = 0;
    int m_recordSize = 0;
};

} // namespace

void CheckParadoxFile(int fd, const QString &what) { HeaderCheck(fd, what).run(); }

} // namespace db
