#pragma once
// Writing results of the analysis back into the records of a live dataset: the class letters
// of each item, one value for every record, and the undoing of a write that fails part-way.

#include "Analysis.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace db {
class TDataSet;
}

/// The class letters of item `item`'s values in ascending order, repeats kept ("ABB" for
/// classes B, A, B); '?' for an entry the analysis cannot name.
QString SortedClassLetters(const TAnalysis &analysis, int item);

/// A value for the record at `RecNo` (from 1); `Label` names the record in messages.
struct TRecordWrite
{
    int RecNo = 0;
    QVariant Value;
    QString Label;
};

/// How a write went. After a failure every record written before it has been given back its
/// earlier value as far as the file allowed; `Kept` lists the records that still hold the new one.
struct TWriteOutcome
{
    bool Failed = false;
    /// The layer's reason for the failure.
    QString Error;
    /// Labels of the records that hold the new value after a failure (none when all were undone).
    QStringList Kept;
};

/// Writes each value into field `fieldName` of its record, in order. A record is edited, given
/// its value and posted; when one fails (a value the field cannot hold, a file that cannot be
/// written), the records written so far and the failing one are set back to their earlier
/// values, newest first, and each is read back to see whether it was. `data` must be open and live.
TWriteOutcome WriteFieldValues(db::TDataSet &data, const QString &fieldName, const std::vector<TRecordWrite> &writes);

/// Per data item, its sorted class letters for the record it was read from: item i came from
/// record i + 1 of the read. Labelled by the items' IDs.
std::vector<TRecordWrite> ClassificationWrites(const TAnalysis &analysis);

/// Whether `data` (the read's statement, open again) still holds the records the items were
/// read from: as many records as items, record i + 1 holding in field `idField` the identifier
/// item i was read with. Answers '' when it does, else why not, in words that follow
/// "CLAS was not written: "; `source` names the table in them.
QString RecordsChangedSinceRead(db::TDataSet &data, const QString &idField, const TAnalysis &analysis,
                                const QString &source);

/// `value` for every record of `data` (open), labelled by the record's "ID" field where there
/// is one, else by its number.
std::vector<TRecordWrite> EveryRecordWrites(db::TDataSet &data, const QVariant &value);

/// The sentence after a failed write of `what` (such as "CLAS"): the reason, then either that no
/// record was changed or which records keep the new value.
QString WriteFailureText(const QString &what, const TWriteOutcome &outcome);
