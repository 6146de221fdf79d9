#pragma once
// What kind of data file a name is, by its extension in any case.

#include <QString>

enum class TDataFileKind { Text, DBase, Paradox, Other };

/// ".csv" and ".txt" are text data, ".dbf" a dBASE table, ".db" a Paradox table.
TDataFileKind DataFileKind(const QString &fileName);

/// A dBASE or Paradox table.
inline bool IsTableFile(const QString &fileName)
{
    const TDataFileKind kind = DataFileKind(fileName);
    return kind == TDataFileKind::DBase || kind == TDataFileKind::Paradox;
}
