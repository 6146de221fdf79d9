#pragma once
// dBASE tables (.dbf with an optional .dbt memo file): reads dBASE III+, IV and 5 files, writes
// dBASE III+ records, field types C, N, F, D, L and M.

#include "platform/db/DbfMemo.h"
#include "platform/db/FileIo.h"
#include "platform/db/TableLock.h"
#include "platform/db/TableStore.h"

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace db {

class CodePage;

class DbfTable final : public TableStore
{
public:
    /// Opens the table at `path` and its memo file beside it (the same base name with ".dbt"
    /// in any letter case). Throws EDatabaseError for a missing, truncated or corrupt file.
    static std::unique_ptr<DbfTable> open(const QString &path);
    /// Opens a table from descriptors; `memo` may be invalid when the table has no memo field.
    DbfTable(io::FileHandle table, bool writable, io::FileHandle memo, bool memoWritable, QString path);
    ~DbfTable() override;

    /// The file images of a new empty table: the .dbf and, when a field is a memo, the .dbt.
    /// Field types are dBASE letters in FieldDef::nativeType; sizes are checked.
    static QByteArray newTableImage(const std::vector<FieldDef> &fields);
    /// Checks a dBASE field definition and fills in its type; throws EDatabaseError.
    static FieldDef checkedField(FieldDef field);

    /// Rebuilds the table at `path` with `fields`; `sources[i]` is the index of the old field
    /// whose stored bytes the new field i keeps, or -1 for a new, blank field. The new file
    /// replaces the old one in a single rename.
    static void restructure(const QString &path, const std::vector<FieldDef> &fields, const std::vector<int> &sources);

    /// Creates the empty memo file `memoPath` of table `tableName`; refuses when a memo file
    /// of that name (in any letter case) exists, which then belongs to no table.
    static void createMemoFile(const QString &memoPath, const QString &tableName);
    /// The memo file beside the table at `path`, if there is one.
    static std::optional<QString> memoPathFor(const QString &path);

    QString path() const override { return m_path; }
    const std::vector<FieldDef> &fields() const override { return m_fields; }
    int capabilities() const override;
    int slotCount() override;
    bool isDeleted(int slot) override;
    QVariant value(int slot, int field) override;
    void reload(int slot) override;
    void setSequential(bool sequential) override { m_sequential = sequential; }
    void check(const Record &values, const std::vector<bool> *changed) override;
    void update(int slot, const Record &values, const std::vector<bool> &changed) override;
    int append(const Record &values) override;
    void remove(int slot) override;
    void beginChanges() override;
    void willOverwrite(std::vector<int> overwritten) override;
    void commitChanges() override;
    void rollbackChanges() override;

    uint8_t languageDriver() const { return m_languageDriver; }
    uint8_t version() const { return m_version; }
    bool hasMemo() const { return bool(m_memo); }

private:
    void readHeader();
    void useCodePageFile();
    void readFieldDescriptors(const QByteArray &header);
    void settleFieldLengths();
    const char *recordBytes(int slot);
    // Inline (defined in the source file): each value read passes them.
    inline bool inWindow(int slot) const;
    inline char *windowRecord(int slot);
    off_t recordOffset(int slot) const;
    inline void checkSlot(int slot);
    void checkWritable() const;
    QVariant decode(const char *record, int field, int slot);
    /// Encodes the value of field `field` into `record`; memo texts are collected in `memos`.
    void encode(char *record, int field, const QVariant &value, QByteArray *memoText) const;
    /// The text of a number field for `value`; throws EDatabaseError for no number or one the
    /// field cannot hold.
    std::string numberText(int field, const QVariant &value) const;
    using MemoTexts = std::vector<std::pair<int, QByteArray>>;
    void encodeFields(const Record &values, const std::vector<bool> *changed, char *record, MemoTexts &memos) const;
    QByteArray encodeRecord(const Record &values, const std::vector<bool> *changed, QByteArray base);
    /// Stores the memo texts and puts their block numbers into `record`; `original` holds the
    /// record's old memo references, whose blocks a text reuses when it fits them.
    void writeMemos(char *record, const QByteArray &original, const MemoTexts &memos);
    uint32_t memoReference(const char *record, int field) const;
    /// Runs `change` whole or not at all: unless a larger change is under way, a failed write
    /// puts the files back as they were.
    void atomically(const std::function<void()> &change);
    /// Starts keeping what writes overwrite; `kept` keeps it in a journal file as well.
    void startJournal(bool kept);
    /// The lock a write takes first; answers it once a journal of another change is dealt with.
    std::unique_ptr<TableLock> lockForWriting();
    /// The record of `slot` for an update within a change: changed in place in the window,
    /// which goes to the file in one write per run of changed records (`writeChangedRecords`).
    char *recordToChange(int slot);
    void writeChangedRecords();
    void updateWithinChange(int slot, const Record &values, const std::vector<bool> &changed);
    void write(const void *bytes, size_t length, off_t offset);
    void writeHeaderCount(uint32_t count);
    QString fieldError(int field, const QString &problem) const;

    io::FileHandle m_fd;
    bool m_writable;
    QString m_path;
    QString m_what;
    OpenTableFile m_lockFile; ///< writes lock the table through m_fd
    std::unique_ptr<DbfMemo> m_memo;
    QString m_memoPath;
    std::unique_ptr<io::WriteJournal> m_journal;
    /// Held from beginChanges to its end; given up before m_fd, which it may lock through, closes.
    std::unique_ptr<TableLock> m_changeLock;
    bool m_leftoversRemoved = false;
    const CodePage *m_codePage = nullptr;

    uint8_t m_version = 0;
    uint8_t m_languageDriver = 0;
    uint32_t m_count = 0;
    int m_headerLength = 0;
    int m_recordLength = 0;
    std::vector<FieldDef> m_fields;
    std::vector<int> m_offsets;

    bool m_sequential = false;
    QByteArray m_window;
    int m_windowFirst = 0;
    int m_windowCount = 0;
    std::vector<uint8_t> m_windowChanged; ///< per record of the window, within a change
};

} // namespace db
