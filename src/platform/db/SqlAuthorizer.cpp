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

int SqlAuthorizer::authorize(void *self, int action, const char *first, const char *, const char *, const char *)
{
    auto &authorizer = *static_cast<SqlAuthorizer *>(self);
    if (authorizer.m_access == Access::Internal)
        return SQLITE_OK;
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
    case SQLITE_TRANSACTION: return QString::fromUtf8(first);
    case SQLITE_SAVEPOINT: return QStringLiteral("SAVEPOINT");
    default: return {};
    }
}

} // namespace db
