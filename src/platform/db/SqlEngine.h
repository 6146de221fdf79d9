#pragma once
// Runs SQL over the table files of one folder: SQLite executes the statements, and each table a
// statement names is mapped into it as a virtual table over the file for the statement's
// duration. Structure statements go to the layer's own DDL. Values, memory and time are bounded:
// a statement that runs long can be stopped (rtl::TLongWork), with nothing changed.

#include "platform/db/SqlAuthorizer.h"
#include "platform/db/TableLock.h"
#include "platform/db/TableStore.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace rtl {
class TLongWork;
}

namespace db {

struct SqlToken;

/// Named parameter values bound to a statement; names without the colon.
using SqlParams = std::vector<std::pair<QString, QVariant>>;

/// The rows of a SELECT, read completely.
struct SqlResult
{
    struct Column
    {
        FieldDef def;
        int tableField = -1; ///< the field of the live table the column shows; -1 when none
    };
    std::vector<Column> columns;
    /// The rows' values; empty for a result of records (see `byRecord`).
    std::vector<Record> rows;
    /// For a result whose rows are records of one table (a live result, or one that selects
    /// plain fields): the table file and, per row, its record slot in that file.
    QString liveTable;
    std::vector<int> recordSlots;
    /// The rows are records of `liveTable`, read from the file when asked for: every column
    /// is a field of that table (`tableField`) and `rows` stays empty.
    bool byRecord = false;
};

class SqlEngine
{
public:
    /// An engine over `folder` ('' for the current folder); table names without extension get
    /// `defaultExtension`.
    SqlEngine(QString folder, QString defaultExtension);
    ~SqlEngine();
    SqlEngine(const SqlEngine &) = delete;
    SqlEngine &operator=(const SqlEngine &) = delete;

    const QString &folder() const { return m_folder; }

    /// True when `sql` is a statement that returns rows (SELECT, VALUES, WITH ...).
    static bool returnsRows(const QString &sql);

    /// Checks `sql` as far as can be done without running it: its syntax and its tables.
    /// Throws EDatabaseError with the engine's message.
    void check(const QString &sql);
    /// Runs a SELECT and reads all its rows. With `live`, a SELECT of one table without
    /// DISTINCT, grouping or aggregates also reports the record slot of every row.
    SqlResult select(const QString &sql, const SqlParams &params, bool live);
    /// Runs any statement without reading a result; answers the number of rows changed.
    int execute(const QString &sql, const SqlParams &params);

    /// The memory the engine may use (bytes), for the rows of a result and for SQLite's own
    /// work each; by default a quarter of the machine's memory. A statement that needs more
    /// fails with a clear error. Setting it applies to every engine.
    static void setMemoryLimit(qint64 bytes);
    static qint64 memoryLimit();

    struct Statement;
    struct VirtualTable;

private:
    class Run;
    static int progress(void *engine);
    QString failure() const;

    /// Prepares `sql`, locking each table it names with `lock` for the statement's life.
    std::unique_ptr<Statement> prepare(const QString &sql, std::optional<TableLock::Mode> lock);
    std::optional<SqlResult> selectRecords(const QString &sql, const std::vector<SqlToken> &tokens, const SqlParams &params);
    void bind(Statement &statement, const SqlParams &params);

    QString m_folder;
    QString m_defaultExtension;
    sqlite3 *m_db = nullptr;
    std::unique_ptr<SqlAuthorizer> m_authorizer;
    rtl::TLongWork *m_work = nullptr; ///< the statement under way, which the user may stop
};

} // namespace db
