#include "platform/db/SqlAuthorizer.h"

#include <sqlite3.h>

#include <cstring>

namespace db {
namespace {

bool isSchemaTable(const char *table)
{
    // SQLite writes its schema table itself while it sets up a table-valued function; a
    // statement cannot write it.
    return table && (std::strcmp(table, "sqlite_master") == 0 || std::strcmp(table, "sqlite_temp_master") == 0);
}

} // namespace

SqlAuthorizer::SqlAuthorizer(sqlite3 *db) : m_db(db) { sqlite3_set_authorizer(m_db, &SqlAuthorizer::authorize, this); }

SqlAuthorizer::~SqlAuthorizer() { sqlite3_set_authorizer(m_db, nullptr, nullptr); }

void SqlAuthorizer::beginStatement()
{
    m_refusal.clear();
    m_running = false;
}

QString SqlAuthorizer::error() const { return m_refusal.isEmpty() ? QString::fromUtf8(sqlite3_errmsg(m_db)) : m_refusal; }

SqlAuthorizer::Scope::Scope(SqlAuthorizer &authorizer, Access access)
    : m_authorizer(authorizer), m_previous(authorizer.m_access)
{
    m_authorizer.m_access = access;
}

SqlAuthorizer::Scope::~Scope() { m_authorizer.m_access = m_previous; }

int SqlAuthorizer::authorize(void *self, int action, const char *first, const char *second, const char *, const char *)
{
    auto &authorizer = *static_cast<SqlAuthorizer *>(self);
    if (authorizer.m_access == Access::Internal)
        return SQLITE_OK;
    if (const QString refusal = refusedTransactionOrFunction(action, first, second); !refusal.isEmpty()) {
        if (authorizer.m_refusal.isEmpty())
            authorizer.m_refusal = refusal;
        return SQLITE_DENY;
    }
    const QString refused = authorizer.refusedAction(action, first);
    if (refused.isEmpty())
        return SQLITE_OK;
    if (authorizer.m_refusal.isEmpty())
        authorizer.m_refusal = authorizer.m_access == Access::Read
                                   ? QStringLiteral("%1 is not allowed in a query that reads rows").arg(refused)
                                   : QStringLiteral("%1 is not allowed: statements work only on the table files of the "
                                                    "database's folder")
                                         .arg(refused);
    return SQLITE_DENY;
}

// Why a transaction statement or a function is refused; '' when it is not one of them.
// Every statement is written when it has run: a transaction kept open would hold back every
// later statement's changes without a word. fts3_tokenizer() hands out and takes code addresses.
QString SqlAuthorizer::refusedTransactionOrFunction(int action, const char *first, const char *second)
{
    QString statement;
    if (action == SQLITE_TRANSACTION)
        statement = QString::fromUtf8(first);
    else if (action == SQLITE_SAVEPOINT)
        statement = std::strcmp(first, "BEGIN") == 0 ? QStringLiteral("SAVEPOINT")
                    : std::strcmp(first, "RELEASE") == 0 ? QStringLiteral("RELEASE")
                                                         : QStringLiteral("ROLLBACK TO");
    else if (action == SQLITE_FUNCTION && second && sqlite3_stricmp(second, "fts3_tokenizer") == 0)
        return QStringLiteral("The function fts3_tokenizer() is not allowed");
    if (statement.isEmpty())
        return {};
    return QStringLiteral("%1 is not allowed: the database layer keeps no transaction across statements; each "
                          "statement's changes are written when it has run")
        .arg(statement);
}

// The name of the statement that asks for a refused action; '' for an allowed one.
QString SqlAuthorizer::refusedAction(int action, const char *first) const
{
    switch (action) {
    case SQLITE_ATTACH: return m_running ? QStringLiteral("VACUUM") : QStringLiteral("ATTACH"); // VACUUM attaches its copy
    case SQLITE_DETACH: return QStringLiteral("DETACH");
    case SQLITE_PRAGMA: return QStringLiteral("PRAGMA");
    case SQLITE_CREATE_VIEW: case SQLITE_CREATE_TEMP_VIEW: return QStringLiteral("CREATE VIEW");
    case SQLITE_DROP_VIEW: case SQLITE_DROP_TEMP_VIEW: return QStringLiteral("DROP VIEW");
    case SQLITE_CREATE_TABLE: case SQLITE_CREATE_TEMP_TABLE: return QStringLiteral("CREATE TEMP TABLE");
    case SQLITE_DROP_TABLE: case SQLITE_DROP_TEMP_TABLE: case SQLITE_DROP_VTABLE: return QStringLiteral("DROP TABLE");
    case SQLITE_CREATE_VTABLE: return QStringLiteral("CREATE VIRTUAL TABLE");
    case SQLITE_CREATE_INDEX: case SQLITE_CREATE_TEMP_INDEX: return QStringLiteral("CREATE INDEX");
    case SQLITE_DROP_INDEX: case SQLITE_DROP_TEMP_INDEX: return QStringLiteral("DROP INDEX");
    case SQLITE_CREATE_TRIGGER: case SQLITE_CREATE_TEMP_TRIGGER: return QStringLiteral("CREATE TRIGGER");
    case SQLITE_DROP_TRIGGER: case SQLITE_DROP_TEMP_TRIGGER: return QStringLiteral("DROP TRIGGER");
    case SQLITE_ALTER_TABLE: return QStringLiteral("ALTER TABLE");
    case SQLITE_REINDEX: return QStringLiteral("REINDEX");
    case SQLITE_ANALYZE: return QStringLiteral("ANALYZE");
    default: break;
    }
    if (m_access != Access::Read)
        return {};
    switch (action) {
    case SQLITE_INSERT: return isSchemaTable(first) ? QString() : QStringLiteral("INSERT");
    case SQLITE_UPDATE: return isSchemaTable(first) ? QString() : QStringLiteral("UPDATE");
    case SQLITE_DELETE: return isSchemaTable(first) ? QString() : QStringLiteral("DELETE");
    default: return {};
    }
}

} // namespace db
