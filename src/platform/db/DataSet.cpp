#include "platform/db/DataSet.h"

#include "platform/db/Database.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/ValueConvert.h"

namespace db {

TDataSet::TDataSet() = default;

TDataSet::~TDataSet()
{
    // Subclasses close before their members go; this only unhooks from the database.
    detachDatabase();
}

void TDataSet::detachDatabase()
{
    if (m_database)
        m_database->detach(this);
    m_database = nullptr;
}

void TDataSet::SetDatabaseName(const QString &name)
{
    checkInactive("change the database of");
    m_databaseName = name;
}

void TDataSet::checkInactive(const char *what) const
{
    if (Active())
        throw EDatabaseError(QStringLiteral("Cannot %1 an open dataset").arg(QLatin1String(what)));
}

void TDataSet::checkActive() const
{
    if (!Active())
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

DatabaseContext TDataSet::context() const
{
    TDatabase *database = nullptr;
    return TDatabase::contextFor(m_databaseName, &database);
}

void TDataSet::Open()
{
    if (Active())
        return;
    TDatabase *database = nullptr;
    const DatabaseContext databaseContext = TDatabase::contextFor(m_databaseName, &database);
    m_source = OpenSource(databaseContext);
    m_database = database;
    if (m_database)
        m_database->attach(this);
    createFields();
    m_state = dsBrowse;
    m_indexes.clear();
    moveTo(0);
    m_bof = true;
}

void TDataSet::createFields()
{
    m_fields.clear();
    const auto &defs = m_source->fields();
    for (size_t i = 0; i < defs.size(); ++i)
        m_fields.add(std::make_unique<TField>(*this, int(i), defs[i], !m_source->canModify() || !m_source->fieldWritable(int(i))));
}

void TDataSet::Close()
{
    if (!Active())
        return;
    m_state = dsInactive;
    m_buffer.clear();
    m_changed.clear();
    m_indexes.clear();
    m_fields.clear();
    m_source.reset();
    detachDatabase();
    m_row = -1;
    m_eof = m_bof = true;
}

void TDataSet::moveTo(int row)
{
    const int count = m_source->rowCount();
    if (count == 0) {
        m_row = -1;
        m_eof = m_bof = true;
        return;
    }
    m_row = std::clamp(row, 0, count - 1);
    m_eof = m_bof = false;
}

void TDataSet::checkBrowseMode()
{
    checkActive();
    if (m_state == dsEdit || m_state == dsInsert) {
        if (std::find(m_changed.begin(), m_changed.end(), true) != m_changed.end())
            Post();
        else
            Cancel();
    }
}

void TDataSet::First()
{
    checkBrowseMode();
    moveTo(0);
    m_bof = true;
}

void TDataSet::Next()
{
    checkBrowseMode();
    if (m_row + 1 < m_source->rowCount()) {
        ++m_row;
        m_bof = false;
    } else {
        m_eof = true;
    }
}

void TDataSet::Prior()
{
    checkBrowseMode();
    if (m_row > 0) {
        --m_row;
        m_eof = false;
    } else {
        m_bof = true;
    }
}

void TDataSet::Last()
{
    checkBrowseMode();
    moveTo(m_source->rowCount() - 1);
    m_eof = true;
}

bool TDataSet::IsEmpty() const
{
    checkActive();
    return m_source->rowCount() == 0;
}

int TDataSet::RecordCount() const
{
    checkActive();
    return m_source->rowCount();
}

int TDataSet::RecNo() const
{
    checkActive();
    return m_state == dsInsert ? 0 : m_row + 1;
}

void TDataSet::SetRecNo(int number)
{
    checkBrowseMode();
    moveTo(number - 1);
}

TField *TDataSet::FindField(const QString &name) { return m_fields.FindField(name); }

TField *TDataSet::FieldByName(const QString &name)
{
    TField *field = m_fields.FindField(name);
    if (!field)
        throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(name));
    return field;
}

void TDataSet::GetFieldNames(rtl::TStringList &names)
{
    names.Clear();
    if (!Active())
        throw EDatabaseError(QStringLiteral("The dataset is not open"));
    for (int i = 0; i < m_fields.Count(); ++i)
        names.Add(m_fields[i].FieldName());
}

bool TDataSet::CanModify() const { return Active() && m_source->canModify(); }

void TDataSet::Edit()
{
    checkActive();
    if (m_state == dsEdit || m_state == dsInsert)
        return;
    if (!m_source->canModify())
        throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    if (m_source->rowCount() == 0) {
        Append();
        return;
    }
    m_source->reload(m_row);
    const int count = int(m_source->fields().size());
    m_buffer.assign(size_t(count), QVariant());
    for (int i = 0; i < count; ++i)
        m_buffer[size_t(i)] = m_source->value(m_row, i);
    m_changed.assign(size_t(count), false);
    m_state = dsEdit;
}

void TDataSet::Append()
{
    checkBrowseMode();
    if (!m_source->canModify())
        throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    const size_t count = m_source->fields().size();
    m_buffer.assign(count, QVariant());
    m_changed.assign(count, false);
    m_state = dsInsert;
    m_eof = m_bof = false;
}

void TDataSet::Post()
{
    checkActive();
    if (m_state == dsEdit) {
        if (std::find(m_changed.begin(), m_changed.end(), true) != m_changed.end()) {
            m_source->update(m_row, m_buffer, m_changed);
            for (size_t i = 0; i < m_changed.size(); ++i)
                if (m_changed[i])
                    m_indexes.erase(int(i));
        }
    } else if (m_state == dsInsert) {
        const int row = m_source->append(m_buffer, m_changed);
        for (auto &[field, index] : m_indexes)
            index.addRow(row, m_source->value(row, field));
        m_row = row;
    } else {
        throw EDatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    }
    m_state = dsBrowse;
    m_buffer.clear();
    m_changed.clear();
    m_eof = m_bof = false;
}

void TDataSet::Cancel()
{
    checkActive();
    if (m_state == dsInsert)
        moveTo(m_row);
    m_state = dsBrowse;
    m_buffer.clear();
    m_changed.clear();
}

void TDataSet::Delete()
{
    checkActive();
    if (m_state == dsInsert) {
        Cancel();
        return;
    }
    Cancel();
    if (m_source->rowCount() == 0)
        throw EDatabaseError(QStringLiteral("Cannot delete from an empty dataset"));
    if (!m_source->canModify())
        throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    m_source->remove(m_row);
    m_indexes.clear();
    moveTo(m_row);
}

void TDataSet::Refresh()
{
    checkBrowseMode();
    const int row = m_row;
    m_source = OpenSource(context());
    m_indexes.clear();
    createFields();
    moveTo(row);
}

bool TDataSet::Locate(const QString &fieldName, const QVariant &value)
{
    checkBrowseMode();
    const TField *field = FieldByName(fieldName);
    const int index = field->FieldNo() - 1;
    const TFieldType type = field->DataType();
    QVariant key;
    try {
        key = ConvertValue(value, type);
    } catch (const rtl::Exception &) {
        return false; // a value the field cannot hold matches no record
    }
    std::optional<int> row;
    if (LocateIndex::supports(type) && !key.isNull()) {
        auto found = m_indexes.find(index);
        if (found == m_indexes.end())
            found = m_indexes.emplace(index, LocateIndex(type, m_source->rowCount(), [&](int r) { return m_source->value(r, index); })).first;
        row = found->second.find(key);
    } else {
        for (int r = 0; r < m_source->rowCount() && !row; ++r)
            if (m_source->value(r, index) == key)
                row = r;
    }
    if (!row)
        return false;
    moveTo(*row);
    return true;
}

QVariant TDataSet::fieldValue(int index) const
{
    checkActive();
    if (m_state == dsEdit || m_state == dsInsert)
        return m_buffer[size_t(index)];
    if (m_row < 0)
        return {};
    return m_source->value(m_row, index);
}

void TDataSet::setFieldValue(int index, const QVariant &value)
{
    checkActive();
    if (m_state != dsEdit && m_state != dsInsert)
        throw EDatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    const TField &field = m_fields[index];
    if (field.ReadOnly())
        throw EDatabaseError(QStringLiteral("Field '%1' cannot be modified").arg(field.FieldName()));
    m_buffer[size_t(index)] = value;
    m_changed[size_t(index)] = true;
}

std::unique_ptr<TableLock> TDataSet::LockTable()
{
    checkActive();
    TableStore *store = m_source->store();
    return store ? std::make_unique<TableLock>(store->path(), TableLock::Exclusive) : nullptr;
}

void TDataSet::BeginChanges(const std::vector<int> &recNos)
{
    checkActive();
    TableStore *store = m_source->store();
    if (!store)
        return;
    store->beginChanges();
    std::vector<int> overwritten;
    overwritten.reserve(recNos.size());
    for (const int recNo : recNos)
        if (recNo >= 1 && recNo <= m_source->rowCount())
            overwritten.push_back(m_source->slotOf(recNo - 1));
    store->willOverwrite(std::move(overwritten));
}

void TDataSet::CommitChanges()
{
    checkActive();
    if (TableStore *store = m_source->store())
        store->commitChanges();
}

void TDataSet::RollbackChanges()
{
    checkActive();
    if (TableStore *store = m_source->store())
        store->rollbackChanges();
}

QVariant TDataSet::RowValue(int row, int field) const
{
    checkActive();
    if (row < 0 || row >= m_source->rowCount() || field < 0 || field >= int(m_source->fields().size()))
        return {};
    return m_source->value(row, field);
}

} // namespace db
