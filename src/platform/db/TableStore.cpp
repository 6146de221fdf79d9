#include "platform/db/TableStore.h"

#include "platform/db/DbfTable.h"
#include "platform/db/ParadoxTable.h"

#include <QFileInfo>

namespace db {

std::unique_ptr<TableStore> OpenTableStore(const QString &path)
{
    if (QFileInfo(path).suffix().compare(QStringLiteral("db"), Qt::CaseInsensitive) == 0)
        return ParadoxTable::open(path);
    return DbfTable::open(path);
}

} // namespace db
