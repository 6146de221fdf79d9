// The table the journal fuzz target's journals lie beside, written by the layer itself.

#include "JournalTable.h"

#include "platform/db/DbfTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    return file.readAll();
}

} // namespace

const JournalTableFiles &JournalTable()
{
    static const JournalTableFiles files = [] {
        QTemporaryDir folder;
        const QString path = QDir(folder.path()).filePath(QStringLiteral("t.dbf"));
        std::vector<db::FieldDef> fields{{QStringLiteral("NAME"), db::ftUnknown, 8, 0, 'C'},
                                         {QStringLiteral("NOTE"), db::ftUnknown, 10, 0, 'M'}};
        for (auto &field : fields)
            field = db::DbfTable::checkedField(field);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(db::DbfTable::newTableImage(fields)) < 0)
            std::abort();
        file.close();
        db::DbfTable::createMemoFile(QDir(folder.path()).filePath(QStringLiteral("t.dbt")), QStringLiteral("t.dbf"));
        {
            auto table = db::DbfTable::open(path);
            table->append({QStringLiteral("one"), QStringLiteral("first memo")});
            table->append({QStringLiteral("two"), QStringLiteral("second memo")});
        }
        return JournalTableFiles{readAll(path), readAll(QDir(folder.path()).filePath(QStringLiteral("t.dbt")))};
    }();
    return files;
}

