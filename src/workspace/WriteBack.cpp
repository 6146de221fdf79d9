#include "WriteBack.h"

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

std::vector<std::pair<QVariant, TRecordWrite>> ClassificationWrites(const TAnalysis &analysis)
{
    std::vector<std::pair<QVariant, TRecordWrite>> keyed;
    keyed.reserve(size_t(analysis.ItemCount()));
    for (int i = 0; i < analysis.ItemCount(); ++i) {
        const QString &id = analysis.Items()[size_t(i)].Id;
        TRecordWrite write;
        write.Value = SortedClassLetters(analysis, i);
        write.Label = id;
        keyed.emplace_back(QVariant(rtl::StrToInt(id)), std::move(write));
    }
    return keyed;
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
    // Other programs keep off the table meanwhile, and the writes reach it whole or not at all.
    std::unique_ptr<db::TableLock> lock;
    try {
        lock = data.LockTable();
        std::vector<int> recNos;
        recNos.reserve(writes.size());
        for (const TRecordWrite &write : writes)
            recNos.push_back(write.RecNo);
        data.BeginChanges(recNos);
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

std::vector<TRecordWrite> LocateRecords(db::TDataSet &data, const QString &keyField,
                                        const std::vector<std::pair<QVariant, TRecordWrite>> &keyed, QStringList &missing)
{
    std::vector<TRecordWrite> located;
    located.reserve(keyed.size());
    for (const auto &[key, write] : keyed) {
        if (!data.Locate(keyField, key)) {
            missing << write.Label;
            continue;
        }
        located.push_back(write);
        located.back().RecNo = data.RecNo();
    }
    return located;
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

QString SkippedItemsText(const QString &what, const QStringList &ids)
{
    return QStringLiteral("%1 was not written for %2 data item(s) whose ID is in no record: %3")
        .arg(what)
        .arg(ids.size())
        .arg(namedFew(ids));
}
