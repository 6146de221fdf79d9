#pragma once
// The base of tables and queries: a cursor over records with fields, and the editing of the
// current record (Edit/Append ... Post or Cancel).

#include "platform/db/Field.h"
#include "platform/db/LocateIndex.h"
#include "platform/db/TableLock.h"
#include "platform/db/TableStore.h"

#include "platform/rtl/StringList.h"

#include <QString>
#include <QVariant>

#include <map>
#include <memory>
#include <vector>

namespace db {

class TDatabase;
struct DatabaseContext;

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

class TDataSet
{
public:
    virtual ~TDataSet();
    TDataSet(const TDataSet &) = delete;
    TDataSet &operator=(const TDataSet &) = delete;

    /// The alias of the database the dataset uses; '' means file names are full paths (or
    /// relative to the current folder).
    const QString &DatabaseName() const { return m_databaseName; }
    void SetDatabaseName(const QString &name);

    /// Opening reads the records; it throws EDatabaseError and leaves the dataset closed when
    /// the table or statement cannot be opened. Closing discards an edit not yet posted.
    void Open();
    void Close();
    bool Active() const { return m_state != dsInactive; }
    void SetActive(bool active) { active ? Open() : Close(); }
    TDataSetState State() const { return m_state; }

    /// Moving posts a pending edit first (or drops it when nothing was changed).
    void First();
    void Next();
    void Prior();
    void Last();
    /// True after Next on the last record, and on an empty dataset.
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }
    bool IsEmpty() const;
    int RecordCount() const;
    /// Number of the current record, from 1; 0 when there is none.
    int RecNo() const;
    void SetRecNo(int number);

    TFields &Fields() { return m_fields; }
    /// Throws EDatabaseError when the dataset has no field `name` (letter case ignored).
    TField *FieldByName(const QString &name);
    TField *FindField(const QString &name);
    /// Fills `names` with the field names; a closed table reads them from its file.
    virtual void GetFieldNames(rtl::TStringList &names);

    /// Edit on an empty dataset starts a new record, as Append does.
    void Edit();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    /// Reads the records again and stays at the same record number where possible.
    void Refresh();
    bool CanModify() const;

    /// Makes the first record whose field `fieldName` equals `value` current; false (and the
    /// cursor unchanged) when there is none. Repeated searches on a field use an index built
    /// on the first search and kept up to date by Post.
    bool Locate(const QString &fieldName, const QVariant &value);

    /// Locks the table file of the dataset's records against other programs (exclusively)
    /// for as long as the answer lives; nullptr when the dataset shows no table's records.
    /// Throws EDatabaseError naming the table when another program keeps it.
    std::unique_ptr<TableLock> LockTable();
    /// Posts and deletes from now to CommitChanges reach the table file whole or not at all,
    /// even when the process is killed; `recNos` are the records they will overwrite.
    void BeginChanges(const std::vector<int> &recNos = {});
    void CommitChanges();
    /// Puts the table file back as it was at BeginChanges; throws when that failed.
    void RollbackChanges();

    /// The stored value of field `field` (from 0) of row `row` (from 0, below RecordCount),
    /// read without moving the cursor, for views that show many records at once; a pending
    /// edit is not seen. Throws EDatabaseError on a closed dataset.
    QVariant RowValue(int row, int field) const;

    /// The records behind an open dataset (implemented by tables and queries).
    class RowSource
    {
    public:
        virtual ~RowSource() = default;
        virtual const std::vector<FieldDef> &fields() const = 0;
        virtual bool fieldWritable(int field) const = 0;
        virtual int rowCount() const = 0;
        virtual QVariant value(int row, int field) = 0;
        virtual bool canModify() const = 0;
        /// Re-reads the row from its file before an edit.
        virtual void reload(int row) { (void)row; }
        virtual void update(int row, const Record &values, const std::vector<bool> &changed) = 0;
        /// Appends a record and answers its row.
        virtual int append(const Record &values, const std::vector<bool> &assigned) = 0;
        virtual void remove(int row) = 0;
        /// The table whose records the rows are, for writes through them; nullptr when none.
        virtual TableStore *store() { return nullptr; }
        /// The record slot of `row` in `store()`.
        virtual int slotOf(int row) const { return row; }
    };

    // Used by TField.
    QVariant fieldValue(int index) const;
    void setFieldValue(int index, const QVariant &value);

protected:
    TDataSet();

    virtual std::unique_ptr<RowSource> OpenSource(const DatabaseContext &context) = 0;
    DatabaseContext context() const;
    void checkInactive(const char *what) const;

private:
    friend class TDatabase;
    void checkActive() const;
    void checkBrowseMode();
    void moveTo(int row);
    void createFields();
    void detachDatabase();

    QString m_databaseName;
    TDatabase *m_database = nullptr;
    std::unique_ptr<RowSource> m_source;
    TFields m_fields;
    TDataSetState m_state = dsInactive;
    int m_row = -1;
    bool m_eof = true;
    bool m_bof = true;
    Record m_buffer;
    std::vector<bool> m_changed;
    std::map<int, LocateIndex> m_indexes;
};

} // namespace db
