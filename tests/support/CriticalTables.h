#pragma once
// Fresh copies of the empty critical-value tables the build makes, for tests and benchmarks that
// must not touch the tables beside the program.

#include <QDir>
#include <QFile>

/// Copies the four empty tables from `emptyTablesFolder` into `target`; answers whether all arrived.
inline bool CopyEmptyCriticalTables(const QString &emptyTablesFolder, const QDir &target)
{
    bool all = true;
    for (const char *table : {"Regular.dbf", "Normal.dbf", "chi-quadrat.dbf", "t.dbf"}) {
        const QString name = QLatin1String(table);
        all = QFile::copy(QDir(emptyTablesFolder).filePath(name), target.filePath(name)) && all;
    }
    return all;
}
