#pragma once
// What happens to the journal file a killed change left beside a table: the files go back as
// they were only while they are still exactly as the change left them.

#include <QString>

namespace db::io {

struct JournalOutcome
{
    enum Kind {
        RolledBack,    ///< the files are back as they were before the change
        AlreadyWhole,  ///< the files were as before the change already
        SetAside,      ///< the files were changed since (or the journal is not ours): untouched
        LeftAsItStands ///< the files could not be put back nor the journal set aside
    };
    Kind kind = RolledBack;
    QString keptAs; ///< SetAside: the journal's new name, in its folder
    QString reason; ///< SetAside, LeftAsItStands: why nothing was put back
};

/// Deals with the journal file at `journalPath` (`<table file>-journal`) of a change that no
/// process carries on: puts the table's files (the table and its memo file, which must be the
/// very files of the change, no longer than it made them, each range holding what the change
/// found or wrote there) back as they were and removes the journal; otherwise touches no file
/// but renames the journal to `<journal>-kept` (or `-kept2`, ...). A table whose mode denies
/// writing is not put back. Answers what it did; never throws.
JournalOutcome RecoverJournal(const QString &journalPath);

} // namespace db::io
