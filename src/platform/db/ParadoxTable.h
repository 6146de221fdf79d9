#pragma once
// Paradox tables (.db with an optional .mb blob file) read, updated, appended and created
// through pxlib.

#include "platform/db/FileIo.h"
#include "platform/db/TableLock.h"
#include "platform/db/TableStore.h"

#include <QByteArray>

#include <memory>
#include <optional>

namespace db {

class ParadoxTable final : public TableStore
{
public:
    /// Opens the Paradox table at `path`; throws EDatabaseError when pxlib cannot read it.
    static std::unique_ptr<ParadoxTable> open(const QString &path);
    /// Creates an empty table at `path` with `fields` (types in FieldDef::type; sizes for
    /// strings). Throws EDatabaseError; nothing is left behind on failure.
    static void create(const QString &path, const std::vector<FieldDef> &fields);
    /// Checks a Paradox field definition; throws EDatabaseError.
    static FieldDef checkedField(FieldDef field);
    /// Rebuilds the table with `fields`, keeping the values of old field `sources[i]` (-1: new).
    static void restructure(const QString &path, const std::vector<FieldDef> &fields, const std::vector<int> &sources);

    ~ParadoxTable() override;

    QString path() const override { return m_path; }
    const std::vector<FieldDef> &fields() const override { return m_fields; }
    int capabilities() const override;
    int slotCount() override;
    bool isDeleted(int slot) override;
    QVariant value(int slot, int field) override;
    void reload(int slot) override;
    void check(const Record &values, const std::vector<bool> *changed) override;
    void update(int slot, const Record &values, const std::vector<bool> &changed) override;
    int append(const Record &values) override;
    void remove(int slot) override;
    void beginChanges() override;
    void commitChanges() override;
    void rollbackChanges() override;

    struct Document;

private:
    explicit ParadoxTable(QString path);
    void openDocument();
    void load(int slot);
    void flush(const QString &action);
    void checkUnchangedElsewhere();
    /// The lock a single write takes (none within a change, which holds it already).
    std::unique_ptr<TableLock> lockForWriting();
    /// While `on`, every write of pxlib is noted in the journal before it is made.
    void noteWrites(bool on);

    QString m_path;
    std::unique_ptr<Document> m_doc;
    std::vector<FieldDef> m_fields;
    int m_loaded = -1;
    Record m_values;
    std::unique_ptr<io::WriteJournal> m_journal; ///< the file as it was when a change began
    io::FileHandle m_changeFile;
    std::unique_ptr<TableLock> m_changeLock; ///< held from beginChanges to its end
};

} // namespace db
