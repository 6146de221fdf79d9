#pragma once
// The layout of a journal file (io::WriteJournal writes it, RecoverJournal reads it): a magic
// line, then entries, each complete on disk before the write it stands for is made.

#include <cstdint>

namespace db::io::journal {

constexpr char kMagic[8] = {'Q', 'J', 'O', 'U', 'R', 'N', '2', '\n'};
/// Journals of earlier versions: they hold no sign of what their change wrote.
constexpr char kEarlierMagic[8] = {'Q', 'J', 'O', 'U', 'R', 'N', '1', '\n'};

/// A file of the change: index (1), length before the change (8), device (8), inode (8),
/// name length (2), the name within the journal's folder.
constexpr char kFileEntry = 'F';
constexpr int kFileEntryHead = 28;
/// A range before the change overwrote it: file index (1), offset (8), length (4), the bytes.
constexpr char kSavedEntry = 'R';
/// A range the change wrote: file index (1), offset (8), length (4), the bytes written.
constexpr char kWrittenEntry = 'W';
constexpr int kRangeEntryHead = 14;

inline uint64_t readLe(const char *p, int bytes)
{
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= uint64_t(uint8_t(p[i])) << (8 * i);
    return value;
}

} // namespace db::io::journal
