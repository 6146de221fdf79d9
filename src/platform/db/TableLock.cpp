#include "platform/db/TableLock.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/FileIo.h"
#include "platform/db/JournalRecovery.h"
#include "platform/db/TableFiles.h"

#include "platform/rtl/Warnings.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace db {
namespace {

constexpr auto kRetryPause = std::chrono::milliseconds(20);
constexpr int kRetries = 75; // about a second and a half

struct Held
{
    int fd = -1;
    bool borrowed = false; ///< the descriptor of an OpenTableFile, not this registry's own
    int shared = 0;
    int exclusive = 0;
};

QHash<QString, Held> &heldLocks()
{
    static QHash<QString, Held> locks;
    return locks;
}

// flock() with retries; false when the lock stayed taken by another program.
bool lockFile(int fd, int operation, bool wait)
{
    for (int attempt = 0;; ++attempt) {
        if (::flock(fd, operation | LOCK_NB) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            throw EDatabaseError(QStringLiteral("Cannot lock the table: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
        if (!wait || attempt >= kRetries)
            return false;
        std::this_thread::sleep_for(kRetryPause);
    }
}

bool sameFile(int fd, const char *path)
{
    struct stat opened;
    struct stat named;
    return ::fstat(fd, &opened) == 0 && ::stat(path, &named) == 0 && opened.st_dev == named.st_dev
           && opened.st_ino == named.st_ino;
}

// Locks the descriptor `file` keeps open; false when another program keeps the file. `fd` is
// the descriptor, or -1 when the path names another file now (the lock is given up then).
bool lockOpenFile(const OpenTableFile &file, TableLock::Mode mode, bool wait, int &fd)
{
    fd = -1;
    if (file.inode == 0) // the descriptor could not be examined
        return true;
    if (!lockFile(file.descriptor, mode == TableLock::Exclusive ? LOCK_EX : LOCK_SH, wait))
        return false;
    struct stat named;
    if (::stat(file.encodedPath.constData(), &named) == 0 && uint64_t(named.st_dev) == file.device && uint64_t(named.st_ino) == file.inode)
        fd = file.descriptor;
    else
        ::flock(file.descriptor, LOCK_UN);
    return true;
}

// The table file opened and locked; -1 when another program keeps it. A file that was
// replaced while this process waited for it (a structure statement renames a new file into
// place) is opened again, so that the lock is on the file the name now stands for.
int lockedFile(const QString &path, TableLock::Mode mode, bool wait)
{
    for (;;) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            throw EDatabaseError(QStringLiteral("Cannot open table %1: %2")
                                     .arg(QFileInfo(path).fileName(), QString::fromLocal8Bit(std::strerror(errno))));
        if (!lockFile(fd, mode == TableLock::Exclusive ? LOCK_EX : LOCK_SH, wait)) {
            ::close(fd);
            return -1;
        }
        if (sameFile(fd, QFile::encodeName(path).constData()))
            return fd;
        ::close(fd);
    }
}

// A second lock may outlive the first and the descriptor it borrowed: the registry takes a
// descriptor of its own, of the same open file and so holding the same lock.
void keepOwnDescriptor(const QString &key, Held &held)
{
    const int fd = ::fcntl(held.fd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        throw EDatabaseError(QStringLiteral("Cannot lock the table: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    held.fd = fd;
    held.borrowed = false;
    heldLocks().insert(key, held);
}

QString lockedText(const QString &path)
{
    return QStringLiteral("Table %1 is in use by another program; try again when it has finished")
        .arg(QFileInfo(path).fileName());
}

} // namespace

TableLock::TableLock(const QString &path, Mode mode) : TableLock(path, mode, true, m_held)
{
    if (!m_held)
        throw EDatabaseError(lockedText(path));
}

TableLock::TableLock(const OpenTableFile &file, Mode mode) : m_key(file.key), m_mode(mode)
{
    lock(file.path, &file, true, m_held);
    if (!m_held)
        throw EDatabaseError(lockedText(file.path));
}

TableLock::TableLock(const QString &path, Mode mode, bool wait, bool &locked) : m_key(tableFileKey(path)), m_mode(mode)
{
    lock(path, nullptr, wait, locked);
}

OpenTableFile::OpenTableFile(const QString &path, int descriptor)
    : path(path), key(tableFileKey(path)), journal(io::journalPathFor(path)), encodedPath(QFile::encodeName(path)),
      encodedJournal(QFile::encodeName(journal)), descriptor(descriptor)
{
    struct stat opened;
    if (::fstat(descriptor, &opened) == 0) {
        device = uint64_t(opened.st_dev);
        inode = uint64_t(opened.st_ino);
    }
}

void TableLock::lock(const QString &path, const OpenTableFile *file, bool wait, bool &locked)
{
    locked = false;
    auto &locks = heldLocks();
    Held held = locks.value(m_key);
    if (held.fd < 0) {
        if (file && !lockOpenFile(*file, m_mode, wait, held.fd))
            return;
        held.borrowed = held.fd >= 0;
        if (held.fd < 0 && (held.fd = lockedFile(path, m_mode, wait)) < 0)
            return;
    } else {
        if (held.borrowed)
            keepOwnDescriptor(m_key, held);
        if (m_mode == Exclusive && held.exclusive == 0 && !lockFile(held.fd, LOCK_EX, wait)) {
            // A refused conversion gives up the shared lock this process held: take it again.
            lockFile(held.fd, LOCK_SH, true);
            return;
        }
    }
    ++(m_mode == Exclusive ? held.exclusive : held.shared);
    locks.insert(m_key, held);
    locked = true;
}

TableLock::~TableLock()
{
    if (!m_held)
        return;
    auto &locks = heldLocks();
    Held &held = locks[m_key];
    --(m_mode == Exclusive ? held.exclusive : held.shared);
    if (held.exclusive + held.shared == 0) {
        // The lock belongs to the open file, which a descriptor of a store may keep open.
        ::flock(held.fd, LOCK_UN);
        if (!held.borrowed)
            ::close(held.fd);
        locks.remove(m_key);
    } else if (held.exclusive == 0 && m_mode == Exclusive) {
        ::flock(held.fd, LOCK_SH);
    }
}

bool TableLock::tryLock(const QString &path, Mode mode, std::unique_ptr<TableLock> &lock)
{
    bool locked = false;
    std::unique_ptr<TableLock> taken(new TableLock(path, mode, false, locked));
    taken->m_held = locked;
    if (locked)
        lock = std::move(taken);
    return locked;
}

namespace {

void tellWhatBecameOfTheJournal(const QString &path, const io::JournalOutcome &outcome)
{
    const QString table = QFileInfo(path).fileName();
    if (outcome.kind == io::JournalOutcome::SetAside) {
        rtl::ShowWarning(rtl::WarningKind::Warning,
                         QStringLiteral("Table %1 may hold a half-done change: a statement that was interrupted could not "
                                        "be taken back, because %2. Its journal was kept as %3.")
                             .arg(table, outcome.reason, outcome.keptAs));
        return;
    }
    // Said once per run: the table is read as it stands every time it is opened.
    static QSet<QString> told;
    if (outcome.kind != io::JournalOutcome::LeftAsItStands || told.contains(path))
        return;
    told.insert(path);
    rtl::ShowWarning(rtl::WarningKind::Warning,
                     QStringLiteral("Table %1 may hold a half-done change: a statement that was interrupted cannot be "
                                    "taken back, because %2. The table is read as it stands and cannot be changed.")
                         .arg(table, outcome.reason));
}

} // namespace

bool RecoverInterruptedChange(const QString &path)
{
    const QString journal = io::journalPathFor(path);
    if (io::isJournalOfThisProcess(journal) || !QFileInfo::exists(journal))
        return true;
    // A program that holds the table is in the middle of the change the journal belongs to.
    std::unique_ptr<TableLock> lock;
    if (!TableLock::tryLock(path, TableLock::Exclusive, lock))
        return false;
    if (!QFileInfo::exists(journal))
        return true;
    tellWhatBecameOfTheJournal(path, io::RecoverJournal(journal));
    return !QFileInfo::exists(journal);
}

namespace {

// After the lock is taken: deals with a journal another change left (`found`), or throws.
void dealWithLeftoverJournal(const QString &path, bool found, bool *journalFound)
{
    if (found && !RecoverInterruptedChange(path))
        throw EDatabaseError(QStringLiteral("Table %1 cannot be changed: the journal of an interrupted change lies beside it "
                                            "and cannot be dealt with")
                                 .arg(QFileInfo(path).fileName()));
    if (journalFound)
        *journalFound = found;
}

} // namespace

std::unique_ptr<TableLock> LockForWriting(const QString &path, bool *journalFound)
{
    auto lock = std::make_unique<TableLock>(path, TableLock::Exclusive);
    const QString journal = io::journalPathFor(path);
    dealWithLeftoverJournal(path, !io::isJournalOfThisProcess(journal) && QFileInfo::exists(journal), journalFound);
    return lock;
}

std::unique_ptr<TableLock> LockForWriting(const OpenTableFile &file, bool *journalFound)
{
    auto lock = std::make_unique<TableLock>(file, TableLock::Exclusive);
    const bool found = ::access(file.encodedJournal.constData(), F_OK) == 0 && !io::isJournalOfThisProcess(file.journal);
    dealWithLeftoverJournal(file.path, found, journalFound);
    return lock;
}

} // namespace db
