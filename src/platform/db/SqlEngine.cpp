#include "platform/db/SqlEngine.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/SqlDdl.h"
#include "platform/db/SqlLexer.h"
#include "platform/db/TableFiles.h"
#include "platform/db/ValueConvert.h"
#include "platform/rtl/LongWork.h"

#include <sqlite3.h>

#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QTime>

#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <unistd.h>

namespace db {
namespace {

constexpr const char *kModuleName = "quibo_table";
constexpr int kMaxTablesPerStatement = 64;
// No value of a table comes near it; printf() and zeroblob() of a typo would take gigabytes.
constexpr int kMaxValueBytes = 100'000'000;
// SQLite asks whether to go on after this many of its steps: a few microseconds' work.
constexpr int kStepsBetweenQuestions = 1000;
const QString kNoSuchTable = QStringLiteral("no such table: ");

QString quoteName(const QString &name)
{
    QString escaped = name;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

const char *affinity(TFieldType type)
{
    if (IsNumericType(type))
        return (type == ftFloat || type == ftCurrency || type == ftBCD) ? "REAL" : "INTEGER";
    switch (type) {
    case ftString: case ftFixedChar: case ftWideString: case ftMemo: case ftFmtMemo: return "TEXT";
    case ftDate: return "DATE";
    case ftTime: return "TIME";
    case ftDateTime: return "DATETIME";
    case ftBoolean: return "BOOLEAN";
    case ftBytes: case ftVarBytes: case ftBlob: case ftGraphic: case ftParadoxOle: case ftDBaseOle:
    case ftTypedBinary: return "BLOB";
    default: return "";
    }
}

void resultValue(sqlite3_context *context, const QVariant &value, TFieldType type)
{
    if (value.isNull()) {
        sqlite3_result_null(context);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Double: sqlite3_result_double(context, value.toDouble()); return;
    case QMetaType::LongLong:
    case QMetaType::Int: sqlite3_result_int64(context, value.toLongLong()); return;
    case QMetaType::Bool: sqlite3_result_int(context, value.toBool() ? 1 : 0); return;
    case QMetaType::QDate: {
        const QByteArray text = value.toDate().toString(Qt::ISODate).toUtf8();
        sqlite3_result_text(context, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        return;
    }
    case QMetaType::QTime: {
        const QByteArray text = value.toTime().toString(QStringLiteral("HH:mm:ss")).toUtf8();
        sqlite3_result_text(context, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        return;
    }
    case QMetaType::QDateTime: {
        const QByteArray text = value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
        sqlite3_result_text(context, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        return;
    }
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        sqlite3_result_blob(context, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        return;
    }
    default: {
        (void)type;
        // UTF-16 as it stands: SQLite converts only when a statement asks for UTF-8.
        const QString text = value.toString();
        sqlite3_result_text16(context, text.utf16(), int(text.size() * 2), SQLITE_TRANSIENT);
    }
    }
}

QVariant naturalValue(sqlite3_value *value)
{
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER: return qlonglong(sqlite3_value_int64(value));
    case SQLITE_FLOAT: return sqlite3_value_double(value);
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(value)), sqlite3_value_bytes(value));
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_value_blob(value)), sqlite3_value_bytes(value));
    default: return {};
    }
}

// An SQL value as the field type `type` holds it; text that is no value of the type stays text
// so that the store reports it.
QVariant typedValue(const QVariant &value, TFieldType type)
{
    if (value.isNull())
        return value;
    const bool text = value.typeId() == QMetaType::QString;
    switch (type) {
    case ftString: case ftFixedChar: case ftWideString: case ftMemo: case ftFmtMemo:
        if (value.typeId() == QMetaType::Double)
            return rtl::FloatToStr(value.toDouble());
        return value.toString();
    case ftFloat: case ftCurrency: case ftBCD:
        return text || value.typeId() == QMetaType::LongLong ? value : QVariant(value.toDouble());
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint:
        return value;
    case ftBoolean:
        if (text) {
            const QString word = value.toString().trimmed().toUpper();
            if (word == QLatin1String("TRUE") || word == QLatin1String("T"))
                return true;
            if (word == QLatin1String("FALSE") || word == QLatin1String("F"))
                return false;
            return value;
        }
        return value.toDouble() != 0;
    case ftDate:
        if (text) {
            const QDate date = QDate::fromString(value.toString().left(10), Qt::ISODate);
            return date.isValid() ? QVariant(date) : value;
        }
        return value;
    case ftTime:
        if (text) {
            const QTime time = QTime::fromString(value.toString(), Qt::ISODate);
            return time.isValid() ? QVariant(time) : value;
        }
        return value;
    case ftDateTime:
        if (text) {
            QDateTime stamp = QDateTime::fromString(value.toString(), Qt::ISODate);
            if (!stamp.isValid())
                stamp = QDateTime::fromString(value.toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            return stamp.isValid() ? QVariant(stamp) : value;
        }
        return value;
    default:
        return value;
    }
}

QString columnText(sqlite3_stmt *stmt, int column)
{
    const auto *text = static_cast<const QChar *>(sqlite3_column_text16(stmt, column));
    return QString(text, sqlite3_column_bytes16(stmt, column) / 2);
}

// A result value as the column's field type holds it.
QVariant columnValue(sqlite3_stmt *stmt, int column, TFieldType type, bool natural)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_FLOAT:
        if (natural || type == ftFloat || type == ftCurrency || type == ftBCD)
            return sqlite3_column_double(stmt, column);
        break;
    case SQLITE_INTEGER:
        if (natural || IsNumericType(type))
            return qlonglong(sqlite3_column_int64(stmt, column));
        break;
    case SQLITE_TEXT:
        if (natural || type == ftString || type == ftMemo || type == ftFixedChar || type == ftWideString || type == ftFmtMemo)
            return columnText(stmt, column);
        break;
    default:
        break;
    }
    return typedValue(naturalValue(sqlite3_column_value(stmt, column)), type);
}

