#pragma once
// The entry points of the tool windows that the main window opens but does not build: the import
// and edit window and the SQL command window live in the import library, which builds on this
// one. The program's main block hands them to the main window (TFormQuibo::SetToolWindows);
// a command whose entry point is not set does nothing.

#include <QString>

#include <functional>
#include <optional>

struct TToolWindows
{
    /// "Import / edit data": the import window, modal, with TableName (the open table, '' when
    /// none) as the target of "Store in DB". Answers the file the window last read or saved
    /// ('' when none), or nothing when no modal session took place because the window was
    /// already shown (it is brought to the front instead).
    std::function<std::optional<QString>(const QString &TableName)> ImportEditData;
    /// "Import Talnex": runs the import into the import window, which stays shown; TargetTable is
    /// the open file ('' when none). Answers the history text, '' when the user stopped it.
    std::function<QString(const QString &TargetTable)> ImportTalnex;
    /// "SQL command": the SQL window on the database DatabaseName with the table TableFile of
    /// Folder (ending with its separator); runs the typed statement when closed with OK.
    std::function<void(const QString &DatabaseName, const QString &Folder, const QString &TableFile)> SqlCommand;
};
