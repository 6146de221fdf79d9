#include "SqlTemplates.h"

#include "platform/rtl/SysUtils.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString withSeparator(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace

QStringList SqlTemplateLines(TSqlTemplate kind, const QString &tableName)
{
    const QString table = rtl::QuotedStr(tableName);
    switch (kind) {
    case TSqlTemplate::CreateTable:
        return {QStringLiteral("CREATE TABLE 'new_table.dbf'"), QStringLiteral("("), QStringLiteral(")")};
    case TSqlTemplate::AlterTable:
        return {QStringLiteral("ALTER TABLE ") + table};
    case TSqlTemplate::DropTable:
        return {QStringLiteral("DROP TABLE ") + table};
    case TSqlTemplate::CreateIndex:
        return {QStringLiteral("CREATE INDEX _indexname_ ON ") + table + QStringLiteral(" (_fields_)")};
    case TSqlTemplate::DropIndex:
        return {QStringLiteral("DROP INDEX ") + table + QStringLiteral("._indexname_")};
    case TSqlTemplate::Delete:
        return {QStringLiteral("DELETE FROM ") + table, QStringLiteral("WHERE _conditions_")};
    case TSqlTemplate::Insert:
        return {QStringLiteral("INSERT INTO ") + table, QStringLiteral("(_columns_list_)"), QStringLiteral("VALUES ")};
    case TSqlTemplate::Update:
        return {QStringLiteral("UPDATE ") + table, QStringLiteral("SET "), QStringLiteral("WHERE _conditions_")};
    }
    return {};
}

QString FolderOf(const QString &fileName)
{
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : fileName.left(slash + 1);
}

QString TableNameFor(const QString &directory, const QString &chosenFile)
{
    const QString folder = FolderOf(chosenFile);
    const bool sameFolder = !directory.isEmpty()
                            && withSeparator(QDir::cleanPath(directory)) == withSeparator(QDir::cleanPath(folder));
    return sameFolder ? QFileInfo(chosenFile).fileName() : chosenFile;
}
