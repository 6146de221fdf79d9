#include "platform/db/TableStore.h"

#include "platform/db/DbfTable.h"
#include "platform/db/ParadoxTable.h"

#include <QFileInfo>

namespace db {

void (*AfterRecordWrite)() = nullptr;

void ShiftSlotsAfterAppend(std::vector<int> &recordSlots, int slot, int countBefore)
{
    if (slot < countBefore)
        for (int &other : recordSlots)
            if (other >= slot)
                ++other;
}

void ShiftSlotsAfterRemove(std::vector<int> &recordSlots, int slot, int countBefore, int countAfter)
{
    if (countAfter < countBefore)
        for (int &other : recordSlots)
            if (other > slot)
                --other;
}

std::unique_ptr<TableStore> OpenTableStore(const QString &path)
{
    if (QFileInfo(path).suffix().compare(QStringLiteral("db"), Qt::CaseInsensitive) == 0)
        return ParadoxTable::open(path);
    return DbfTable::open(path);
}

} // namespace db
