#include "DbTestSupport.h"

#include <QFile>

DbFolder::DbFolder(const QString &alias) : m_alias(alias), m_database(std::make_unique<db::TDatabase>())
{
    m_database->SetDatabaseName(alias);
    m_database->SetDriverName(QStringLiteral("STANDARD"));
    m_database->SetLoginPrompt(false);
    m_database->Params().Add(QStringLiteral("PATH=") + m_dir.path());
    m_database->Params().Add(QStringLiteral("DEFAULT DRIVER=DBASE"));
    m_database->Params().Add(QStringLiteral("ENABLE BCD=FALSE"));
    m_database->Open();
}

QString DbFolder::path(const QString &name) const { return name.isEmpty() ? m_dir.path() : m_dir.filePath(name); }

void DbFolder::exec(const QString &sql)
{
    auto q = query(sql);
    q->ExecSQL();
}

std::unique_ptr<db::TQuery> DbFolder::query(const QString &sql)
{
    auto q = std::make_unique<db::TQuery>();
    q->SetDatabaseName(m_alias);
    q->SQL().SetText(sql);
    return q;
}

std::unique_ptr<db::TTable> DbFolder::table(const QString &name)
{
    auto t = std::make_unique<db::TTable>();
    t->SetDatabaseName(m_alias);
    t->SetTableName(name);
    return t;
}

QByteArray DbFolder::bytes(const QString &name) const
{
    QFile file(path(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void DbFolder::writeBytes(const QString &name, const QByteArray &bytes) const
{
    QFile file(path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}
