#include "platform/db/TableFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace db {
namespace {

QHash<QString, int> &usage()
{
    static QHash<QString, int> counts;
    return counts;
}

} // namespace

QString tableFileKey(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

std::optional<QString> findFileIgnoringCase(const QString &folder, const QString &name)
{
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    if (QFileInfo(dir.filePath(name)).isFile())
        return QDir::cleanPath(dir.absoluteFilePath(name));
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return QDir::cleanPath(dir.absoluteFilePath(entry));
    return std::nullopt;
}

TablePath resolveTable(const QString &folder, const QString &name, const QString &defaultExtension)
{
    QString fileName = name.trimmed();
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += defaultExtension;
    const QFileInfo given(fileName);
    const QString base = given.isAbsolute() ? given.absolutePath()
                                            : QDir(folder.isEmpty() ? QStringLiteral(".") : folder).absoluteFilePath(given.path());
    TablePath result;
    if (const auto found = findFileIgnoringCase(base, given.fileName())) {
        result.path = *found;
        result.exists = true;
    } else {
        result.path = QDir::cleanPath(base + QLatin1Char('/') + given.fileName());
    }
    result.paradox = QFileInfo(result.path).suffix().compare(QStringLiteral("db"), Qt::CaseInsensitive) == 0;
    return result;
}

QStringList tableFiles(const QString &path)
{
    const QFileInfo info(path);
    QStringList files;
    if (info.exists())
        files << info.absoluteFilePath();
    const bool paradox = info.suffix().compare(QStringLiteral("db"), Qt::CaseInsensitive) == 0;
    const QStringList companions = paradox ? QStringList{QStringLiteral(".mb"), QStringLiteral(".px")}
                                           : QStringList{QStringLiteral(".dbt")};
    for (const QString &extension : companions)
        if (const auto found = findFileIgnoringCase(info.absolutePath(), info.completeBaseName() + extension))
            files << *found;
    return files;
}

TableInUse::TableInUse(QString path) : m_key(tableFileKey(path)) { ++usage()[m_key]; }

TableInUse::~TableInUse()
{
    auto &counts = usage();
    if (--counts[m_key] <= 0)
        counts.remove(m_key);
}

bool TableInUse::isInUse(const QString &path) { return usage().value(tableFileKey(path)) > 0; }

} // namespace db
