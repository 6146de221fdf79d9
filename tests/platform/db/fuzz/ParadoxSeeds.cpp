// Seed inputs of the Paradox fuzz target: tables the layer writes, empty, small, spanning
// several blocks, and with gaps left by removed records.

#include "FuzzSeeds.h"

#include "platform/db/ParadoxTable.h"

#include <QDate>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

QByteArray tableWith(const QTemporaryDir &dir, int records, int removed)
{
    const QString path = dir.filePath(QStringLiteral("seed%1-%2.db").arg(records).arg(removed));
    std::vector<db::FieldDef> fields(6);
    fields[0] = {QStringLiteral("ID"), db::ftInteger};
    fields[1] = {QStringLiteral("NAME"), db::ftString, 12};
    fields[2] = {QStringLiteral("X"), db::ftFloat};
    fields[3] = {QStringLiteral("BORN"), db::ftDate};
    fields[4] = {QStringLiteral("OK"), db::ftBoolean};
    fields[5] = {QStringLiteral("N"), db::ftSmallint};
    db::ParadoxTable::create(path, fields);
    {
        auto table = db::ParadoxTable::open(path);
        for (int i = 0; i < records; ++i)
            table->append({qlonglong(i), QStringLiteral("name %1").arg(i), i / 3.0, QDate(2000, 1, 1).addDays(i),
                           i % 2 == 0, i % 7 == 0 ? QVariant() : QVariant(qlonglong(i % 100))});
        for (int i = 0; i < removed; ++i)
            table->remove(i * 2);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    return file.readAll();
}

} // namespace

std::vector<QByteArray> FuzzSeeds()
{
    QTemporaryDir dir;
    if (!dir.isValid())
        std::abort();
    return {tableWith(dir, 0, 0), tableWith(dir, 3, 0), tableWith(dir, 150, 0), tableWith(dir, 150, 40)};
}
