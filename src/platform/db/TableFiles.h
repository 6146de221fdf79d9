#pragma once
// Where table files live: names resolved inside a database folder without regard to letter
// case, the files that belong to a table, and which tables are in use by open datasets.

#include <QString>
#include <QStringList>

#include <optional>

namespace db {

/// The path of the entry of `folder` named `name`: the exact name when it exists, else the
/// first entry whose name differs only in letter case; nothing when there is none.
std::optional<QString> findFileIgnoringCase(const QString &folder, const QString &name);

/// One name for a table's file however a statement spelled its path: the canonical path, or
/// the absolute one of a file that does not exist yet.
QString tableFileKey(const QString &path);

/// A table name as the program writes it, resolved against a database folder.
struct TablePath
{
    QString path;   ///< absolute path of the table file (the existing file when found)
    bool exists = false;
    bool paradox = false; ///< ".db" table
};

/// Resolves `name` (a bare file name, a relative or a full path) against `folder` ('' for the
/// current folder). A name without extension gets `defaultExtension` (".dbf" or ".db").
TablePath resolveTable(const QString &folder, const QString &name, const QString &defaultExtension = QStringLiteral(".dbf"));

/// The files of the table at `path` that exist: the table and its memo, blob or index files.
QStringList tableFiles(const QString &path);

/// Marks a table as opened by a dataset for as long as the object lives; structure changes
/// and drops of a table in use are refused.
class TableInUse
{
public:
    explicit TableInUse(QString path);
    ~TableInUse();
    TableInUse(const TableInUse &) = delete;
    TableInUse &operator=(const TableInUse &) = delete;

    static bool isInUse(const QString &path);

private:
    QString m_key;
};

} // namespace db
