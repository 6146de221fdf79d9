#include "platform/db/JournalRecovery.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/FileIo.h"
#include "platform/db/JournalFormat.h"
#include "platform/db/TableFiles.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <map>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace db::io {
namespace {

using journal::readLe;

struct Target
{
    QString name;
    off_t original = 0;
    uint64_t device = 0;
    uint64_t inode = 0;
    off_t reached = 0; ///< the length the change made the file at most
};

struct Piece
{
    int file;
    off_t offset;
    qsizetype at; ///< where the bytes are in the journal
    qsizetype length;
    bool written; ///< bytes the change wrote (else bytes it found)
};

struct Parsed
{
    enum State { Empty, Ours, Foreign } state = Ours;
    std::map<int, Target> targets;
    std::vector<Piece> pieces;
};

// A contiguous stretch of one file that pieces cover, with what it holds now and what the
// change found there.
struct Region
{
    off_t start;
    off_t end;
    QByteArray current;
    QByteArray found;
    std::vector<uint8_t> hasFound;
    std::vector<uint8_t> accepted;
};

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

// The names of the table's files in `folder`: the table itself and, beside a dBASE table, the
// memo file it opens (whose name may differ in letter case, but not that of another table's).
QStringList filesOfTable(const QString &folder, const QString &table)
{
    QStringList names{table};
    const QFileInfo info(table);
    if (info.suffix().compare(QStringLiteral("dbf"), Qt::CaseInsensitive) == 0)
        if (const auto memo = findFileIgnoringCase(folder, info.completeBaseName() + QStringLiteral(".dbt")))
            names << QFileInfo(*memo).fileName();
    return names;
}

Parsed parse(const QByteArray &bytes, const QStringList &ownFiles)
{
    Parsed parsed;
    const char *data = bytes.constData();
    const qsizetype size = bytes.size();
    constexpr qsizetype kMagicSize = sizeof journal::kMagic;
    if (size < kMagicSize) {
        // Nothing was overwritten before the journal's first line was complete.
        parsed.state = std::memcmp(data, journal::kMagic, size_t(size)) == 0 ? Parsed::Empty : Parsed::Foreign;
        return parsed;
    }
    if (std::memcmp(data, journal::kMagic, kMagicSize) != 0) {
        parsed.state = Parsed::Foreign;
        return parsed;
    }
    auto foreign = [&parsed] {
        parsed.state = Parsed::Foreign;
        return parsed;
    };
    // An incomplete entry at the end stands for a write that never happened.
    for (qsizetype at = kMagicSize; at < size;) {
        const int file = size - at >= 2 ? int(uint8_t(data[at + 1])) : -1;
        if (data[at] == journal::kFileEntry) {
            if (size - at < journal::kFileEntryHead)
                break;
            const qsizetype nameLength = qsizetype(readLe(data + at + 26, 2));
            if (size - at - journal::kFileEntryHead < nameLength)
                break;
            Target target;
            target.name = QFile::decodeName(QByteArray(data + at + journal::kFileEntryHead, nameLength));
            target.original = off_t(readLe(data + at + 2, 8));
            target.device = readLe(data + at + 10, 8);
            target.inode = readLe(data + at + 18, 8);
            target.reached = target.original;
            if (!ownFiles.contains(target.name) || target.original < 0 || parsed.targets.count(file))
                return foreign();
            parsed.targets[file] = target;
            at += journal::kFileEntryHead + nameLength;
        } else if (data[at] == journal::kSavedEntry || data[at] == journal::kWrittenEntry) {
            if (size - at < journal::kRangeEntryHead)
                break;
            const off_t offset = off_t(readLe(data + at + 2, 8));
            const qsizetype length = qsizetype(readLe(data + at + 10, 4));
            if (size - at - journal::kRangeEntryHead < length)
                break;
            const bool written = data[at] == journal::kWrittenEntry;
            const auto target = parsed.targets.find(file);
            if (target == parsed.targets.end() || offset < 0 || offset > std::numeric_limits<off_t>::max() - off_t(length)
                || (!written && offset + off_t(length) > target->second.original))
                return foreign();
            if (written)
                target->second.reached = std::max(target->second.reached, offset + off_t(length));
            parsed.pieces.push_back({file, offset, at + journal::kRangeEntryHead, length, written});
            at += journal::kRangeEntryHead + length;
        } else {
            return foreign();
        }
    }
    return parsed;
}

// The pieces of one file joined into regions, filled from the file as it is now.
std::vector<Region> regionsOf(int fd, off_t size, const std::vector<const Piece *> &pieces)
{
    std::vector<std::pair<off_t, off_t>> spans;
    for (const Piece *piece : pieces)
        spans.emplace_back(piece->offset, piece->offset + off_t(piece->length));
    std::sort(spans.begin(), spans.end());
    std::vector<Region> regions;
    for (const auto &[start, end] : spans) {
        if (!regions.empty() && start <= regions.back().end)
            regions.back().end = std::max(regions.back().end, end);
        else
            regions.push_back({start, end, {}, {}, {}, {}});
    }
    for (Region &region : regions) {
        const qsizetype length = qsizetype(region.end - region.start);
        region.current = QByteArray(qsizetype(std::clamp<off_t>(size - region.start, 0, length)), '\0');
        if (readAt(fd, region.current.data(), size_t(region.current.size()), region.start, QString()) != size_t(region.current.size()))
            throw EDatabaseError(QString());
        region.found = QByteArray(length, '\0');
        region.hasFound.assign(size_t(length), 0);
        region.accepted.assign(size_t(length), 0);
    }
    return regions;
}

Region &regionOf(std::vector<Region> &regions, off_t offset)
{
    return *std::prev(std::upper_bound(regions.begin(), regions.end(), offset,
                                       [](off_t value, const Region &region) { return value < region.start; }));
}

struct FileCheck
{
    bool unchanged = false; ///< as the change left it
    bool whole = false;     ///< as before the change
    std::vector<Region> regions;
};

// Whether the file still holds, in every byte the change touched, what the change found or
// wrote there, and no more than the change made of it.
FileCheck checkFile(int fd, const Target &target, const std::vector<const Piece *> &pieces, const QByteArray &journal)
{
    FileCheck check;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || uint64_t(info.st_dev) != target.device
        || uint64_t(info.st_ino) != target.inode || info.st_size > target.reached)
        return check;
    check.regions = regionsOf(fd, info.st_size, pieces);
    // Where the change saved a range twice, the first copy holds what it found.
    for (auto piece = pieces.rbegin(); piece != pieces.rend(); ++piece) {
        if ((*piece)->written)
            continue;
        Region &region = regionOf(check.regions, (*piece)->offset);
        const qsizetype from = qsizetype((*piece)->offset - region.start);
        std::memcpy(region.found.data() + from, journal.constData() + (*piece)->at, size_t((*piece)->length));
        std::fill_n(region.hasFound.begin() + from, (*piece)->length, uint8_t(1));
    }
    for (const Piece *piece : pieces) {
        if (!piece->written)
            continue;
        Region &region = regionOf(check.regions, piece->offset);
        const qsizetype from = qsizetype(piece->offset - region.start);
        const qsizetype present = std::clamp<qsizetype>(region.current.size() - from, 0, piece->length);
        const char *wrote = journal.constData() + piece->at;
        for (qsizetype i = 0; i < present; ++i)
            region.accepted[size_t(from + i)] |= uint8_t(region.current[from + i] == wrote[i]);
    }
    check.unchanged = true;
    check.whole = info.st_size == target.original;
    for (Region &region : check.regions) {
        for (qsizetype i = 0; i < qsizetype(region.accepted.size()); ++i) {
            const bool present = i < region.current.size();
            const bool asFound = region.hasFound[size_t(i)] && present && region.current[i] == region.found[i];
            const bool cutAway = !present && region.start + off_t(i) >= target.original;
            check.unchanged = check.unchanged && (region.accepted[size_t(i)] || asFound || cutAway);
            check.whole = check.whole && (!region.hasFound[size_t(i)] || asFound);
        }
    }
    return check;
}