char *errorText(const QString &message) { return sqlite3_mprintf("%s", message.toUtf8().constData()); }

QString &lastTableError()
{
    static QString text;
    return text;
}

qint64 defaultMemoryLimit()
{
    const qint64 machine = qint64(::sysconf(_SC_PHYS_PAGES)) * qint64(::sysconf(_SC_PAGE_SIZE));
    constexpr qint64 kLeast = qint64(256) << 20;
    return machine > 0 ? std::max(machine / 4, kLeast) : kLeast;
}

qint64 &memoryLimitStore()
{
    static qint64 limit = defaultMemoryLimit();
    return limit;
}

QString memoryError()
{
    return QStringLiteral("The statement needs more than the %1 MB of memory the SQL engine may use")
        .arg(SqlEngine::memoryLimit() >> 20);
}

// What the rows of a result hold, counted against the engine's memory limit.
class ResultMemory
{
public:
    void add(const Record &row)
    {
        qint64 bytes = qint64(sizeof(Record)) + 16;
        for (const QVariant &value : row) {
            bytes += qint64(sizeof(QVariant));
            if (value.typeId() == QMetaType::QString)
                bytes += 2 * qint64(value.toString().size());
            else if (value.typeId() == QMetaType::QByteArray)
                bytes += value.toByteArray().size();
        }
        add(bytes);
    }
    void add(qint64 bytes)
    {
        m_used += bytes;
        if (m_used > SqlEngine::memoryLimit())
            throw EDatabaseError(memoryError());
    }

private:
    qint64 m_used = 0;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// The virtual table over one table file.

struct SqlEngine::VirtualTable : sqlite3_vtab
{
    std::unique_ptr<TableStore> store;
    int baseCount = 0;
    std::map<int, std::pair<Record, std::vector<bool>>> updates;
    std::set<int> deletes;
    std::vector<Record> inserts;

