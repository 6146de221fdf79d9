#include "platform/db/Query.h"

#include "platform/db/Database.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/SqlEngine.h"
#include "platform/db/SqlLexer.h"
#include "platform/db/TableFiles.h"
#include "platform/db/ValueConvert.h"

namespace db {
namespace {

// The rows of a result, read completely. A live result also writes through to the records of
// its table.
class ResultSource final : public TDataSet::RowSource
{
public:
    ResultSource(SqlResult result, bool live) : m_result(std::move(result)), m_live(live)
    {
        for (const auto &column : m_result.columns)
            m_fields.push_back(column.def);
        if (!m_result.liveTable.isEmpty()) {
            m_inUse = std::make_unique<TableInUse>(m_result.liveTable);
            m_store = OpenTableStore(m_result.liveTable);
            m_store->setSequential(true);
        }
    }

    const std::vector<FieldDef> &fields() const override { return m_fields; }
    bool fieldWritable(int field) const override { return m_result.columns[size_t(field)].tableField >= 0; }
    int rowCount() const override { return int(m_result.byRecord ? m_result.recordSlots.size() : m_result.rows.size()); }
    QVariant value(int row, int field) override
    {
        if (m_result.byRecord)
            return m_store->value(m_result.recordSlots[size_t(row)], m_result.columns[size_t(field)].tableField);
        return m_result.rows[size_t(row)][size_t(field)];
    }
    bool canModify() const override
    {
        return m_live && m_store && (m_store->capabilities() & (TableStore::CanUpdate | TableStore::CanAppend)) != 0;
    }
    void reload(int row) override
    {
        m_store->reload(m_result.recordSlots[size_t(row)]);
        readBack(row);
    }
    void update(int row, const Record &values, const std::vector<bool> &changed) override
    {
        Record record(m_store->fields().size());
        std::vector<bool> tableChanged(record.size(), false);
        for (size_t i = 0; i < values.size(); ++i) {
            const int field = m_result.columns[i].tableField;
            if (changed[i] && field >= 0) {
                record[size_t(field)] = values[i];
                tableChanged[size_t(field)] = true;
            }
        }
        m_store->update(m_result.recordSlots[size_t(row)], record, tableChanged);
        readBack(row);
    }
    int append(const Record &values, const std::vector<bool> &) override
    {
        Record record(m_store->fields().size());
        for (size_t i = 0; i < values.size(); ++i)
            if (const int field = m_result.columns[i].tableField; field >= 0)
                record[size_t(field)] = values[i];
        const int before = m_store->slotCount();
        const int slot = m_store->append(record);
        ShiftSlotsAfterAppend(m_result.recordSlots, slot, before);
        m_result.recordSlots.push_back(slot);
        if (!m_result.byRecord)
            m_result.rows.emplace_back(m_fields.size());
        const int row = int(m_result.recordSlots.size()) - 1;
        readBack(row);
        return row;
    }
    void remove(int row) override
    {
        const int slot = m_result.recordSlots[size_t(row)];
        const int before = m_store->slotCount();
        m_store->remove(slot);
        m_result.recordSlots.erase(m_result.recordSlots.begin() + row);
        ShiftSlotsAfterRemove(m_result.recordSlots, slot, before, m_store->slotCount());
        if (!m_result.byRecord)
            m_result.rows.erase(m_result.rows.begin() + row);
    }

    TableStore *store() override { return m_live ? m_store.get() : nullptr; }
    int slotOf(int row) const override { return m_result.recordSlots[size_t(row)]; }

private:
    // The row shows what the file now holds (numbers as rounded to their field, for instance).
    void readBack(int row)
    {
        if (m_result.byRecord)
            return;
        const int slot = m_result.recordSlots[size_t(row)];
        for (size_t i = 0; i < m_fields.size(); ++i)
            if (const int field = m_result.columns[i].tableField; field >= 0)
                m_result.rows[size_t(row)][i] = m_store->value(slot, field);
    }

    SqlResult m_result;
    bool m_live;
    std::vector<FieldDef> m_fields;
    std::unique_ptr<TableInUse> m_inUse;
    std::unique_ptr<TableStore> m_store;
};

} // namespace

TQuery::~TQuery() { Close(); }

void TQuery::SetRequestLive(bool live)
{
    checkInactive("change the live request of");
    m_requestLive = live;
}

QString TQuery::statementText() { return m_sql.Text(); }

TParams &TQuery::Params()
{
    // Lines shared with the copy taken at the last parse compare equal at once; the statement
    // is parsed again only when it was changed.
    const QStringList &lines = std::as_const(m_sql).Lines();
    if (!m_paramsBuilt || lines != m_paramsLines) {
        m_params.rebuild(SqlParameterNames(statementText()));
        m_paramsLines = lines;
        m_paramsBuilt = true;
    }
    return m_params;
}

std::vector<std::pair<QString, QVariant>> TQuery::boundParams()
{
    TParams &params = Params();
    std::vector<std::pair<QString, QVariant>> values;
    for (int i = 0; i < params.Count(); ++i) {
        const TParam &param = params[i];
        if (!param.Bound())
            throw EDatabaseError(QStringLiteral("No value for parameter '%1'").arg(param.Name()));
        values.emplace_back(param.Name(), param.Value());
    }
    return values;
}

void TQuery::Prepare()
{
    const QString text = statementText();
    Params();
    context().engine->check(text);
    m_prepared = true;
    m_preparedText = text;
}

void TQuery::ExecSQL()
{
    const QString text = statementText();
    m_rowsAffected = context().engine->execute(text, boundParams());
}

std::unique_ptr<TDataSet::RowSource> TQuery::OpenSource(const DatabaseContext &context)
{
    const QString text = statementText();
    if (text.trimmed().isEmpty())
        throw EDatabaseError(QStringLiteral("The query has no statement"));
    return std::make_unique<ResultSource>(context.engine->select(text, boundParams(), m_requestLive), m_requestLive);
}

} // namespace db
