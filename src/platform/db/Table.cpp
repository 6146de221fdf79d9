#include "platform/db/Table.h"

#include "platform/db/Database.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/TableFiles.h"

#include <QFileInfo>

namespace db {
namespace {

class TableSource final : public TDataSet::RowSource
{
public:
    explicit TableSource(const QString &path) : m_inUse(path), m_store(OpenTableStore(path))
    {
        const int count = m_store->slotCount();
        m_store->setSequential(true);
        m_slots.reserve(size_t(count));
        for (int slot = 0; slot < count; ++slot)
            if (!m_store->isDeleted(slot))
                m_slots.push_back(slot);
    }

    const std::vector<FieldDef> &fields() const override { return m_store->fields(); }
    bool fieldWritable(int) const override { return true; }
    int rowCount() const override { return int(m_slots.size()); }
    QVariant value(int row, int field) override { return m_store->value(m_slots[size_t(row)], field); }
    bool canModify() const override
    {
        return (m_store->capabilities() & (TableStore::CanUpdate | TableStore::CanAppend)) != 0;
    }
    void reload(int row) override { m_store->reload(m_slots[size_t(row)]); }
    void update(int row, const Record &values, const std::vector<bool> &changed) override
    {
        m_store->update(m_slots[size_t(row)], values, changed);
    }
    int append(const Record &values, const std::vector<bool> &) override
    {
        const int before = m_store->slotCount();
        const int slot = m_store->append(values);
        ShiftSlotsAfterAppend(m_slots, slot, before);
        m_slots.push_back(slot);
        return int(m_slots.size()) - 1;
    }
    void remove(int row) override
    {
        const int slot = m_slots[size_t(row)];
        const int before = m_store->slotCount();
        m_store->remove(slot);
        m_slots.erase(m_slots.begin() + row);
        ShiftSlotsAfterRemove(m_slots, slot, before, m_store->slotCount());
    }
    TableStore *store() override { return m_store.get(); }
    int slotOf(int row) const override { return m_slots[size_t(row)]; }

private:
    TableInUse m_inUse;
    std::unique_ptr<TableStore> m_store;
    std::vector<int> m_slots;
};

} // namespace

TTable::~TTable() { Close(); }

void TTable::SetTableName(const QString &name)
{
    checkInactive("rename");
    m_tableName = name;
}

QString TTable::tablePath(const DatabaseContext &context) const
{
    if (m_tableName.trimmed().isEmpty())
        throw EDatabaseError(QStringLiteral("No table name given"));
    const TablePath table = resolveTable(context.folder, m_tableName, context.defaultExtension);
    if (!table.exists)
        throw EDatabaseError(QStringLiteral("Table does not exist: %1").arg(table.path));
    return table.path;
}

std::unique_ptr<TDataSet::RowSource> TTable::OpenSource(const DatabaseContext &context)
{
    return std::make_unique<TableSource>(tablePath(context));
}

void TTable::GetFieldNames(rtl::TStringList &names)
{
    if (Active()) {
        TDataSet::GetFieldNames(names);
        return;
    }
    names.Clear();
    const auto store = OpenTableStore(tablePath(context()));
    for (const FieldDef &field : store->fields())
        names.Add(field.name);
}

} // namespace db
