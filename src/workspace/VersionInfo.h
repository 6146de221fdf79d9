#pragma once
// The program's version entries, written into it by the build: the ten named texts that the
// about box lists.

#include <QString>
#include <QStringList>

#include <map>

struct TVersionInfo
{
    /// False for a program built without version entries.
    bool Present = false;
    std::map<QString, QString> Entries;

    /// The text of `key`; empty when absent.
    QString Value(const QString &key) const;
};

/// The ten keys of the version entries in the order the about box lists them.
const QStringList &VersionKeys();

/// The entries of this build: company, description, file and product version (from the CMake
/// project version), names, copyright, comments.
TVersionInfo ProgramVersionInfo();
