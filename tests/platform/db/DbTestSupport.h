#pragma once
// A temporary folder of tables behind a connected database, for the database layer's tests.

#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *out) { *out << '"' << text.toStdString() << '"'; }

class DbFolder
{
public:
    explicit DbFolder(const QString &alias = QStringLiteral("testdb"));

    QString path(const QString &name = QString()) const;
    db::TDatabase &database() { return *m_database; }
    const QString &alias() const { return m_alias; }

    /// Runs a statement as a command on the folder's database.
    void exec(const QString &sql);
    /// A new query on the folder's database with `sql` as its statement (not opened).
    std::unique_ptr<db::TQuery> query(const QString &sql);
    /// A new table on the folder's database (not opened).
    std::unique_ptr<db::TTable> table(const QString &name);
    /// The bytes of a file of the folder.
    QByteArray bytes(const QString &name) const;
    void writeBytes(const QString &name, const QByteArray &bytes) const;

private:
    QTemporaryDir m_dir;
    QString m_alias;
    std::unique_ptr<db::TDatabase> m_database;
};

/// Builds the bytes of a dBASE file by hand, for files our writer never makes (dBASE IV
/// memos, other code pages, damaged headers).
struct DbfImage
{
    struct Field
    {
        const char *name;
        char type;
        int length;
        int decimals = 0;
    };
    uint8_t version = 0x03;
    uint8_t languageDriver = 0x57;
    std::vector<Field> fields;
    std::vector<QByteArray> records; ///< each with its deletion flag in front

    QByteArray bytes() const;
};

/// A dBASE IV memo file with `blockSize`-byte blocks holding `texts` from block 1 on; the
/// block numbers of the texts are returned in `blocks`.
QByteArray dBase4Memo(int blockSize, const std::vector<QByteArray> &texts, std::vector<int> &blocks);
