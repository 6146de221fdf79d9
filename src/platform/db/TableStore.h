#pragma once
// The common base of the table formats (dBASE, Paradox): a file of numbered record slots with a
// fixed list of fields. Datasets and the SQL engine reach every format only through it.

#include "platform/db/FieldType.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

namespace db {

/// One field of a table or of a query result.
struct FieldDef
{
    QString name;
    TFieldType type = ftUnknown;
    int size = 0;      ///< characters of a string, digits of a number, bytes of a byte field
    int decimals = 0;  ///< digits after the decimal point of a number
    char nativeType = 0; ///< the format's own type letter, such as 'N' in dBASE
};

/// Field values travel as QVariant: null, QString (strings, memos), double (floating numbers),
/// qlonglong (integers, and whole numbers of dBASE number fields without decimals), bool, QDate, QTime, QDateTime, QByteArray (bytes, blobs).
using Record = std::vector<QVariant>;

class TableStore
{
public:
    enum Capability { CanUpdate = 1, CanAppend = 2, CanDelete = 4 };

    virtual ~TableStore() = default;

    virtual QString path() const = 0;
    virtual const std::vector<FieldDef> &fields() const = 0;
    /// Optional operations this store supports; unsupported ones throw EDatabaseError.
    virtual int capabilities() const = 0;

    /// Number of record slots, deleted ones included, as the file now says.
    virtual int slotCount() = 0;
    /// True when slot `slot` holds a deleted record.
    virtual bool isDeleted(int slot) = 0;
    /// The value of field `field` in slot `slot`; null for a blank value.
    virtual QVariant value(int slot, int field) = 0;
    /// Drops any cached copy of the slot, so that the next read sees the file.
    virtual void reload(int slot) { (void)slot; }
    /// Hints that slots will be read in ascending order from now on.
    virtual void setSequential(bool sequential) { (void)sequential; }

    /// Throws EDatabaseError when a value of `values` (only those marked in `changed`, when
    /// given) cannot be stored; writes nothing.
    virtual void check(const Record &values, const std::vector<bool> *changed) = 0;
    /// Writes the fields marked in `changed` of slot `slot`; the others keep their stored bytes.
    /// Every value is checked before anything is written.
    virtual void update(int slot, const Record &values, const std::vector<bool> &changed) = 0;
    /// Appends a record (all fields; null for blank) and answers its slot.
    virtual int append(const Record &values) = 0;
    virtual void remove(int slot) = 0;

    /// Makes the writes up to `commitChanges` one change that reaches the files whole or not
    /// at all: `rollbackChanges` (and any failed write in between, for formats that can) puts
    /// the files back byte for byte as they were at `beginChanges`.
    /// The change under way is about to overwrite the records of the slots `overwritten`; formats that keep
    /// what a change overwrites save them at once.
    virtual void willOverwrite(std::vector<int> overwritten) { (void)overwritten; }
    /// A change is kept in a journal file beside the table until it is committed; a change
    /// that a killed process left unfinished is taken back when the table is next opened.
    virtual void beginChanges() {}
    virtual void commitChanges() {}
    virtual void rollbackChanges() {}
};

/// Called, when set, after each record write of a table (an update, an append, a delete):
/// lets tests stop a process at a chosen record of a change.
extern void (*AfterRecordWrite)();

/// Keeps a list of slots right after a record was added at `slot` to a store that held
/// `countBefore` slots: formats that fill gaps (Paradox) move the later records up by one.
void ShiftSlotsAfterAppend(std::vector<int> &recordSlots, int slot, int countBefore);
/// The same after the record at `slot` was removed and the store went from `countBefore` to
/// `countAfter` slots (formats that close gaps move later records down by one).
void ShiftSlotsAfterRemove(std::vector<int> &recordSlots, int slot, int countBefore, int countAfter);

/// Opens the table file at `path` as dBASE or Paradox by its extension (".db" is Paradox).
/// Throws EDatabaseError when it cannot be opened or is not a valid table.
std::unique_ptr<TableStore> OpenTableStore(const QString &path);

} // namespace db
