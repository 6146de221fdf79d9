// Seed inputs of the journal fuzz target: journals as a change of the table and its memo file
// leaves them when killed at various points, and journals of earlier versions.

#include "FuzzSeeds.h"
#include "JournalTable.h"

#include "platform/db/JournalFormat.h"

#include <cstdint>
#include <cstdlib>

namespace {

namespace journal = db::io::journal;

QByteArray littleEndian(uint64_t value, int bytes)
{
    QByteArray result(bytes, '\0');
    for (int i = 0; i < bytes; ++i)
        result[i] = char(uint8_t(value >> (8 * i)));
    return result;
}

QByteArray fileEntry(int index, qsizetype length, const char *device, const char *inode, const QByteArray &name)
{
    return journal::kFileEntry + littleEndian(uint64_t(index), 1) + littleEndian(uint64_t(length), 8) + QByteArray(device, 8)
           + QByteArray(inode, 8) + littleEndian(uint64_t(name.size()), 2) + name;
}

QByteArray rangeEntry(char kind, int index, qsizetype offset, const QByteArray &bytes)
{
    return kind + littleEndian(uint64_t(index), 1) + littleEndian(uint64_t(offset), 8) + littleEndian(uint64_t(bytes.size()), 4) + bytes;
}

} // namespace

std::vector<QByteArray> FuzzSeeds()
{
    const JournalTableFiles &files = JournalTable();
    const QByteArray magic(journal::kMagic, sizeof journal::kMagic);
    const QByteArray table = fileEntry(0, files.table.size(), kTableDevice, kTableInode, "t.dbf");
    const QByteArray memo = fileEntry(1, files.memo.size(), kMemoDevice, kMemoInode, "t.dbt");
    const qsizetype firstRecord = files.table.size() - 2 * 19 - 1;
    // The first record saved, then what the change wrote over it (as the table holds it now).
    const QByteArray saved = rangeEntry(journal::kSavedEntry, 0, firstRecord, " earlier  ");
    const QByteArray written = rangeEntry(journal::kWrittenEntry, 0, firstRecord, files.table.mid(firstRecord, 10));
    const QByteArray memoSaved = rangeEntry(journal::kSavedEntry, 1, 0, files.memo.left(8));
    const QByteArray grown = rangeEntry(journal::kWrittenEntry, 0, files.table.size() - 1, files.table.right(1) + "  new");
    return {
        magic,
        magic.left(5),
        magic + table,
        magic + table + memo + saved + written + memoSaved,
        magic + table + saved + written + grown,
        magic + table + saved + written.left(9),
        // A memo file of another table, named in other letter case.
        magic + fileEntry(0, files.memo.size(), kOtherDevice, kOtherInode, "T.DBT") + rangeEntry(journal::kSavedEntry, 0, 0, "xx")
            + rangeEntry(journal::kWrittenEntry, 0, 0, files.memo.left(2)),
        // Ranges that end beyond the largest file offset.
        magic + table + rangeEntry(journal::kWrittenEntry, 0, INT64_MAX - 4, "beyond"),
        magic + fileEntry(0, INT64_MAX - 2, kTableDevice, kTableInode, "t.dbf") + rangeEntry(journal::kSavedEntry, 0, INT64_MAX - 4, "beyond"),
        QByteArray(journal::kEarlierMagic, sizeof journal::kEarlierMagic) + table + saved,
    };
}
