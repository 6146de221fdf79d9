#include "platform/db/Database.h"

#include "platform/db/DataSet.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/SqlEngine.h"

#include <QDir>

#include <vector>

namespace db {
namespace {

std::vector<TDatabase *> &databases()
{
    static std::vector<TDatabase *> all;
    return all;
}

} // namespace

TDatabase::TDatabase() { databases().push_back(this); }

TDatabase::~TDatabase()
{
    Close();
    auto &all = databases();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

void TDatabase::SetDatabaseName(const QString &name)
{
    if (Connected())
        throw EDatabaseError(QStringLiteral("Cannot rename the connected database %1").arg(m_databaseName));
    m_databaseName = name;
}

void TDatabase::Open()
{
    if (Connected())
        return;
    for (TDatabase *other : databases())
        if (other != this && other->Connected() && other->m_databaseName.compare(m_databaseName, Qt::CaseInsensitive) == 0)
            throw EDatabaseError(QStringLiteral("Duplicate database name '%1'").arg(m_databaseName));
    QString folder = m_params.Values(QStringLiteral("PATH")).trimmed();
    if (!folder.isEmpty())
        folder = QDir::cleanPath(QDir(folder).absolutePath());
    const bool paradox = m_params.Values(QStringLiteral("DEFAULT DRIVER")).trimmed().compare(QStringLiteral("PARADOX"), Qt::CaseInsensitive) == 0;
    m_folder = folder;
    m_defaultExtension = paradox ? QStringLiteral(".db") : QStringLiteral(".dbf");
    m_engine = std::make_unique<SqlEngine>(m_folder, m_defaultExtension);
}

void TDatabase::Close()
{
    // Closing a dataset detaches it, so work on a copy.
    const std::set<TDataSet *> open = m_dataSets;
    for (TDataSet *dataSet : open)
        dataSet->Close();
    for (TDataSet *dataSet : m_dataSets)
        dataSet->detachDatabase();
    m_dataSets.clear();
    m_engine.reset();
}

DatabaseContext TDatabase::context() const { return {m_folder, m_defaultExtension, m_engine.get()}; }

DatabaseContext TDatabase::contextFor(const QString &name, TDatabase **database)
{
    *database = nullptr;
    if (name.isEmpty()) {
        static SqlEngine currentFolder(QString(), QStringLiteral(".dbf"));
        return {QString(), QStringLiteral(".dbf"), &currentFolder};
    }
    TDatabase *candidate = nullptr;
    for (TDatabase *db : databases()) {
        if (db->m_databaseName.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (db->Connected() || !candidate)
            candidate = db;
        if (db->Connected())
            break;
    }
    if (!candidate)
        throw EDatabaseError(QStringLiteral("Unknown database: %1").arg(name));
    candidate->Open();
    *database = candidate;
    return candidate->context();
}

} // namespace db
