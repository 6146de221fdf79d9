#pragma once
// Advisory locks on table files against other programs: shared while a statement reads a
// table, exclusive while a statement, a store or a write-back changes it. Programs that take no
// locks are not held back. Within this process the locks of one file are counted, not stacked.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

namespace db {

/// A table file a store keeps open, with the names its locks need worked out once: the many
/// single writes of a dataset take the lock through it without opening the file each time.
struct OpenTableFile
{
    /// `descriptor` must stay open for as long as locks are taken through this object.
    OpenTableFile(const QString &path, int descriptor);

    QString path;
    QString key;     ///< tableFileKey(path)
    QString journal; ///< io::journalPathFor(path)
    QByteArray encodedPath;
    QByteArray encodedJournal;
    int descriptor;
    uint64_t device = 0; ///< of the file `descriptor` has open
    uint64_t inode = 0;
};

class TableLock
{
public:
    enum Mode { Shared, Exclusive };

    /// Locks the table file at `path`, waiting a moment while another program holds a lock
    /// that conflicts; throws EDatabaseError naming the table when it stays held.
    TableLock(const QString &path, Mode mode);
    /// Locks as above, through the descriptor `file` holds when this process holds no lock of
    /// the file yet and `file.path` still names the file it has open. The lock must be given
    /// up before the descriptor is closed.
    TableLock(const OpenTableFile &file, Mode mode);
    ~TableLock();
    TableLock(const TableLock &) = delete;
    TableLock &operator=(const TableLock &) = delete;

    /// Locks without waiting; false when another program holds a conflicting lock.
    static bool tryLock(const QString &path, Mode mode, std::unique_ptr<TableLock> &lock);

private:
    TableLock(const QString &path, Mode mode, bool wait, bool &locked);
    void lock(const QString &path, const OpenTableFile *file, bool wait, bool &locked);

    QString m_key;
    Mode m_mode;
    bool m_held = false;
};

/// Deals with the journal a killed process left beside the table at `path` (io::RecoverJournal),
/// unless a program is changing the table right now, and tells the user (rtl::ShowWarning)
/// when the table may hold a half-done change. Answers false while a journal of another
/// change stays beside the table.
bool RecoverInterruptedChange(const QString &path);

/// Takes the exclusive lock a write of the table at `path` needs, after which no journal of
/// another change is left beside it; `journalFound` tells whether there was one (the files
/// may have been put back). Throws EDatabaseError when another program holds the table or a
/// journal stays.
std::unique_ptr<TableLock> LockForWriting(const QString &path, bool *journalFound = nullptr);
/// LockForWriting through the descriptor of a table file a store keeps open: the lock of
/// each single post or delete.
std::unique_ptr<TableLock> LockForWriting(const OpenTableFile &file, bool *journalFound = nullptr);

} // namespace db