bool writeBack(int fd, const Target &target, const FileCheck &check)
{
    for (const Region &region : check.regions) {
        qsizetype i = 0;
        const qsizetype length = qsizetype(region.hasFound.size());
        while (i < length) {
            const auto differs = [&](qsizetype k) {
                return region.hasFound[size_t(k)] && (k >= region.current.size() || region.current[k] != region.found[k]);
            };
            if (!differs(i)) {
                ++i;
                continue;
            }
            qsizetype end = i + 1;
            while (end < length && differs(end))
                ++end;
            try {
                writeAt(fd, region.found.constData() + i, size_t(end - i), region.start + off_t(i), QString());
            } catch (const EDatabaseError &) {
                return false;
            }
            i = end;
        }
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || (info.st_size != target.original && ::ftruncate(fd, target.original) != 0))
        return false;
    return ::fdatasync(fd) == 0 || errno == EINVAL;
}

void syncFolderOf(const QString &path)
{
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Renames the journal to the first free name of `<journal>-kept`, `-kept2`, ...; empty when
// it cannot be renamed.
QString setAside(const QString &journalPath)
{
    const QByteArray from = QFile::encodeName(journalPath);
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const QString name = journalPath + QStringLiteral("-kept") + (attempt > 1 ? QString::number(attempt) : QString());
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, QFile::encodeName(name).constData(), RENAME_NOREPLACE) == 0) {
            syncFolderOf(journalPath);
            return QFileInfo(name).fileName();
        }
        if (errno != EEXIST)
            return QString();
    }
    return QString();
}

