#include "WriteBack.h"

#include "TableData.h"

#include "platform/db/DataSet.h"
#include "platform/db/DatabaseError.h"

#include <algorithm>

namespace {

constexpr int kNamedRecords = 5;

QString namedFew(const QStringList &labels)
{
    QString text = labels.mid(0, kNamedRecords).join(QStringLiteral(", "));
    if (labels.size() > kNamedRecords)
        text += QStringLiteral(" and %1 more").arg(labels.size() - kNamedRecords);
    return text;
}

void cancelEdit(db::TDataSet &data)
{
    if (data.State() == db::dsEdit || data.State() == db::dsInsert)
        data.Cancel();
}

// The field's value as the file now holds it.
QVariant storedValue(db::TDataSet &data, db::TField &field, int recNo)
{
    data.SetRecNo(recNo);
    data.Edit(); // re-reads the record from the file
    const QVariant value = field.Value();
    data.Cancel();
    return value;
}

// Gives a record back its earlier value; true when the file holds it afterwards.
bool restore(db::TDataSet &data, db::TField &field, int recNo, const QVariant &earlier)
{
    try {
        if (storedValue(data, field, recNo) == earlier)
            return true;
        data.Edit();
        field.SetValue(earlier);
        data.Post();
    } catch (const rtl::Exception &) {
        cancelEdit(data);
        // A write cut short may still have put back every byte that had changed: look.
    }
    try {
        return storedValue(data, field, recNo) == earlier;
    } catch (const rtl::Exception &) {
        cancelEdit(data);
        return false;
    }
}

// Other programs keep off the table until the answer goes, and the writes reach it whole or
// not at all, even when the program is killed on the way.
std::unique_ptr<db::TableLock> beginWrites(db::TDataSet &data, const std::vector<TRecordWrite> &writes)
{
    auto lock = data.LockTable();
    std::vector<int> recNos;
    recNos.reserve(writes.size());
    for (const TRecordWrite &write : writes)
        recNos.push_back(write.RecNo);
    data.BeginChanges(recNos);
    return lock;
}

} // namespace

QString SortedClassLetters(const TAnalysis &analysis, int item)
{
    QString letters;
    const int count = analysis.ItemValueCount(item);
    for (int j = 0; j < count; ++j)
        letters += analysis.ClassLetter(item, j);
    std::sort(letters.begin(), letters.end());
    return letters;
}

std::vector<TRecordWrite> ClassificationWrites(const TAnalysis &analysis)
{
    std::vector<TRecordWrite> writes;
    writes.reserve(size_t(analysis.ItemCount()));
    for (int i = 0; i < analysis.ItemCount(); ++i)
        writes.push_back({i + 1, SortedClassLetters(analysis, i), analysis.Items()[size_t(i)].Id});
    return writes;
}

QString RecordsChangedSinceRead(db::TDataSet &data, const QString &idField, const TAnalysis &analysis,
                                const QString &source)
{
    const QString again = QStringLiteral(" Read the table again.");
    const db::TField *id = data.FindField(idField);
    if (!id)
        return QStringLiteral("the query on %1 has no field %2 any more.").arg(source, idField) + again;
    if (data.RecordCount() != analysis.ItemCount())
        return QStringLiteral("the query on %1 now selects %2 records, but %3 were read into the data items.")
                   .arg(source)
                   .arg(data.RecordCount())
                   .arg(analysis.ItemCount())
               + again;
    for (int row = 0; row < analysis.ItemCount(); ++row) {
        const QString held = FieldText(data.RowValue(row, id->FieldNo() - 1));
        const QString &read = analysis.Items()[size_t(row)].Id;
        if (held != read)
            return QStringLiteral("record %1 of the query on %2 holds the %3 %4, but the data item read from it has the %3 %5.")
                       .arg(row + 1)
                       .arg(source, idField, held, read)
                   + again;
    }
    return {};
}

std::vector<TRecordWrite> EveryRecordWrites(db::TDataSet &data, const QVariant &value)
{
    const db::TField *id = data.FindField(QStringLiteral("ID"));
    const int count = data.RecordCount();
    std::vector<TRecordWrite> writes(static_cast<size_t>(count));
    for (int r = 0; r < count; ++r) {
        TRecordWrite &write = writes[size_t(r)];
        write.RecNo = r + 1;
        write.Value = value;
        write.Label = id ? data.RowValue(r, id->FieldNo() - 1).toString() : QStringLiteral("#%1").arg(r + 1);
    }
    return writes;
}

TWriteOutcome WriteFieldValues(db::TDataSet &data, const QString &fieldName, const std::vector<TRecordWrite> &writes)
{
    TWriteOutcome outcome;
    db::TField &field = *data.FieldByName(fieldName);
    std::unique_ptr<db::TableLock> lock;
    try {
        lock = beginWrites(data, writes);
    } catch (const rtl::Exception &error) {
        outcome.Failed = true;
        outcome.Error = error.Message();
        return outcome;
    }
    std::vector<QVariant> earlier;
    earlier.reserve(writes.size());
    size_t failed = writes.size();
    for (size_t i = 0; i < writes.size(); ++i) {
        try {
            data.SetRecNo(writes[i].RecNo);
            data.Edit();
            earlier.push_back(field.Value());
            field.SetValue(writes[i].Value);
            data.Post();
        } catch (const rtl::Exception &error) {
            cancelEdit(data);
            outcome.Failed = true;
            outcome.Error = error.Message();
            failed = i;
            break;
        }
    }
    if (!outcome.Failed) {
        try {
            data.CommitChanges();
            return outcome;
        } catch (const rtl::Exception &error) {
            outcome.Failed = true;
            outcome.Error = error.Message();
            failed = writes.size() - 1;
        }
    }
    try {
        data.RollbackChanges();
        return outcome;
    } catch (const rtl::Exception &) {
        // Record by record below.
    }
    // Undo, newest first; the failing record may hold part of its new value.
    for (size_t i = std::min(failed + 1, earlier.size()); i-- > 0;) {
        if (!restore(data, field, writes[i].RecNo, earlier[i]))
            outcome.Kept.prepend(writes[i].Label);
    }
    return outcome;
}

QString WriteFailureText(const QString &what, const TWriteOutcome &outcome)
{
    const QString reason = QStringLiteral("%1 could not be written: %2").arg(what, outcome.Error);
    if (outcome.Kept.isEmpty())
        return reason + QStringLiteral("\r\nNo record was changed.");
    return reason
           + QStringLiteral("\r\nThe earlier %1 could not be put back into %2 record(s), which keep the new one (ID %3); "
                            "every other record keeps its earlier %1.")
                 .arg(what)
                 .arg(outcome.Kept.size())
                 .arg(namedFew(outcome.Kept));
}
