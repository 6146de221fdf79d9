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

/// Puts the files of the table at `path` back as they were before a change that a killed
/// process left unfinished (its journal file is still beside the table), unless a program
/// is changing the table right now. Throws EDatabaseError when the files cannot be put back.
void RecoverInterruptedChange(const QString &path);

} // namespace db