JournalOutcome notPutBack(const QString &journalPath, const QString &reason)
{
    JournalOutcome outcome;
    outcome.reason = reason;
    outcome.keptAs = setAside(journalPath);
    outcome.kind = outcome.keptAs.isEmpty() ? JournalOutcome::LeftAsItStands : JournalOutcome::SetAside;
    return outcome;
}

} // namespace

JournalOutcome RecoverJournal(const QString &journalPath)
{
    const QString folder = QFileInfo(journalPath).absolutePath() + QLatin1Char('/');
    const QString table = QFileInfo(journalPath.chopped(QStringLiteral("-journal").size())).fileName();
    QFile file(journalPath);
    if (!file.open(QIODevice::ReadOnly))
        return {JournalOutcome::LeftAsItStands, QString(), file.errorString()};
    const QByteArray bytes = file.readAll();
    file.close();
    const Parsed parsed = parse(bytes, filesOfTable(folder, table));
    if (parsed.state == Parsed::Foreign)
        return notPutBack(journalPath, QStringLiteral("its journal was not written for it by this version"));

    std::map<int, FileHandle> handles;
    std::map<int, FileCheck> checks;
    bool whole = true;
    try {
        for (const auto &[index, target] : parsed.targets) {
            FileHandle fd(::open(QFile::encodeName(folder + target.name).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
            std::vector<const Piece *> pieces;
            for (const Piece &piece : parsed.pieces)
                if (piece.file == index)
                    pieces.push_back(&piece);
            if (!fd.valid() || !(checks[index] = checkFile(fd.get(), target, pieces, bytes)).unchanged)
                return notPutBack(journalPath, QStringLiteral("it was changed since"));
            whole = whole && checks[index].whole;
            handles[index] = std::move(fd);
        }
    } catch (const EDatabaseError &) {
        return notPutBack(journalPath, QStringLiteral("it could not be read"));
    }
    JournalOutcome outcome{whole ? JournalOutcome::AlreadyWhole : JournalOutcome::RolledBack, QString(), QString()};
    if (!whole) {
        for (const auto &[index, target] : parsed.targets) {
            FileHandle fd(::open(QFile::encodeName(folder + target.name).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
            if (!fd.valid() || !io::modeAllowsWriting(fd.get()))
                return {JournalOutcome::LeftAsItStands, QString(), QStringLiteral("it cannot be written")};
            if (!writeBack(fd.get(), target, checks[index]))
                return {JournalOutcome::LeftAsItStands, QString(), QStringLiteral("it could not be written: %1").arg(systemError())};
        }
    }
    // A journal that cannot go (a read-only folder) finds the files whole next time.
    if (::unlink(QFile::encodeName(journalPath).constData()) == 0)
        syncFolderOf(journalPath);
    return outcome;
}

} // namespace db::io
