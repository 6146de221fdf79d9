#pragma once
// A database: an alias naming a folder of table files, by which datasets find their tables.

#include "platform/rtl/StringList.h"

#include <QString>

#include <memory>
#include <set>

namespace db {

class SqlEngine;
class TDataSet;

/// What an open dataset needs of its database.
struct DatabaseContext
{
    QString folder;           ///< '' for the current folder
    QString defaultExtension; ///< ".dbf", or ".db" with "DEFAULT DRIVER=PARADOX"
    SqlEngine *engine = nullptr;
};

class TDatabase
{
public:
    TDatabase();
    ~TDatabase();
    TDatabase(const TDatabase &) = delete;
    TDatabase &operator=(const TDatabase &) = delete;

    /// The alias by which datasets name this database, such as "DBFtables".
    const QString &DatabaseName() const { return m_databaseName; }
    /// Throws EDatabaseError while connected.
    void SetDatabaseName(const QString &name);
    const QString &DriverName() const { return m_driverName; }
    void SetDriverName(const QString &name) { m_driverName = name; }
    /// "PATH=<folder>", "DEFAULT DRIVER=DBASE" or "PARADOX", "ENABLE BCD=FALSE"; read when
    /// the database connects.
    rtl::TStringList &Params() { return m_params; }
    bool LoginPrompt() const { return m_loginPrompt; }
    void SetLoginPrompt(bool prompt) { m_loginPrompt = prompt; }

    /// Connecting takes the folder from "PATH"; disconnecting closes the datasets that use
    /// the database. Throws EDatabaseError when another connected database has the same name.
    void Open();
    void Close();
    bool Connected() const { return bool(m_engine); }
    void SetConnected(bool connected) { connected ? Open() : Close(); }

    /// The connected database named `name` (letter case ignored), connecting a database of
    /// that name that is not connected yet; '' names the current folder. Throws
    /// EDatabaseError for an unknown name.
    static DatabaseContext contextFor(const QString &name, TDatabase **database);

    void attach(TDataSet *dataSet) { m_dataSets.insert(dataSet); }
    void detach(TDataSet *dataSet) { m_dataSets.erase(dataSet); }

private:
    DatabaseContext context() const;

    QString m_databaseName;
    QString m_driverName = QStringLiteral("STANDARD");
    rtl::TStringList m_params;
    bool m_loginPrompt = true;
    QString m_folder;
    QString m_defaultExtension;
    std::unique_ptr<SqlEngine> m_engine;
    std::set<TDataSet *> m_dataSets;
};

} // namespace db