    void clearPending()
    {
        updates.clear();
        deletes.clear();
        inserts.clear();
    }
};

namespace {

using VirtualTable = SqlEngine::VirtualTable;

struct Cursor : sqlite3_vtab_cursor
{
    int slot = -1;
    int count = 0;
};

// Stores handed from the engine to the module while a table is being created, by token.
QHash<int, TableStore *> &pendingStores()
{
    static QHash<int, TableStore *> stores;
    return stores;
}

template <typename Body>
int guarded(sqlite3_vtab *table, Body body)
{
    try {
        return body();
    } catch (const std::exception &error) {
        lastTableError() = QString::fromUtf8(error.what());
        sqlite3_free(table->zErrMsg);
        table->zErrMsg = errorText(lastTableError());
        return SQLITE_ERROR;
    }
}

int connectTable(sqlite3 *db, void *, int argc, const char *const *argv, sqlite3_vtab **result, char **error)
{
    if (argc < 4) {
        *error = sqlite3_mprintf("table argument missing");
        return SQLITE_ERROR;
    }
    TableStore *store = pendingStores().take(QByteArray(argv[3]).toInt());
    if (!store) {
        *error = sqlite3_mprintf("%s may only be created by the database layer", kModuleName);
        return SQLITE_ERROR;
    }
    auto table = std::make_unique<VirtualTable>();
    table->store.reset(store);
    QString declaration = QStringLiteral("CREATE TABLE x(");
    const auto &fields = store->fields();
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            declaration += QLatin1Char(',');
        declaration += quoteName(fields[i].name) + QLatin1Char(' ') + QLatin1String(affinity(fields[i].type));
    }
    declaration += QLatin1Char(')');
    const int rc = sqlite3_declare_vtab(db, declaration.toUtf8().constData());
    if (rc != SQLITE_OK) {
        *error = sqlite3_mprintf("%s", sqlite3_errmsg(db));
        return rc;
    }
    *result = table.release();
    return SQLITE_OK;
}

int disconnectTable(sqlite3_vtab *table)
{
    delete static_cast<VirtualTable *>(table);
    return SQLITE_OK;
}

int bestIndex(sqlite3_vtab *table, sqlite3_index_info *info)
{
    (void)table;
    info->estimatedCost = 1e6;
    return SQLITE_OK;
}

int openCursor(sqlite3_vtab *, sqlite3_vtab_cursor **result)
{
    *result = new Cursor;
    return SQLITE_OK;
}

int closeCursor(sqlite3_vtab_cursor *cursor)
{
    delete static_cast<Cursor *>(cursor);
    return SQLITE_OK;
}

int advance(sqlite3_vtab_cursor *base)
{
    auto *cursor = static_cast<Cursor *>(base);
    auto *table = static_cast<VirtualTable *>(base->pVtab);
    return guarded(table, [&] {
        do
            ++cursor->slot;
        while (cursor->slot < cursor->count && table->store->isDeleted(cursor->slot));
        return SQLITE_OK;
    });
}

int filter(sqlite3_vtab_cursor *base, int, const char *, int, sqlite3_value **)
{
    auto *cursor = static_cast<Cursor *>(base);
    auto *table = static_cast<VirtualTable *>(base->pVtab);
    const int rc = guarded(table, [&] {
        table->store->setSequential(true);
        cursor->count = table->store->slotCount();
        cursor->slot = -1;
        return SQLITE_OK;
    });
    return rc == SQLITE_OK ? advance(base) : rc;
}

int atEnd(sqlite3_vtab_cursor *base)
{
    auto *cursor = static_cast<Cursor *>(base);
    return cursor->slot >= cursor->count;
}

int column(sqlite3_vtab_cursor *base, sqlite3_context *context, int index)
{
    auto *cursor = static_cast<Cursor *>(base);
    auto *table = static_cast<VirtualTable *>(base->pVtab);
    if (sqlite3_vtab_nochange(context))
        return SQLITE_OK; // an UPDATE that leaves this column alone needs no value
    try {
        resultValue(context, table->store->value(cursor->slot, index), table->store->fields()[size_t(index)].type);
    } catch (const std::exception &error) {
        const QByteArray text = QByteArray(error.what());
        sqlite3_result_error(context, text.constData(), int(text.size()));
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}

int rowid(sqlite3_vtab_cursor *base, sqlite3_int64 *result)
{
    *result = static_cast<Cursor *>(base)->slot;
    return SQLITE_OK;
}

// True when an UPDATE hands back the number it read from a field of an existing record: the
// field then keeps its stored text, which may hold more digits than the value read from it.
bool keepsStoredNumber(TableStore &store, sqlite3_value *oldRowid, int field, const QVariant &value)
{
    if (sqlite3_value_type(oldRowid) == SQLITE_NULL || !IsNumericType(store.fields()[size_t(field)].type))
        return false;
    try {
        return SameNumber(store.value(int(sqlite3_value_int64(oldRowid)), field), value);
    } catch (const EDatabaseError &) {
        return false; // a field that holds no number is overwritten, as it is asked to be
    }
}

int updateRow(sqlite3_vtab *base, int argc, sqlite3_value **argv, sqlite3_int64 *newRowid)
{
    auto *table = static_cast<VirtualTable *>(base);
    return guarded(base, [&] {
        TableStore &store = *table->store;
        const auto &fields = store.fields();
        const int capabilities = store.capabilities();
        const QString name = QFileInfo(store.path()).fileName();
        if (argc == 1) {
            if (!(capabilities & TableStore::CanDelete))
                throw EDatabaseError(QStringLiteral("Records of table %1 cannot be deleted").arg(name));
            table->deletes.insert(int(sqlite3_value_int64(argv[0])));
            return SQLITE_OK;
        }
        Record record(fields.size());
        std::vector<bool> changed(fields.size(), false);
        for (size_t i = 0; i < fields.size(); ++i) {
            sqlite3_value *value = argv[2 + i];
            if (sqlite3_value_nochange(value))
                continue;
            record[i] = typedValue(naturalValue(value), fields[i].type);
            changed[i] = !keepsStoredNumber(store, argv[0], int(i), record[i]);
        }
        if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
            if (!(capabilities & TableStore::CanAppend))
                throw EDatabaseError(QStringLiteral("Records cannot be added to table %1").arg(name));
            if (sqlite3_value_type(argv[1]) != SQLITE_NULL)
                throw EDatabaseError(QStringLiteral("Record numbers of table %1 cannot be chosen").arg(name));
            table->inserts.push_back(std::move(record));
            *newRowid = table->baseCount + sqlite3_int64(table->inserts.size()) - 1;
            return SQLITE_OK;
        }
        if (!(capabilities & TableStore::CanUpdate))
            throw EDatabaseError(QStringLiteral("Table %1 cannot be changed").arg(name));
        if (sqlite3_value_int64(argv[0]) != sqlite3_value_int64(argv[1]))
            throw EDatabaseError(QStringLiteral("Record numbers of table %1 cannot be changed").arg(name));
        table->updates[int(sqlite3_value_int64(argv[0]))] = {std::move(record), std::move(changed)};
        return SQLITE_OK;
    });
}

int beginTransaction(sqlite3_vtab *base)
{
    auto *table = static_cast<VirtualTable *>(base);
    return guarded(base, [&] {
        table->clearPending();
        table->baseCount = table->store->slotCount();
        return SQLITE_OK;
    });
}

// The statement has run without error: only now do its changes reach the file. Every value
// is checked before the first byte is written, so a refused value leaves the table unchanged.
int syncTransaction(sqlite3_vtab *base)
{
    auto *table = static_cast<VirtualTable *>(base);
    return guarded(base, [&] {
        TableStore &store = *table->store;
        for (const auto &[slot, change] : table->updates)
            store.check(change.first, &change.second);
        for (const Record &record : table->inserts)
            store.check(record, nullptr);
        if (table->updates.empty() && table->deletes.empty() && table->inserts.empty())
            return SQLITE_OK;
        // A write that fails (a full disk) takes back the statement's earlier writes too.
        store.beginChanges();
        try {
            std::vector<int> overwritten(table->deletes.begin(), table->deletes.end());
            for (const auto &[slot, change] : table->updates)
                overwritten.push_back(slot);
            store.willOverwrite(std::move(overwritten));
            for (const auto &[slot, change] : table->updates)
                store.update(slot, change.first, change.second);
            // From the last: formats that close gaps renumber only the records after a removed one.
            for (auto slot = table->deletes.rbegin(); slot != table->deletes.rend(); ++slot)
                store.remove(*slot);
            for (const Record &record : table->inserts)
                store.append(record);
            store.commitChanges();
        } catch (const std::exception &error) {
            table->clearPending();
            try {
                store.rollbackChanges();
            } catch (const std::exception &rollback) {
                throw EDatabaseError(QStringLiteral("%1\n%2").arg(QString::fromUtf8(error.what()), QString::fromUtf8(rollback.what())));
            }
            throw;
        }
        table->clearPending();
        return SQLITE_OK;
    });
}

int endTransaction(sqlite3_vtab *base)
{
    static_cast<VirtualTable *>(base)->clearPending();
    return SQLITE_OK;
}

sqlite3_module makeModule()
{
    sqlite3_module module{};
    module.iVersion = 2;
    module.xCreate = connectTable;
    module.xConnect = connectTable;
    module.xBestIndex = bestIndex;
    module.xDisconnect = disconnectTable;
    module.xDestroy = disconnectTable;
    module.xOpen = openCursor;
    module.xClose = closeCursor;
    module.xFilter = filter;
    module.xNext = advance;
    module.xEof = atEnd;
    module.xColumn = column;
    module.xRowid = rowid;
    module.xUpdate = updateRow;
    module.xBegin = beginTransaction;
    module.xSync = syncTransaction;
    module.xCommit = endTransaction;
    module.xRollback = endTransaction;
    return module;
}

const sqlite3_module kModule = makeModule();

// SQLite's printf() (and format()) answers NULL where its result would be longer than the
// engine allows, with no error. These take their place: SQLite's own function computes the
// result on a connection of its own, and a NULL from a format that is not NULL is that case.
class BoundedPrintf
{
public:
    BoundedPrintf()
    {
        if (sqlite3_open_v2(":memory:", &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw EDatabaseError(QStringLiteral("The SQL engine cannot start"));
        sqlite3_limit(m_db, SQLITE_LIMIT_LENGTH, kMaxValueBytes);
    }
    ~BoundedPrintf()
    {
        for (const auto &[count, statement] : m_byArgumentCount)
            sqlite3_finalize(statement);
        sqlite3_close_v2(m_db);
    }
    BoundedPrintf(const BoundedPrintf &) = delete;
    BoundedPrintf &operator=(const BoundedPrintf &) = delete;

    static void install(sqlite3 *db, const char *name)
    {
        sqlite3_create_function_v2(db, name, -1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, new BoundedPrintf, &call, nullptr,
                                   nullptr, [](void *self) { delete static_cast<BoundedPrintf *>(self); });
    }

private:
    static void call(sqlite3_context *context, int argc, sqlite3_value **argv)
    {
        static_cast<BoundedPrintf *>(sqlite3_user_data(context))->format(context, argc, argv);
    }

    void format(sqlite3_context *context, int argc, sqlite3_value **argv)
    {
        if (argc == 0 || sqlite3_value_type(argv[0]) == SQLITE_NULL)
            return sqlite3_result_null(context);
        // Filling 100 MB one character at a time takes seconds before SQLite gives up.
        if (leastLength(reinterpret_cast<const char *>(sqlite3_value_text(argv[0])), argc, argv) > kMaxValueBytes)
            return sqlite3_result_error_toobig(context);
        sqlite3_stmt *statement = statementFor(argc);
        if (!statement)
            return sqlite3_result_error(context, sqlite3_errmsg(m_db), -1);
        for (int i = 0; i < argc; ++i)
            sqlite3_bind_value(statement, i + 1, argv[i]);
        if (sqlite3_step(statement) != SQLITE_ROW)
            sqlite3_result_error(context, sqlite3_errmsg(m_db), -1);
        else if (sqlite3_column_type(statement, 0) == SQLITE_NULL)
            sqlite3_result_error_toobig(context);
        else
            sqlite3_result_value(context, sqlite3_column_value(statement, 0));
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    }

    // A length the result of `format` reaches at least: the largest width, or precision where
    // it counts digits or repeats a character, with each '*' read from the arguments as
    // SQLite's printf() reads it.
    static qint64 leastLength(const char *format, int argc, sqlite3_value **argv)
    {
        qint64 least = 0;
        int nextArgument = 1;
        const auto number = [&](const char *&c) {
            if (*c == '*') {
                ++c;
                const int value = nextArgument < argc ? int(sqlite3_value_int64(argv[nextArgument++])) : 0;
                return value < 0 ? -qint64(value) : qint64(value);
            }
            unsigned digits = 0;
            for (; *c >= '0' && *c <= '9'; ++c)
                digits = digits * 10 + unsigned(*c - '0');
            return qint64(digits & 0x7fffffff);
        };
        for (const char *c = format; *c; ++c) {
            if (*c != '%' || *++c == '%')
                continue;
            while (*c && std::strchr("-+ #!0,", *c))
                ++c;
            const qint64 width = number(c);
            const qint64 precision = *c == '.' ? number(++c) : 0;
            while (*c == 'l')
                ++c;
            if (!*c)
                break;
            least = std::max({least, width, std::strchr("cdiuxXoeE", *c) ? precision : 0});
            if (*c != 'n')
                ++nextArgument;
        }
        return least;
    }

    sqlite3_stmt *statementFor(int argc)
    {
        sqlite3_stmt *&statement = m_byArgumentCount[argc];
        if (!statement) {
            QByteArray sql = "SELECT printf(?";
            for (int i = 1; i < argc; ++i)
                sql += ",?";
            sql += ')';
            sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &statement, nullptr);
        }
        return statement;
    }

    sqlite3 *m_db = nullptr;
    std::map<int, sqlite3_stmt *> m_byArgumentCount;
};

// A single-table SELECT without DISTINCT, grouping, compounds or aggregates: its rows are
// records of that table. Answers the position before the FROM where the slot column goes.
int liveInsertPosition(const std::vector<SqlToken> &tokens)
{
    static const char *const aggregates[] = {"COUNT", "SUM", "AVG", "MIN", "MAX", "TOTAL", "GROUP_CONCAT"};
    if (tokens.empty() || !tokens[0].isWord("SELECT") || tokens[1].isWord("DISTINCT"))
        return -1;
    int depth = 0;
    int from = -1;
    for (size_t i = 1; i < tokens.size(); ++i) {
        const SqlToken &token = tokens[i];
        if (token.isSymbol("("))
            ++depth;
        else if (token.isSymbol(")"))
            --depth;
        if (depth != 0)
            continue;
        for (const char *word : {"GROUP", "HAVING", "UNION", "INTERSECT", "EXCEPT", "JOIN", "SELECT"})
            if (token.isWord(word))
                return -1;
        if (from < 0) {
            if (token.isWord("FROM"))
                from = int(i);
            for (const char *aggregate : aggregates)
                if (token.isWord(aggregate) && tokens[i + 1].isSymbol("("))
                    return -1;
        } else if (token.isSymbol(",")) {
            return -1;
        }
    }
    return from > 0 ? tokens[size_t(from)].begin : -1;
}

QString cutAt(const QString &text, int position) { return text.left(position); }

// SQLite looks each named parameter up among all the earlier ones, which takes quadratic time
// for tens of thousands of them; the statement hands it every ":NAME" as a "?" instead, and the
// names, in order, are bound by position. Other marks SQLite takes for parameters have no value.
QString withPositionalParameters(const QString &sql, QStringList &names)
{
    const auto tokens = TokenizeSql(sql);
    QString text;
    text.reserve(sql.size());
    int copied = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const SqlToken &token = tokens[i];
        if (token.kind == SqlToken::Symbol
            && (token.text == QLatin1String("?") || token.text == QLatin1String("@") || token.text == QLatin1String("$")
                || token.text == QLatin1String("#"))) {
            const bool named = tokens[i + 1].begin == token.end && tokens[i + 1].kind != SqlToken::End;
            throw EDatabaseError(QStringLiteral("No value for parameter '%1'")
                                     .arg(token.text + (named ? sql.mid(token.end, tokens[i + 1].end - token.end) : QString())));
        }
        if (token.kind != SqlToken::Parameter)
            continue;
        text += QStringView(sql).mid(copied, token.begin - copied);
        text += QLatin1Char('?');
        copied = token.end;
        names << token.text;
    }
    text += QStringView(sql).mid(copied);
    return text;
}

// The fields a SELECT of one table lists by plain name (or "*"); nothing for any other select
// list, or when ORDER BY counts result columns.
std::optional<QStringList> plainFieldList(const std::vector<SqlToken> &tokens, int fromPosition)
{
    size_t i = 1;
    if (tokens[i].isWord("ALL"))
        ++i;
    QStringList names;
    if (tokens[i].isSymbol("*") && tokens[i + 1].begin == fromPosition)
        return names;
    for (;; i += 2) {
        if (tokens[i].kind != SqlToken::Word && tokens[i].kind != SqlToken::QuotedName)
            return std::nullopt;
        names << tokens[i].text;
        if (tokens[i + 1].begin == fromPosition)
            break;
        if (!tokens[i + 1].isSymbol(","))
            return std::nullopt;
    }
    for (size_t k = i; k + 2 < tokens.size(); ++k)
        if (tokens[k].isWord("ORDER") && tokens[k + 1].isWord("BY"))
            for (size_t n = k + 2; n < tokens.size(); ++n)
                if (tokens[n].kind == SqlToken::Number)
                    return std::nullopt;
    return names;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// A prepared statement with the virtual tables it uses, dropped again with it.

struct SqlEngine::Statement
{
    sqlite3 *db = nullptr;
    sqlite3_stmt *stmt = nullptr;
    QStringList tables;
    QStringList parameters; ///< the name of each "?", in order
    SqlAuthorizer *authorizer = nullptr;
    std::vector<std::unique_ptr<TableLock>> locks; ///< held until the statement is done

    ~Statement()
    {
        sqlite3_finalize(stmt);
        const SqlAuthorizer::Scope internal(*authorizer, SqlAuthorizer::Access::Internal);
        for (const QString &table : tables)
            sqlite3_exec(db, QStringLiteral("DROP TABLE temp.%1").arg(quoteName(table)).toUtf8().constData(), nullptr, nullptr, nullptr);
    }
};

// A statement under way: the user may stop it, and the engine runs one statement at a time
// (a stop box lets events through, and with them the program's other work).
class SqlEngine::Run
{
public:
    explicit Run(SqlEngine &engine) : m_engine(engine), m_work(QStringLiteral("The SQL statement is still running."))
    {
        if (m_engine.m_work)
            throw EDatabaseError(QStringLiteral("Another SQL statement of the database is still running"));
        m_engine.m_work = &m_work;
    }
    ~Run() { m_engine.m_work = nullptr; }
    Run(const Run &) = delete;
    Run &operator=(const Run &) = delete;

private:
    SqlEngine &m_engine;
    rtl::TLongWork m_work;
};

SqlEngine::SqlEngine(QString folder, QString defaultExtension)
    : m_folder(std::move(folder)), m_defaultExtension(std::move(defaultExtension))
{
    static std::once_flag heapLimit;
    std::call_once(heapLimit, [] { sqlite3_hard_heap_limit64(memoryLimit()); });
    if (sqlite3_open_v2(":memory:", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        throw EDatabaseError(QStringLiteral("The SQL engine cannot start"));
    sqlite3_limit(m_db, SQLITE_LIMIT_LENGTH, kMaxValueBytes);
    // Its two-argument form writes a code address, which Debian's SQLite allows whatever this
    // says: the authorizer refuses the function as well.
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_FTS3_TOKENIZER, 0, nullptr);
    sqlite3_progress_handler(m_db, kStepsBetweenQuestions, &SqlEngine::progress, this);
    BoundedPrintf::install(m_db, "printf");
    BoundedPrintf::install(m_db, "format");
    sqlite3_create_module_v2(m_db, kModuleName, &kModule, this, nullptr);
    m_authorizer = std::make_unique<SqlAuthorizer>(m_db);
}

void SqlEngine::setMemoryLimit(qint64 bytes)
{
    memoryLimitStore() = bytes;
    sqlite3_hard_heap_limit64(bytes);
}

qint64 SqlEngine::memoryLimit() { return memoryLimitStore(); }

int SqlEngine::progress(void *engine)
{
    auto &self = *static_cast<SqlEngine *>(engine);
    // The engine's own work (mapping and dropping tables) always ends.
    return self.m_work && self.m_authorizer->access() != SqlAuthorizer::Access::Internal && self.m_work->stopRequested();
}

// Why a statement failed: the layer's own text where a virtual table met the error, since
// SQLite words an error in the commit of a statement its own way ("disk I/O error").
QString SqlEngine::failure() const
{
    const QString layer = std::exchange(lastTableError(), QString());
    if (!layer.isEmpty())
        return layer;
    switch (sqlite3_errcode(m_db)) {
    case SQLITE_INTERRUPT: return QStringLiteral("The statement was stopped; nothing was changed");
    case SQLITE_TOOBIG:
        return QStringLiteral("A value of the statement would take more than the %1 MB the SQL engine allows")
            .arg(kMaxValueBytes / 1'000'000);
    case SQLITE_NOMEM: return memoryError();
    default: return m_authorizer->error();
    }
}

SqlEngine::~SqlEngine() { sqlite3_close_v2(m_db); }

bool SqlEngine::returnsRows(const QString &sql)
{
    const auto tokens = TokenizeSql(sql);
    return tokens[0].isWord("SELECT") || tokens[0].isWord("WITH") || tokens[0].isWord("VALUES");
}

std::unique_ptr<SqlEngine::Statement> SqlEngine::prepare(const QString &sql, std::optional<TableLock::Mode> lock)
{
    lastTableError().clear();
    auto statement = std::make_unique<Statement>();
    statement->db = m_db;
    statement->authorizer = m_authorizer.get();
    m_authorizer->beginStatement();
    const QByteArray text = withPositionalParameters(sql, statement->parameters).toUtf8();
    for (int attempt = 0; attempt <= kMaxTablesPerStatement; ++attempt) {
        const char *tail = nullptr;
        if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &statement->stmt, &tail) == SQLITE_OK) {
            if (!statement->stmt)
                throw EDatabaseError(QStringLiteral("The statement is empty"));
            const QString rest = QString::fromUtf8(tail).trimmed();
            if (!rest.isEmpty() && rest != QLatin1String(";"))
                throw EDatabaseError(QStringLiteral("Only one statement can be run at a time"));
            if (m_authorizer->access() == SqlAuthorizer::Access::Read && !sqlite3_stmt_readonly(statement->stmt))
                throw EDatabaseError(QStringLiteral("A query that reads rows may not change anything"));
            m_authorizer->statementCompiled();
            return statement;
        }
        const QString message = m_authorizer->error();
        if (!message.startsWith(kNoSuchTable))
            throw EDatabaseError(message);
        const QString name = message.mid(kNoSuchTable.size());
        if (statement->tables.contains(name, Qt::CaseInsensitive))
            throw EDatabaseError(message);
        const TablePath table = resolveTable(m_folder, name, m_defaultExtension);
        if (!table.exists)
            throw EDatabaseError(QStringLiteral("Table does not exist: %1").arg(name));
        if (lock)
            statement->locks.push_back(std::make_unique<TableLock>(table.path, *lock));
        static int nextToken = 0;
        const int token = ++nextToken;
        pendingStores().insert(token, OpenTableStore(table.path).release());
        const QString create = QStringLiteral("CREATE VIRTUAL TABLE temp.%1 USING %2(%3)")
                                   .arg(quoteName(name), QLatin1String(kModuleName)).arg(token);
        char *error = nullptr;
        const SqlAuthorizer::Scope internal(*m_authorizer, SqlAuthorizer::Access::Internal);
        const int rc = sqlite3_exec(m_db, create.toUtf8().constData(), nullptr, nullptr, &error);
        delete pendingStores().take(token);
        if (rc != SQLITE_OK) {
            const QString reason = QString::fromUtf8(error ? error : sqlite3_errmsg(m_db));
            sqlite3_free(error);
            throw EDatabaseError(reason);
        }
        statement->tables << name;
    }
    throw EDatabaseError(QStringLiteral("The statement names too many tables"));
}

void SqlEngine::bind(Statement &statement, const SqlParams &params)
{
    sqlite3_stmt *stmt = statement.stmt;
    if (sqlite3_bind_parameter_count(stmt) != statement.parameters.size())
        throw EDatabaseError(QStringLiteral("The parameters of the statement cannot be told apart"));
    QHash<QString, const QVariant *> values;
    values.reserve(qsizetype(params.size()));
    for (const auto &[name, value] : params) {
        const QString key = ParameterKey(name);
        if (!values.contains(key))
            values.insert(key, &value);
    }
    for (int index = 1; index <= statement.parameters.size(); ++index) {
        const QString &name = statement.parameters[index - 1];
        const QVariant *found = values.value(ParameterKey(name));
        if (!found)
            throw EDatabaseError(QStringLiteral("No value for parameter '%1'").arg(name));
        const QVariant &value = *found;
        int rc = SQLITE_OK;
        switch (value.isNull() ? QMetaType::UnknownType : value.typeId()) {
        case QMetaType::UnknownType: rc = sqlite3_bind_null(stmt, index); break;
        case QMetaType::Bool: rc = sqlite3_bind_int(stmt, index, value.toBool() ? 1 : 0); break;
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong: rc = sqlite3_bind_int64(stmt, index, value.toLongLong()); break;
        case QMetaType::Double: rc = sqlite3_bind_double(stmt, index, value.toDouble()); break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob(stmt, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            QString text = value.toString();
            if (value.typeId() == QMetaType::QDate)
                text = value.toDate().toString(Qt::ISODate);
            else if (value.typeId() == QMetaType::QTime)
                text = value.toTime().toString(QStringLiteral("HH:mm:ss"));
            else if (value.typeId() == QMetaType::QDateTime)
                text = value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            const QByteArray utf8 = text.toUtf8();
            rc = sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        }
        }
        if (rc != SQLITE_OK)
            throw EDatabaseError(QString::fromUtf8(sqlite3_errmsg(m_db)));
    }
}

void SqlEngine::check(const QString &sql)
{
    const auto tokens = TokenizeSql(sql);
    if (IsDdlStatement(tokens))
        return;
    const SqlAuthorizer::Scope command(*m_authorizer, SqlAuthorizer::Access::Command);
    prepare(sql, std::nullopt);
}

int SqlEngine::execute(const QString &sql, const SqlParams &params)
{
    const auto tokens = TokenizeSql(sql);
    if (IsDdlStatement(tokens)) {
        ExecuteDdl(m_folder, m_defaultExtension, sql);
        return 0;
    }
    const SqlAuthorizer::Scope command(*m_authorizer, SqlAuthorizer::Access::Command);
    const Run run(*this);
    auto statement = prepare(sql, TableLock::Exclusive);
    bind(*statement, params);
    int rc;
    while ((rc = sqlite3_step(statement->stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        throw EDatabaseError(failure());
    return sqlite3_changes(m_db);
}

std::optional<SqlResult> SqlEngine::selectRecords(const QString &sql, const std::vector<SqlToken> &tokens, const SqlParams &params)
{
    // A plain SELECT of fields of one table needs no values from SQLite, only which records
    // qualify and in what order; the values are read from the file when the program asks.
    const int fromPosition = liveInsertPosition(tokens);
    if (fromPosition < 0)
        return std::nullopt;
    const auto names = plainFieldList(tokens, fromPosition);
    if (!names)
        return std::nullopt;
    auto statement = prepare(QStringLiteral("SELECT _rowid_ ") + sql.mid(fromPosition), TableLock::Shared);
    if (statement->tables.size() != 1)
        return std::nullopt;
    const QString path = resolveTable(m_folder, statement->tables[0], m_defaultExtension).path;
    const auto store = OpenTableStore(path);
    const auto &fields = store->fields();
    SqlResult result;
    auto addColumn = [&](int field) {
        SqlResult::Column column;
        column.def = fields[size_t(field)];
        column.tableField = field;
        result.columns.push_back(column);
    };
    if (names->isEmpty()) {
        for (size_t f = 0; f < fields.size(); ++f)
            addColumn(int(f));
    }
    for (const QString &name : *names) {
        const auto found = std::find_if(fields.begin(), fields.end(), [&](const FieldDef &field) {
            return field.name.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (found == fields.end())
            return std::nullopt; // SQLite words the error
        addColumn(int(found - fields.begin()));
    }
    // Every field of a result has its own name; repeats get a number.
    QHash<QString, int> seen;
    for (auto &column : result.columns) {
        const QString base = column.def.name;
        for (int n = 1; seen.contains(column.def.name.toUpper()); ++n)
            column.def.name = base + QLatin1Char('_') + QString::number(n);
        seen.insert(column.def.name.toUpper(), 0);
    }
    bind(*statement, params);
    ResultMemory memory;
    int rc;
    while ((rc = sqlite3_step(statement->stmt)) == SQLITE_ROW) {
        result.recordSlots.push_back(int(sqlite3_column_int64(statement->stmt, 0)));
        memory.add(qint64(sizeof(int)));
    }
    if (rc != SQLITE_DONE)
        throw EDatabaseError(failure());
    result.liveTable = path;
    result.byRecord = true;
    return result;
}

SqlResult SqlEngine::select(const QString &sql, const SqlParams &params, bool live)
{
    const auto tokens = TokenizeSql(sql);
    if (IsDdlStatement(tokens) || !returnsRows(sql))
        throw EDatabaseError(QStringLiteral("The statement returns no rows; run it as a command"));
    const SqlAuthorizer::Scope read(*m_authorizer, SqlAuthorizer::Access::Read);
    const Run run(*this);
    if (auto records = selectRecords(sql, tokens, params))
        return std::move(*records);
    const int slotPosition = live ? liveInsertPosition(tokens) : -1;
    const bool withSlots = slotPosition >= 0;
    const QString text = withSlots ? cutAt(sql, slotPosition).trimmed() + QStringLiteral(", _rowid_ ") + sql.mid(slotPosition) : sql;

    auto statement = prepare(text, TableLock::Shared);
    bind(*statement, params);
    sqlite3_stmt *stmt = statement->stmt;
    const int columnCount = sqlite3_column_count(stmt) - (withSlots ? 1 : 0);

    SqlResult result;
    // Which table does every column come from, and which field of it?
    std::unique_ptr<TableStore> liveStore;
    if (withSlots && statement->tables.size() == 1) {
        liveStore = OpenTableStore(resolveTable(m_folder, statement->tables[0], m_defaultExtension).path);
        result.liveTable = liveStore->path();
    }
    QHash<QString, QString> tablePaths;
    for (const QString &table : statement->tables)
        tablePaths.insert(table.toLower(), resolveTable(m_folder, table, m_defaultExtension).path);
    QHash<QString, std::vector<FieldDef>> tableFields;

    std::vector<bool> inferType(size_t(columnCount), false);
    QHash<QString, int> names;
    for (int i = 0; i < columnCount; ++i) {
        SqlResult::Column column;
        const char *tableName = sqlite3_column_table_name(stmt, i);
        const char *origin = sqlite3_column_origin_name(stmt, i);
        if (tableName && origin) {
            const QString key = QString::fromUtf8(tableName).toLower();
            if (!tableFields.contains(key) && tablePaths.contains(key))
                tableFields.insert(key, liveStore && key == statement->tables[0].toLower() ? liveStore->fields()
                                                                                            : OpenTableStore(tablePaths[key])->fields());
            const auto &fields = tableFields[key];
            for (size_t f = 0; f < fields.size(); ++f) {
                if (fields[f].name.compare(QString::fromUtf8(origin), Qt::CaseInsensitive) == 0) {
                    column.def = fields[f];
                    if (liveStore)
                        column.tableField = int(f);
                }
            }
        }
        if (column.def.type == ftUnknown)
            inferType[size_t(i)] = true;
        // Every field of a result has its own name; repeats get a number.
        QString name = QString::fromUtf8(sqlite3_column_name(stmt, i));
        const QString base = name;
        for (int n = 1; names.contains(name.toUpper()); ++n)
            name = base + QLatin1Char('_') + QString::number(n);
        names.insert(name.toUpper(), i);
        column.def.name = name;
        result.columns.push_back(column);
    }

    ResultMemory memory;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        Record row(static_cast<size_t>(columnCount));
        for (int i = 0; i < columnCount; ++i)
            row[size_t(i)] = columnValue(stmt, i, result.columns[size_t(i)].def.type, inferType[size_t(i)]);
        if (withSlots)
            result.recordSlots.push_back(int(sqlite3_column_int64(stmt, columnCount)));
        memory.add(row);
        result.rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        throw EDatabaseError(failure());

    for (int i = 0; i < columnCount; ++i) {
        if (!inferType[size_t(i)])
            continue;
        FieldDef &def = result.columns[size_t(i)].def;
        def.type = ftUnknown;
        for (const Record &row : result.rows) {
            const QVariant &value = row[size_t(i)];
            if (value.isNull())
                continue;
            const TFieldType type = value.typeId() == QMetaType::LongLong ? ftInteger
                                    : value.typeId() == QMetaType::Double  ? ftFloat
                                    : value.typeId() == QMetaType::QByteArray ? ftBlob
                                                                           : ftString;
            if (def.type == ftUnknown || (def.type == ftInteger && type == ftFloat))
                def.type = type;
            else if (def.type != type && !(def.type == ftFloat && type == ftInteger))
                def.type = ftString;
            if (type == ftInteger && std::llabs(value.toLongLong()) > INT32_MAX)
                def.type = def.type == ftInteger ? ftLargeint : def.type;
            def.size = std::max(def.size, int(value.toString().size()));
        }
        if (def.type == ftUnknown)
            def.type = ftString;
        if (def.type == ftString)
            for (Record &row : result.rows)
                if (!row[size_t(i)].isNull())
                    row[size_t(i)] = row[size_t(i)].toString();
    }
    if (!result.liveTable.isEmpty() && result.recordSlots.size() != result.rows.size())
        result.liveTable.clear();
    return result;
}

} // namespace db
