#pragma once
// Advisory locks on table files against other programs: shared while a statement reads a
// table, exclusive while a statement, a store or a write-back changes it. Programs that take no
// locks are not held back. Within this process the locks of one file are counted, not stacked.

#include <QString>

#include <memory>

namespace db {

class TableLock
{
public:
    enum Mode { Shared, Exclusive };

    /// Locks the table file at `path`, waiting a moment while another program holds a lock
    /// that conflicts; throws EDatabaseError naming the table when it stays held.
    TableLock(const QString &path, Mode mode);
    ~TableLock();
    TableLock(const TableLock &) = delete;
    TableLock &operator=(const TableLock &) = delete;

    /// Locks without waiting; false when another program holds a conflicting lock.
    static bool tryLock(const QString &path, Mode mode, std::unique_ptr<TableLock> &lock);

private:
    TableLock(const QString &path, Mode mode, bool wait, bool &locked);

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

} // namespace db
