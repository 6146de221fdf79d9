#pragma once
// What a user's statement may make SQLite do. SQLite asks before it compiles or carries out
// each action; statements work on the table files they name and on nothing else, so anything
// that would reach other files or stay in the engine after the statement (ATTACH, DETACH,
// VACUUM, PRAGMA, views, SQLite's own tables, indexes and triggers, transactions and
// savepoints) is refused, so is the function fts3_tokenizer(), and a query
// that reads rows may not write at all. The engine's own work (mapping the tables a statement
// names) runs with Internal access.

#include <QString>

struct sqlite3;

namespace db {

class SqlAuthorizer
{
public:
    enum class Access { Internal, Command, Read };

    /// Becomes `db`'s authorizer, with Internal access; `db` must outlive it.
    explicit SqlAuthorizer(sqlite3 *db);
    ~SqlAuthorizer();
    SqlAuthorizer(const SqlAuthorizer &) = delete;
    SqlAuthorizer &operator=(const SqlAuthorizer &) = delete;

    Access access() const { return m_access; }

    /// Starts a statement: no refusal yet, not yet compiled.
    void beginStatement();
    /// The statement is compiled; what SQLite asks for from now on it asks while running it.
    void statementCompiled() { m_running = true; }

    /// SQLite's error for the statement, or the reason an action of it was refused.
    QString error() const;

    /// Sets the access for its lifetime.
    class Scope
    {
    public:
        Scope(SqlAuthorizer &authorizer, Access access);
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

    private:
        SqlAuthorizer &m_authorizer;
        Access m_previous;
    };

private:
    static int authorize(void *self, int action, const char *first, const char *second, const char *, const char *);
    static QString refusedTransactionOrFunction(int action, const char *first, const char *second);
    QString refusedAction(int action, const char *first) const;

    sqlite3 *m_db;
    Access m_access = Access::Internal;
    bool m_running = false;
    QString m_refusal;
};

} // namespace db
